// The find-data window: a second, see-through data window over the main window, its opacity bar,
// and the rule that it and the picture input window are never open together.
#include "datawindow/TForm1.h"

#include "common/InputPictureWindow.h"
#include "common/Prompts.h"
#include "common/SharedState.h"
#include "controls/DBMemo.h"
#include "controls/TImage.h"
#include "controls/TScrollBar.h"
#include "datawindow/grid/DBGrid.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QMenuBar>
#include <QToolBar>

namespace {

constexpr int LookDataOpacity = 160;
const QColor LookDataFontColor(0, 128, 0);

} // namespace

void TForm1::LookData1Click()
{
    if (LookData1->isChecked()) {
        closeLookData();
        return;
    }
    if (InputPicture1->isChecked()) {
        if (Prompts::message(this,
                QStringLiteral("打开“查找数据”窗口之前必须先关闭“输入图形”窗口！"),
                QStringLiteral("输入图形"), QMessageBox::Ok | QMessageBox::Cancel)
            != QMessageBox::Ok)
            return;
        closeInputPicture();
    }
    // Checked before the window is made: its creation reads it to take over this window's
    // alias and table.
    Form1->LookData1->setChecked(true);
    auto *form = new TForm1(false);
    LookDataForm = form;
    form->applyLookDataSettings();
    form->show();
}

void TForm1::applyLookDataSettings()
{
    setWindowTitle(QStringLiteral("查找数据"));
    // The menu and the tool bar go with everything on them. The scratch pictures of the picture
    // loading stay: that works in this window too.
    for (TImage *keep : {GTempImg1, GTempImg2, Image1})
        keep->setParent(centralWidget());
    delete MainMenu1;
    MainMenu1 = nullptr;
    File1 = Edit1 = Maintain1 = useExcel1 = Help1 = nullptr;
    Exit1 = LookData1 = InputPicture1 = N1 = InputLock1 = Compact1 = N3 = EmptyDBase1 = RestoreEnd1
        = N5 = DealError1 = KillDataTable1 = IntoExcel1 = N4 = SaveAndClose1 = Content1 = N2
        = About1 = N6 = ExportPictures1 = LoadPictures1 = UndoPictureLoad1 = nullptr;
    delete ToolBar1;
    ToolBar1 = nullptr;
    Label6 = Label4 = Label3 = Label5 = Label7 = Label8 = nullptr;
    BtBtnLookData = BtBtnInputPic = BtBtnCanEdit = ToolButton26 = BtBtnCompact = nullptr;
    InputLockImg = InputUnLockImg = nullptr;
    DBNavigator1 = nullptr;

    Tag = 2;
    setWindowOpacity(LookDataOpacity / 255.0);
    setWindowFlag(Qt::WindowStaysOnTopHint, true);
    ScrollBar2->show();
    move(Form1->x() + 50, Form1->y() + 50);
    OnClose = &TForm1::CloseLook;
    destroyHandlerAttached = false;
    for (QWidget *w : std::initializer_list<QWidget *> {Label1, Label2, CBDBase, CBTable})
        setFontColor(w, LookDataFontColor);
    DBGrid1->setColor(Qt::white);
    DBGrid1->setFixedColor(QColor(0, 255, 0));
    DBGrid1->setFontColor(LookDataFontColor);
    for (DBMemo *memo : std::as_const(FieldMemos))
        memo->setTextColor(LookDataFontColor);
    for (QLabel *label : std::as_const(FieldLabels))
        setFontColor(label, LookDataFontColor);
}

void TForm1::CloseLook(TForm1 *form)
{
    if (Form1 && Form1->LookData1)
        Form1->LookData1->setChecked(false);
    form->setAttribute(Qt::WA_DeleteOnClose);
    if (LookDataForm == form)
        LookDataForm.clear();
}

void TForm1::InputPicture1Click()
{
    if (InputPicture1->isChecked()) {
        closeInputPicture();
        return;
    }
    if (LookData1->isChecked()) {
        if (Prompts::message(this,
                QStringLiteral("打开“输入图形”窗口之前必须先关闭“查找数据”窗口！"),
                QStringLiteral("查找数据"), QMessageBox::Ok | QMessageBox::Cancel)
            != QMessageBox::Ok)
            return;
        closeLookData();
    }
    InputPicture1->setChecked(true);
    InputPictureWindow::open();
}

void TForm1::ScrollBar2Change(int position)
{
    if (Tag == 2)
        setWindowOpacity(position / 255.0);
}

void TForm1::closeLookData()
{
    if (Form1 && Form1->LookData1)
        Form1->LookData1->setChecked(false);
    if (LookDataForm)
        LookDataForm->close();
}

void TForm1::closeInputPicture()
{
    if (Form1 && Form1->InputPicture1)
        Form1->InputPicture1->setChecked(false);
    InputPictureWindow::close();
}
