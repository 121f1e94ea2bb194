#pragma once

#include <QDialog>
#include <QStringList>

class QComboBox;
class QFileSystemModel;
class QLabel;
class QLineEdit;
class QListView;

// The picture file dialog: a file-open dialog with a preview of the highlighted picture. Its filter
// list is given as "Display|patterns|Display|patterns" (patterns separated by ';'), shown exactly
// as given, first entry selected; each entry really filters. No title, no initial folder (the
// current directory).
class TOpenPictureDialog : public QDialog
{
    Q_OBJECT
public:
    explicit TOpenPictureDialog(const QString &filter, QWidget *parent = nullptr);

    QString fileName() const { return m_fileName; }
    QString directory() const;
    void setDirectory(const QString &path);
    QStringList filterNames() const;
    void selectFilter(int index);
    QStringList visibleFiles() const; // names the list shows now, folders first
    QLabel *preview() const { return m_preview; }
    void highlight(const QString &name); // as a click on an entry of the list
    void accept() override;

    static QString getOpenFileName(QWidget *parent, const QString &filter);

private:
    void enter(const QString &path);
    void showPreview(const QString &path);

    QList<QStringList> m_patterns;
    QFileSystemModel *m_model;
    QListView *m_list;
    QComboBox *m_lookIn;
    QComboBox *m_filter;
    QLineEdit *m_name;
    QLabel *m_preview;
    QLabel *m_previewSize;
    QString m_fileName;
};
