#pragma once

#include "picture/PictureSource.h"

#include <QImage>
#include <QWidget>

class DataLink;
class TDataSource;
class TField;

// A bound picture control: shows the picture of its field in the current record (stretched to the
// control), and writes a changed picture back in its alias's picture form when the record is
// posted (TField::setPicture decides the bytes).
class DBImage : public QWidget
{
    Q_OBJECT
public:
    explicit DBImage(QWidget *parent = nullptr);

    int Tag = 0;
    bool Stretch = true;
    QString Hint;

    TDataSource *dataSource() const;
    void setDataSource(TDataSource *source);
    QString dataField() const;
    void setDataField(const QString &name);
    TField *field() const;

    // Off: the control stops loading the picture of each record it passes.
    bool autoDisplay() const { return m_autoDisplay; }
    void setAutoDisplay(bool on);

    QImage picture() const { return m_picture; }
    // What a post stores for the picture shown: the field's own value as loaded, or what a gesture
    // set. A value carried to another field takes this along.
    PictureSource source() const { return m_source; }
    // A picture set while the record is being edited is stored by the next post. Without a source
    // the picture has no bytes of its own.
    void setPicture(const QImage &picture);
    void setPicture(const QImage &shown, const PictureSource &source);
    void clearPicture() { setPicture({}); }

    // Reads the current record's picture now; an unreadable value raises PictureError.
    void loadPicture();
    QString loadError() const { return m_loadError; }

    void copyToClipboard() const; // nothing when the control shows no picture
    void pasteFromClipboard(); // only when the clipboard holds a bitmap

signals:
    void mouseUp(
        DBImage *image, Qt::MouseButton button, Qt::KeyboardModifiers modifiers, QPoint pos);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    void reload();
    void writeToField();

    DataLink *m_link;
    QImage m_picture;
    PictureSource m_source;
    QString m_loadError;
    bool m_autoDisplay = true;
};
