#pragma once

#include <QListWidget>

// The file list: the files of one directory that match a mask such as "*.jpg;*.jpeg;*.bmp"
// (letter case ignored), by name. Only the left button selects; selecting changes nothing the
// program did itself (changed() is the user's selection only).
class FileListBox : public QListWidget
{
    Q_OBJECT
public:
    explicit FileListBox(QWidget *parent = nullptr);

    int Tag = 0;

    QString directory() const { return m_directory; }
    void setDirectory(const QString &path); // re-reads the list, none selected
    QString mask() const { return m_mask; }
    void setMask(const QString &mask); // re-reads the list, none selected

    int itemIndex() const { return currentRow(); }
    void setItemIndex(int index); // -1: none; no change signal
    QString fileName(int index) const; // the file's name (no directory)
    QString filePath(int index) const; // the directory, "/", the name
    QStringList fileNames() const;
    int itemAtPos(const QPoint &pos) const; // -1 where no item is

signals:
    void changed(); // the user selected another file
    void mouseUp(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, QPoint pos);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;

private:
    void readFileNames();

    QString m_directory;
    QString m_mask = QStringLiteral("*.jpg;*.jpeg;*.bmp");
    QStringList m_names;
    bool m_programmatic = false;
};
