#pragma once

#include "datawindow/grid/TCanvas.h"

#include <QList>
#include <QMainWindow>
#include <QStyle>
#include <functional>
#include <memory>

class DBGrid;
struct CarriedValue;
class DBImage;
class DBMemo;
class DBNavigator;
class QAction;
class QComboBox;
class QLabel;
class QMenu;
class QSplitter;
class QToolBar;
class QToolButton;
class TDataSource;
class TExcelApplication;
class TField;
class TImage;
class TPanel;
class TScrollBar;
class TTable;
class Workbook;
class Worksheet;

// The data window: the main window, and (as a second instance) the find-data window. Controls
// and handlers carry the names the rest of the program and its users' documentation use.
// The handlers are spread over files by concern; each file says which.
class TForm1 : public QMainWindow
{
    Q_OBJECT
public:
    // mainWindow: this instance becomes Form1 before its creation handler runs.
    explicit TForm1(bool mainWindow = false, QWidget *parent = nullptr);
    ~TForm1() override;

    int Tag = 1; // 1 main window, 2 find-data window

    // The font colour of a label, list or edit (text, window text and button text alike).
    static void setFontColor(QWidget *w, const QColor &color);

    // Tool bar.
    QToolBar *ToolBar1 = nullptr;
    QLabel *Label6 = nullptr, *Label4 = nullptr, *Label3 = nullptr, *Label5 = nullptr,
           *Label7 = nullptr, *Label8 = nullptr;
    QToolButton *BtBtnLookData = nullptr, *BtBtnInputPic = nullptr, *BtBtnCanEdit = nullptr,
                *ToolButton26 = nullptr, *BtBtnCompact = nullptr;
    TImage *InputLockImg = nullptr, *InputUnLockImg = nullptr;
    TImage *GTempImg1 = nullptr, *GTempImg2 = nullptr;
    TImage *Image1 = nullptr; // the placeholder picture
    DBNavigator *DBNavigator1 = nullptr;

    // Left side: alias and table selection, the field panel.
    TPanel *Panel1 = nullptr;
    QLabel *Label1 = nullptr, *Label2 = nullptr;
    QComboBox *CBDBase = nullptr, *CBTable = nullptr;
    QWidget *Panel4 = nullptr;
    TScrollBar *ScrollBar1 = nullptr;
    TPanel *Panel3 = nullptr;
    QSplitter *Splitter1 = nullptr;

    // Right side: the grid and the hidden helpers.
    QWidget *Panel2 = nullptr;
    DBGrid *DBGrid1 = nullptr;
    DBImage *DBImage1 = nullptr, *DBImage2 = nullptr;
    DBMemo *DBMemo1 = nullptr;
    TScrollBar *ScrollBar2 = nullptr;

    // Menu.
    QMenuBar *MainMenu1 = nullptr;
    QMenu *File1 = nullptr, *Edit1 = nullptr, *Maintain1 = nullptr, *useExcel1 = nullptr,
          *Help1 = nullptr;
    QAction *Exit1 = nullptr, *LookData1 = nullptr, *InputPicture1 = nullptr, *N1 = nullptr,
            *InputLock1 = nullptr, *Compact1 = nullptr, *N3 = nullptr, *EmptyDBase1 = nullptr,
            *RestoreEnd1 = nullptr, *N5 = nullptr, *DealError1 = nullptr, *KillDataTable1 = nullptr,
            *IntoExcel1 = nullptr, *N4 = nullptr, *SaveAndClose1 = nullptr, *Content1 = nullptr,
            *N2 = nullptr, *About1 = nullptr;
    // A picture field to and from a folder, after the data menu's own items.
    QAction *N6 = nullptr, *ExportPictures1 = nullptr, *LoadPictures1 = nullptr,
            *UndoPictureLoad1 = nullptr;

    TDataSource *DataSource1 = nullptr;
    TExcelApplication *ExcelApplication1 = nullptr; // set by the first export

    // The window's own state.
    int FieldPanelHeight = 0;
    int FieldPanelScroll = 0;
    TTable *Table1 = nullptr;
    QList<DBMemo *> FieldMemos;
    QList<DBImage *> FieldImages;
    QList<QLabel *> FieldLabels;
    qint16 MemoCount = 0, ImageCount = 0, LabelCount = 0;

    // Whether the destroy handler runs (the find-data window has it removed).
    bool destroyHandlerAttached = true;
    // The close handler (the find-data window's frees it); runs after the close query.
    std::function<void(TForm1 *)> OnClose;

    // Life cycle (TForm1Lifecycle.cpp).
    void FormCreate();
    void FormDestroy();
    void FormActivate();
    void FormDeactivate();

    // Table selection and field panel (TForm1FieldPanel.cpp).
    void CBDBaseChange();
    void CBTableChange();
    void OpenTable();
    // The open-table procedure's first part: closes the table, frees the field panel, names the
    // table the lists show; false when no table is chosen.
    bool closeTableAndPanel();
    void ScrollBar1Change(int position);
    void Panel3Resize();
    void setComboHandlersAttached(bool attached) { m_comboHandlersAttached = attached; }
    void fillTableList(); // CBTable := the tables of the alias CBDBase shows, none selected
    // Says once per database and run that the table's database can only be read.
    void tellOnceIfReadOnly(const TTable *table);

    // Grid painters (TForm1Grid.cpp).
    void DBGrid1DrawColumnCell(
        TCanvas &canvas, const QRect &rect, int dataCol, TField *field, QStyle::State state);
    void DBGrid1DrawColumnCell2(
        TCanvas &canvas, const QRect &rect, int dataCol, TField *field, QStyle::State state);

    // Input lock, posting and closing (TForm1InputLock.cpp).
    void InputLock1Click();
    void Table1AfterPost(TTable &table);
    bool FormCloseQuery();
    void Exit1Click();
    void BtBtnCanEditClick() { InputLock1Click(); }
    // The activation's and the close query's housekeeping: edit and post the table's record (which
    // also re-reads both windows), ignoring any failure; a table without records gets no blank
    // record.
    static void editAndPostIgnoringErrors(TTable *table);

    // The spreadsheet connection (TForm1Spreadsheet.cpp).
    void releaseSpreadsheetEditing(); // shows it and makes it leave a cell being edited
    void releaseSpreadsheet(); // events and alerts off, quit, free the connection, menu item off

    // Picture fields (TForm1Pictures.cpp).
    void DBImageMouseUp(
        DBImage *image, Qt::MouseButton button, Qt::KeyboardModifiers shift, QPoint pos);
    void ToolButton26Click();
    static QString pictureFilter(); // the picture file dialog's filter list
    // Run after a picture file was stored through the picture input window's field picture.
    std::function<void()> OnInputWindowPictureLoaded;

    // Help and About (TForm1Dialogs.cpp).
    void Content1Click();
    void About1Click();

    // The find-data window and the picture input window, which exclude each other
    // (TForm1LookData.cpp).
    void LookData1Click();
    void BtBtnLookDataClick() { LookData1Click(); }
    void InputPicture1Click();
    void BtBtnInputPicClick() { InputPicture1Click(); }
    void ScrollBar2Change(int position);
    // The find-data window's close handler: unchecks LookData1, frees the window.
    static void CloseLook(TForm1 *form);
    // Unchecks the menu item and closes the window, when it is open (maintenance and the export
    // close them this way).
    void closeLookData();
    void closeInputPicture();

    // Mouse drags between the grids (transfer/TForm1Drag.cpp, transfer/TForm1RightDrag.cpp).
    // pos is in the grid's client coordinates; the left drag reads the cursor instead.
    void DBGrid1MouseMove(Qt::MouseButtons buttons, Qt::KeyboardModifiers shift, QPoint pos);
    void DBGrid1MouseUp(Qt::MouseButton button, Qt::KeyboardModifiers shift, QPoint pos);
    void MsRightMove(Qt::MouseButtons buttons, Qt::KeyboardModifiers shift, QPoint pos);
    void MsRightUp(Qt::MouseButton button, Qt::KeyboardModifiers shift, QPoint pos);
    void MsRightReplace();
    // The grid's painter and mouse handlers as the layout installs them.
    void useOrdinaryGridHandlers();
    // This window's field-panel control for field (nullptr for an ordinary field).
    DBImage *fieldImage(const TField *field) const;
    DBMemo *fieldMemo(const TField *field) const;

    // Table maintenance (maintenance/).
    void Compact1Click();
    void BtBtnCompactClick() { Compact1Click(); }
    void EmptyDBase1Click();
    void RestoreEnd1Click();
    void DealError1Click();
    void KillDataTable1Click();

    // A picture field to and from a folder (picturefolder/TForm1PictureFolder.cpp).
    void ExportPictures1Click();
    void LoadPictures1Click();
    void UndoPictureLoad1Click();

    // Export to the spreadsheet and write-back (TForm1Spreadsheet.cpp).
    void IntoExcel1Click();
    void SaveAndClose1Click();
    // While an export is open: a workbook of the exports closed in the spreadsheet stays open.
    void aTExcelApplicationWorkbookBeforeClose(Workbook &workbook, bool &cancel);

protected:
    void changeEvent(QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    // The drag steps (transfer/).
    void leftButtonMove();
    void startLeftDrag();
    void dropLeftDrag();
    void startRightDrag();
    void endRightDrag();
    void rightCopy();
    void rightSwap();
    // Writes v into the cell of this window's grid at data column col of record (0-based).
    void writeCell(const CarriedValue &v, int record, int col);

    void applyLookDataSettings(); // what makes a new data window the find-data window
    void closeAuxiliaryWindows(); // picture input window, viewer, Help and About (FormDestroy)
    void loadPictureFile(DBImage *image);
    void buildToolBar();
    void buildLeftPanel();
    void buildRightPanel();
    void buildMenu();
    void layoutPanel1();
    void freeFieldPanel();
    void addFieldPanelEntry(TField *field);
    void connectHandlers();
    void connectSpreadsheet();
    std::shared_ptr<Worksheet> exportTargetSheet(QString &workbookPath);
    void exportTable(Worksheet &sheet, const QString &workbookPath);
    void writeBackWorkbooks();
    void writeBackSheet(const QString &database, Worksheet &sheet, const QString &workbookPath);
    void restoreAfterWriteBack();
    void finishSpreadsheet();

    bool m_comboHandlersAttached = true;
};
