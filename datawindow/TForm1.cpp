// The data window's controls as its layout defines them, and their wiring to the handlers.
#include "datawindow/TForm1.h"

#include "common/Guarded.h"
#include "common/SharedState.h"
#include "controls/DBImage.h"
#include "controls/DBMemo.h"
#include "controls/DBNavigator.h"
#include "controls/TImage.h"
#include "controls/TPanel.h"
#include "controls/TScrollBar.h"
#include "datawindow/grid/DBGrid.h"
#include "engine/TDataSource.h"
#include "engine/TTable.h"
#include "resources/Glyphs.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenuBar>
#include <QSplitter>
#include <QToolBar>
#include <QToolButton>

namespace {

QFont formFont(int pixelSize)
{
    QFont f(QStringLiteral("MS Sans Serif"));
    f.setPixelSize(pixelSize);
    return f;
}

QLabel *spacer(QWidget *parent, int width)
{
    auto *label = new QLabel(parent);
    label->setFixedWidth(width);
    return label;
}

QToolButton *glyphButton(QWidget *parent, const QString &caption, const QImage &glyph, int width)
{
    auto *b = new QToolButton(parent);
    b->setText(caption);
    b->setIcon(QIcon(QPixmap::fromImage(glyph)));
    b->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    b->setFixedSize(width, 36);
    return b;
}

TImage *hiddenPicture(QWidget *parent, int w, int h, const QImage &picture = {})
{
    auto *image = new TImage(parent);
    image->setFixedSize(w, h);
    image->setPicture(picture);
    image->hide();
    return image;
}

// The alias and table selectors: red 12 px captions over editable lists at the panel's left.
QLabel *selectionLabel(QWidget *parent, const QString &caption, int top)
{
    auto *label = new QLabel(caption, parent);
    label->setFont(formFont(12));
    label->move(32, top);
    TForm1::setFontColor(label, QColor(255, 0, 0));
    return label;
}

QComboBox *selectionList(QWidget *parent, int top)
{
    auto *list = new QComboBox(parent);
    list->setEditable(true);
    list->setInsertPolicy(QComboBox::NoInsert);
    list->setFont(formFont(12));
    list->setGeometry(32, top, 185, 21);
    TForm1::setFontColor(list, QColor(255, 0, 0));
    return list;
}

} // namespace

void TForm1::setFontColor(QWidget *w, const QColor &color)
{
    QPalette p = w->palette();
    p.setColor(QPalette::WindowText, color);
    p.setColor(QPalette::Text, color);
    p.setColor(QPalette::ButtonText, color);
    w->setPalette(p);
}

TForm1::TForm1(bool mainWindow, QWidget *parent) : QMainWindow(parent)
{
    setWindowTitle(QStringLiteral("Tabvale"));
    setFont(formFont(11));
    setGeometry(170, 103, 772, 581);
    DataSource1 = new TDataSource(this);

    buildMenu();
    buildToolBar();

    auto *central = new QWidget(this);
    auto *row = new QHBoxLayout(central);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    Splitter1 = new QSplitter(Qt::Horizontal, central);
    Splitter1->setHandleWidth(2);
    Splitter1->setChildrenCollapsible(false);
    buildLeftPanel();
    buildRightPanel();
    Splitter1->addWidget(Panel1);
    Splitter1->addWidget(Panel2);
    Splitter1->setStretchFactor(0, 0);
    Splitter1->setStretchFactor(1, 1);
    Splitter1->setSizes({241, 529});
    row->addWidget(Splitter1);
    ScrollBar2 = new TScrollBar(Qt::Vertical, central);
    ScrollBar2->setFixedWidth(10);
    ScrollBar2->setParams(50, 220, 0);
    ScrollBar2->setValue(160);
    ScrollBar2->hide();
    row->addWidget(ScrollBar2);
    setCentralWidget(central);

    connectHandlers();

    if (mainWindow) {
        Form1 = this;
        MainInputLockImgTag = &InputLockImg->Tag;
        MainInputUnLockImgTag = &InputUnLockImg->Tag;
    }
    Guarded::run([this] { FormCreate(); });
}

TForm1::~TForm1()
{
    if (destroyHandlerAttached)
        FormDestroy();
}

void TForm1::buildMenu()
{
    MainMenu1 = menuBar();
    File1 = MainMenu1->addMenu(QStringLiteral("文件(&F)"));
    Exit1 = File1->addAction(QStringLiteral("退出(&X)"));

    Edit1 = MainMenu1->addMenu(QStringLiteral("数据处理(&D)"));
    LookData1 = Edit1->addAction(QStringLiteral("查找数据(&F)"));
    LookData1->setCheckable(true);
    InputPicture1 = Edit1->addAction(QStringLiteral("输入图形(&I)"));
    InputPicture1->setCheckable(true);
    N1 = Edit1->addSeparator();
    InputLock1 = Edit1->addAction(QStringLiteral("键入锁定(&L)"));
    InputLock1->setCheckable(true);
    InputLock1->setChecked(true);
    N6 = Edit1->addSeparator();
    ExportPictures1 = Edit1->addAction(tr("Export Pictures to a Folder…"));
    LoadPictures1 = Edit1->addAction(tr("Load Pictures from a Folder by Name…"));
    UndoPictureLoad1 = Edit1->addAction(tr("Undo the Last Picture Load…"));

    Maintain1 = MainMenu1->addMenu(QStringLiteral("数据库整理(&M)"));
    Compact1 = Maintain1->addAction(QStringLiteral("紧缩数据表(&S)"));
    N3 = Maintain1->addSeparator();
    EmptyDBase1 = Maintain1->addAction(QStringLiteral("清空数据表(&K)"));
    RestoreEnd1 = Maintain1->addAction(QStringLiteral("恢复数据表(&R)"));
    N5 = Maintain1->addSeparator();
    DealError1 = Maintain1->addAction(QStringLiteral("清除错误(&Q)"));
    KillDataTable1 = Maintain1->addAction(QStringLiteral("删除数据表(&X)"));

    useExcel1 = MainMenu1->addMenu(QStringLiteral("调用Excel(&E)"));
    IntoExcel1 = useExcel1->addAction(QStringLiteral("调入Excel(&I)"));
    N4 = useExcel1->addSeparator();
    SaveAndClose1 = useExcel1->addAction(QStringLiteral("关闭Excel(&C)"));
    SaveAndClose1->setEnabled(false);

    Help1 = MainMenu1->addMenu(QStringLiteral("帮助(&H)"));
    Content1 = Help1->addAction(QStringLiteral("内容(&C)"));
    Content1->setShortcut(QKeySequence(Qt::Key_F1));
    N2 = Help1->addSeparator();
    About1 = Help1->addAction(QStringLiteral("关于(&A)"));
}

void TForm1::buildToolBar()
{
    ToolBar1 = new QToolBar(this);
    ToolBar1->setMovable(false);
    ToolBar1->setFloatable(false);
    ToolBar1->setFixedHeight(42);
    ToolBar1->setIconSize(QSize(24, 24));
    addToolBar(Qt::TopToolBarArea, ToolBar1);

    InputLockImg = hiddenPicture(ToolBar1, 18, 36, Glyphs::inputLocked());
    InputUnLockImg = hiddenPicture(ToolBar1, 18, 36, Glyphs::inputUnlocked());
    GTempImg1 = hiddenPicture(ToolBar1, 12, 36);
    GTempImg2 = hiddenPicture(ToolBar1, 12, 36);
    Image1 = hiddenPicture(ToolBar1, 12, 36, Glyphs::placeholder());

    Label6 = spacer(ToolBar1, 5);
    BtBtnLookData = glyphButton(ToolBar1, QStringLiteral("查找数据"), Glyphs::lookData(), 95);
    Label4 = spacer(ToolBar1, 5);
    BtBtnInputPic = glyphButton(ToolBar1, QStringLiteral("输入图形"), Glyphs::inputPicture(), 93);
    Label3 = spacer(ToolBar1, 23);
    BtBtnCanEdit = glyphButton(ToolBar1, QStringLiteral("键入锁定"), QImage(), 104);
    BtBtnCanEdit->setIconSize(QSize(18, 36));
    Label5 = spacer(ToolBar1, 68);
    ToolButton26 = new QToolButton(ToolBar1);
    ToolButton26->setText(QStringLiteral("DeleteImage"));
    ToolButton26->setToolTip(QStringLiteral("DeleteImage"));
    ToolButton26->setIcon(QIcon(QPixmap::fromImage(Glyphs::deleteImage())));
    ToolButton26->setToolButtonStyle(Qt::ToolButtonIconOnly);
    ToolButton26->setFixedSize(36, 36);
    Label7 = spacer(ToolBar1, 5);
    DBNavigator1 = new DBNavigator(ToolBar1);
    DBNavigator1->setDataSource(DataSource1);
    Label8 = spacer(ToolBar1, 5);
    BtBtnCompact = glyphButton(ToolBar1, QStringLiteral("压缩"), Glyphs::compact(), 69);

    for (QWidget *w :
        std::initializer_list<QWidget *> {Label6, BtBtnLookData, Label4, BtBtnInputPic, Label3,
            BtBtnCanEdit, Label5, ToolButton26, Label7, DBNavigator1, Label8, BtBtnCompact})
        ToolBar1->addWidget(w);
}

void TForm1::buildLeftPanel()
{
    Panel1 = new TPanel(Splitter1);
    Panel1->setMinimumWidth(60);
    Panel1->resize(241, 480);
    Label1 = selectionLabel(Panel1, QStringLiteral("数据库："), 8);
    CBDBase = selectionList(Panel1, 22);
    Label2 = selectionLabel(Panel1, QStringLiteral("数据表："), 48);
    CBTable = selectionList(Panel1, 62);

    Panel4 = new QWidget(Panel1);
    auto *panel4Layout = new QHBoxLayout(Panel4);
    panel4Layout->setContentsMargins(0, 0, 0, 0);
    panel4Layout->setSpacing(0);
    Panel3 = new TPanel(Panel4);
    Panel3->setFrameShape(QFrame::NoFrame);
    Panel3->setFont(formFont(11));
    ScrollBar1 = new TScrollBar(Qt::Vertical, Panel4);
    ScrollBar1->setFixedWidth(18);
    ScrollBar1->setSingleStep(2);
    ScrollBar1->LargeChange = 10;
    ScrollBar1->setParams(0, 100, 0);
    ScrollBar1->hide();
    panel4Layout->addWidget(Panel3, 1);
    panel4Layout->addWidget(ScrollBar1);
    layoutPanel1();
}

void TForm1::layoutPanel1()
{
    // The lists stretch with the panel; the field panel area keeps its top and fills the rest.
    const int w = Panel1->width();
    CBDBase->resize(std::max(40, w - 56), CBDBase->height());
    CBTable->resize(std::max(40, w - 56), CBTable->height());
    Panel4->setGeometry(0, 100, w, std::max(0, Panel1->height() - 100));
}

void TForm1::buildRightPanel()
{
    Panel2 = new QWidget(Splitter1);
    auto *layout = new QVBoxLayout(Panel2);
    layout->setContentsMargins(0, 0, 0, 0);
    DBGrid1 = new DBGrid(Panel2);
    QFont cellFont = formFont(12);
    DBGrid1->setFont(cellFont);
    DBGrid1->setTitleFont(cellFont);
    DBGrid1->setColor(QColor(255, 255, 0));
    DBGrid1->setFixedColor(QColor(255, 0, 255));
    DBGrid1->setFontColor(QColor(255, 0, 0));
    DBGrid1->setDataSource(DataSource1);
    layout->addWidget(DBGrid1);

    DBImage1 = new DBImage(Panel2);
    DBImage1->setDataSource(DataSource1);
    DBImage1->hide();
    DBImage2 = new DBImage(Panel2);
    DBImage2->setAutoDisplay(false);
    DBImage2->hide();
    DBMemo1 = new DBMemo(Panel2);
    DBMemo1->hide();
}

void TForm1::connectHandlers()
{
    auto guard = [this](void (TForm1::*handler)()) {
        return [this, handler] {
            Guarded::run([this, handler] { (this->*handler)(); });
        };
    };
    connect(Panel1, &TPanel::resized, this, &TForm1::layoutPanel1);
    connect(Panel3, &TPanel::resized, this, guard(&TForm1::Panel3Resize));
    connect(ScrollBar1, &QScrollBar::valueChanged, this,
        [this](int position) { Guarded::run([this, position] { ScrollBar1Change(position); }); });
    connect(CBDBase, &QComboBox::editTextChanged, this, [this] {
        if (m_comboHandlersAttached)
            Guarded::run([this] { CBDBaseChange(); });
    });
    connect(CBTable, &QComboBox::editTextChanged, this, [this] {
        if (m_comboHandlersAttached)
            Guarded::run([this] { CBTableChange(); });
    });
    // The grid's painter and its mouse handlers for the drags (swapped while a right drag lasts).
    useOrdinaryGridHandlers();
    // A checkable menu item flips its mark before the handler runs; the handlers set the mark
    // themselves, from the state the user saw.
    auto toggle = [this](QAction *action, void (TForm1::*handler)()) {
        connect(action, &QAction::triggered, this, [this, action, handler] {
            action->setChecked(!action->isChecked());
            Guarded::run([this, handler] { (this->*handler)(); });
        });
    };
    toggle(InputLock1, &TForm1::InputLock1Click);
    connect(BtBtnCanEdit, &QToolButton::clicked, this, guard(&TForm1::BtBtnCanEditClick));
    connect(Exit1, &QAction::triggered, this, guard(&TForm1::Exit1Click));
    connect(ToolButton26, &QToolButton::clicked, this, guard(&TForm1::ToolButton26Click));
    connect(Content1, &QAction::triggered, this, guard(&TForm1::Content1Click));
    connect(About1, &QAction::triggered, this, guard(&TForm1::About1Click));
    toggle(LookData1, &TForm1::LookData1Click);
    connect(BtBtnLookData, &QToolButton::clicked, this, guard(&TForm1::BtBtnLookDataClick));
    toggle(InputPicture1, &TForm1::InputPicture1Click);
    connect(BtBtnInputPic, &QToolButton::clicked, this, guard(&TForm1::BtBtnInputPicClick));
    connect(ScrollBar2, &QScrollBar::valueChanged, this,
        [this](int position) { Guarded::run([this, position] { ScrollBar2Change(position); }); });
    connect(Compact1, &QAction::triggered, this, guard(&TForm1::Compact1Click));
    connect(BtBtnCompact, &QToolButton::clicked, this, guard(&TForm1::BtBtnCompactClick));
    connect(EmptyDBase1, &QAction::triggered, this, guard(&TForm1::EmptyDBase1Click));
    connect(RestoreEnd1, &QAction::triggered, this, guard(&TForm1::RestoreEnd1Click));
    connect(DealError1, &QAction::triggered, this, guard(&TForm1::DealError1Click));
    connect(KillDataTable1, &QAction::triggered, this, guard(&TForm1::KillDataTable1Click));
    connect(IntoExcel1, &QAction::triggered, this, guard(&TForm1::IntoExcel1Click));
    connect(SaveAndClose1, &QAction::triggered, this, guard(&TForm1::SaveAndClose1Click));
    connect(ExportPictures1, &QAction::triggered, this, guard(&TForm1::ExportPictures1Click));
    connect(LoadPictures1, &QAction::triggered, this, guard(&TForm1::LoadPictures1Click));
    connect(UndoPictureLoad1, &QAction::triggered, this, guard(&TForm1::UndoPictureLoad1Click));
}
