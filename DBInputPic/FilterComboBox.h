#pragma once

#include <QComboBox>

class FileListBox;

// The filter list: four picture-file filters; choosing one sets the mask of its file list.
class FilterComboBox : public QComboBox
{
    Q_OBJECT
public:
    explicit FilterComboBox(QWidget *parent = nullptr);

    QString mask() const { return currentData().toString(); }
    void setFileList(FileListBox *list) { m_fileList = list; }

private:
    FileListBox *m_fileList = nullptr;
};
