#pragma once

#include <QListWidget>

// The directory list: the path from the root down to the current directory, then its
// subdirectories. Double-click or Enter on an entry opens it.
class DirectoryListBox : public QListWidget
{
    Q_OBJECT
public:
    explicit DirectoryListBox(QWidget *parent = nullptr);

    QString directory() const { return m_directory; }
    // Shows path (no change signal: the caller runs what a change runs).
    void setDirectory(const QString &path);

signals:
    void directoryChanged(); // the user opened another directory

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    void openEntry(QListWidgetItem *item);

    QString m_directory;
};
