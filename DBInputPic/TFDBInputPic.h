#pragma once

#include "DBInputPic/FieldThumb.h"
#include "DBInputPic/FileThumb.h"
#include "DBInputPic/ThumbGrid.h"
#include "picture/PictureSource.h"

#include <QImage>
#include <QList>
#include <QStringList>
#include <QWidget>
#include <memory>

class DBImage;
class DirectoryListBox;
class DriveComboBox;
class ExitButton;
class FieldColumnPanel;
class FileListBox;
class FileThumbPanel;
class FilterComboBox;
class LabelButton;
class PictureControl;
class QComboBox;
class QFrame;
class QLabel;
class QPushButton;
class TDataFieldPicThread;
class TDataSource;
class TFileImgThread;
class TImage;
class TScrollBar;
class TTable;
class TagLabel;
class TagPanel;

// The picture input window "输入图形": loads picture files into a picture field of a table,
// record after record. A file browser with the current file picture on the left and in the
// centre, a strip of the directory's thumbnails below it, and a column of the table's records
// (reference value and field picture) on the right; mouse gestures copy the file picture into
// records. Non-modal; frees itself when closed. GUI thread only: its two workers only read (the
// files, or the field through a connection of their own) and hand finished thumbnails back.
// The handlers are spread over files by concern; each file says which.
class TFDBInputPic : public QWidget
{
    Q_OBJECT
public:
    explicit TFDBInputPic(QWidget *parent = nullptr);
    ~TFDBInputPic() override;

    int Tag = 0; // 1 after the first activation

    // Tool bar.
    QWidget *ToolBar1 = nullptr;
    QLabel *DataBase = nullptr, *DataTable = nullptr, *CanKaoZD = nullptr, *XiuGaiZD = nullptr,
           *Label1 = nullptr;
    QComboBox *ComboDBase = nullptr, *ComboTable = nullptr, *ComboCanKao = nullptr,
              *ComboXiuGai = nullptr;

    // Left: the file browser.
    QFrame *Panel1 = nullptr;
    FileListBox *FileListBox1 = nullptr;
    DirectoryListBox *DirectoryListBox1 = nullptr;
    DriveComboBox *DriveComboBox1 = nullptr;
    FilterComboBox *FilterComboBox1 = nullptr;

    // Centre: the file picture, the field picture and the strip.
    QFrame *Panel3 = nullptr;
    QFrame *Panel4 = nullptr;
    TagPanel *PanFilePic = nullptr;
    PictureControl *currFilePic = nullptr;
    TagLabel *Label2 = nullptr;
    TScrollBar *FilePicRollV = nullptr, *FilePicRollH = nullptr;
    LabelButton *SpeedButton1 = nullptr;
    DBImage *DataBaseFieldPicture1 = nullptr;
    FileThumbPanel *PanFileThreadPic = nullptr;
    QPushButton *StartPicThread = nullptr;
    TScrollBar *FileThreadPicRoll = nullptr;

    // Right: the field picture column.
    QFrame *Panel2 = nullptr;
    QFrame *Panel8 = nullptr;
    QLabel *CanKaoZiDuan = nullptr, *XiuGaiZiDuan = nullptr;
    FieldColumnPanel *PanDataThPic = nullptr;
    TImage *GTempImage = nullptr;
    ExitButton *DBPicFuYuan = nullptr;
    DBImage *DataBaseFieldPicture2 = nullptr;
    TScrollBar *DBPicScroll = nullptr;

    TDataSource *DataSource1 = nullptr;
    TTable *Table1 = nullptr;

    // The window's state.
    bool NoPicField = false;
    std::unique_ptr<TFileImgThread> FileImgThread;
    std::unique_ptr<TDataFieldPicThread> DataFieldPicThread;
    QList<FileThumb> FileThumbs;
    int FileThumbLast = -1;
    int FileThumbScroll = 0;
    QStringList CanKaoLabels; // the captions; the labels are painted by PanDataThPic
    int CanKaoLabelLast = -1;
    QList<FieldThumb> FieldThumbs;
    int FieldThumbLast = -1;
    int FieldThumbScroll = 0;
    int CurrRow = 0; // -1: the table has no picture-like field
    int ColumnOffset = 0;
    qint16 ViewSize = 200;
    qint16 FilePicScrollV = 0, FilePicScrollH = 0;
    quint8 FilePicOverflow = 0;

    // Layout of the strip and the column, in their panels' coordinates.
    static QRect fileThumbRect(int n, int scrollOffset = 0);
    QRect canKaoLabelRect(int row) const;
    QRect fieldThumbRect(int row) const;
    int fileStripContentHeight() const
    {
        return ThumbGrid::fileStrip().contentHeight(FileThumbLast);
    }
    int columnContentHeight() const
    {
        return ThumbGrid::fieldColumn().contentHeight(FieldThumbLast);
    }

    // Life cycle, selections and resizing (TFDBInputPicWindow.cpp).
    void FormCreate();
    void OpenPicTable();
    void ComboDBaseChange();
    void ComboTableChange();
    void FormActivate();
    void FormDeactivate();
    void FormClose();
    void FormResize();

    // File browser and current file picture (TFDBInputPicBrowser.cpp).
    void DriveComboBox1Change();
    void DirectoryListBox1Change();
    void FileListBox1Change();
    void FilePicRollVChange(int position);
    void FilePicRollHChange(int position);
    void SpeedButton1Click();
    void FileListBox1MouseUp(Qt::MouseButton button, Qt::KeyboardModifiers shift, QPoint pos);
    void currFilePicMouseUp(Qt::MouseButton button);

    // File thumbnail strip (TFDBInputPicStrip.cpp).
    void StartPicThreadClick();
    void DrawFileThumb(quint64 generation, int fileIndex, const QByteArray &thumbnail);
    void PanThreadImgsMouseDown(int thumb, Qt::MouseButton button, Qt::KeyboardModifiers shift);
    void FileThreadPicRollChange(int position);
    void stopFileThumbRun();
    bool fileRunInProgress() const;

    // Field picture column (TFDBInputPicColumn.cpp).
    void FillCanKaoLabels();
    void RestartFieldPicThread();
    void DrawFieldThumbs(quint64 generation, const QList<FieldThumb> &batch);
    void ResetDBPicScroll();
    void ComboCanKaoChange();
    void ComboXiuGaiChange();
    void DBPicScrollChange(int position);
    void DataFieldImgsMouseDown(int thumb, Qt::MouseButton button, Qt::KeyboardModifiers shift);
    void stopFieldPicRun();
    bool fieldRunInProgress() const;

    // Copy gestures and restore (TFDBInputPicGestures.cpp).
    void DBPicFuYuanClick();
    void DBPicFuYuanExit();
    bool restorePending() const;

protected:
    void changeEvent(QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void buildToolBar();
    void buildFileBrowser();
    void buildCentre();
    void buildColumn();
    void layoutPanels();
    void connectHandlers();

    void fillTableList(); // ComboTable := the tables of ComboDBase's alias, none selected
    void setFieldsBound(const QString &field);
    void freeStrip();
    void freeColumnThumbs();
    void finishFileRun(quint64 generation);
    void finishFieldRun(quint64 generation, const QString &error);
    void highlightRow(int row);
    void loadCurrentFile();
    void showNoPicture(const QString &text);
    void setOverflowBars(int w, int h);
    void moveFilePicture(int dx, int dy);

    void columnCopy();
    void stripOrListCopy(bool fromStrip);
    // Edit, assign, post; raises with the record unchanged when refused.
    bool storePicture(const QImage &shown, const PictureSource &source);
    // The current file picture as a copy gesture stores it: toStore for the bitmap form (scaled or
    // cut as the gesture says), the file's own bytes for the file form.
    PictureSource currentFileSource(const QImage &toStore) const;
    QByteArray fieldThumbOf(const QImage &picture) const;

    QByteArray m_currentFileBytes; // the bytes of the file currFilePic shows; empty when none
    quint64 m_fileGeneration = 0;
    quint64 m_fieldGeneration = 0;
    bool m_fileCursorHeld = false;
    bool m_fieldCursorHeld = false;
    int m_fieldRunRows = 0; // records of the field run in progress
    // Stopped workers still finishing their last step; freed once their thread has ended.
    std::vector<std::unique_ptr<QThread>> m_retiredWorkers;
    void retire(std::unique_ptr<QThread> worker);
};
