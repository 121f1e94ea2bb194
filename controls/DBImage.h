#pragma once

#include <QImage>
#include <QWidget>

class DataLink;
class TDataSource;
class TField;

// A bound picture control: shows the picture of its field in the current record (stretched to the
// control), and writes a changed picture back in the stored form when the record is posted.
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
    // A picture set while the record is being edited is stored by the next post.
    void setPicture(const QImage &picture);
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
    QString m_loadError;
    bool m_autoDisplay = true;
};
