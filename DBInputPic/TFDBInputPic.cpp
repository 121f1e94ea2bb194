// The picture input window's controls as its layout defines them, and their wiring to the
// handlers.
#include "DBInputPic/TFDBInputPic.h"

#include "DBInputPic/DirectoryListBox.h"
#include "DBInputPic/DriveComboBox.h"
#include "DBInputPic/FieldColumnPanel.h"
#include "DBInputPic/FileListBox.h"
#include "DBInputPic/FileThumbPanel.h"
#include "DBInputPic/FilterComboBox.h"
#include "DBInputPic/PictureControl.h"
#include "DBInputPic/TDataFieldPicThread.h"
#include "DBInputPic/TFileImgThread.h"
#include "DBInputPic/TagControls.h"
#include "common/Guarded.h"
#include "common/MainWindowLink.h"
#include "common/SharedState.h"
#include "controls/DBImage.h"
#include "controls/TImage.h"
#include "controls/TScrollBar.h"
#include "engine/TDataSource.h"
#include "engine/TTable.h"

#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QPushButton>

namespace {

constexpr int FormWidth = 920;
constexpr int FormHeight = 480;
constexpr int ToolBarHeight = 29;
constexpr int Panel1Width = 209;
constexpr int Panel2Width = 192;
constexpr int Panel4Height = 224;
constexpr int Panel8Height = 26;
constexpr int BarWidth = 18;
constexpr int FileListWidth = 102;
constexpr int DirectoryListTop = 64;

QFont formFont(int pixelSize)
{
    QFont f(QStringLiteral("MS Sans Serif"));
    f.setPixelSize(pixelSize);
    return f;
}

QFrame *flatPanel(QWidget *parent)
{
    auto *panel = new QFrame(parent);
    panel->setFrameShape(QFrame::NoFrame);
    return panel;
}

QLabel *toolLabel(QWidget *parent, const QString &caption, int left, int width)
{
    auto *label = new QLabel(caption, parent);
    label->setGeometry(left, 2, width, 21);
    label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    return label;
}

QComboBox *toolList(QWidget *parent, int left)
{
    auto *box = new QComboBox(parent);
    box->setEditable(true);
    box->setInsertPolicy(QComboBox::NoInsert);
    box->setGeometry(left, 2, 140, 21);
    return box;
}

// Scroll bars of the classic kind: small step 2, large step 10, never a tab stop.
TScrollBar *classicBar(Qt::Orientation orientation, QWidget *parent, int max, int page)
{
    auto *bar = new TScrollBar(orientation, parent);
    bar->setParams(0, max, page);
    bar->setSingleStep(2);
    bar->LargeChange = 10;
    return bar;
}

void setBackground(QWidget *w, const QColor &color)
{
    QPalette p = w->palette();
    p.setColor(QPalette::Window, color);
    w->setPalette(p);
    w->setAutoFillBackground(true);
}

} // namespace

TFDBInputPic::TFDBInputPic(QWidget *parent) : QWidget(parent, Qt::Window)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("输入图形"));
    setFont(formFont(12));
    setGeometry(103, 132, FormWidth, FormHeight);
    // Only the top and bottom borders resize the window.
    setFixedWidth(FormWidth);
    setMinimumHeight(ToolBarHeight + Panel4Height + 1);

    buildToolBar();
    buildFileBrowser();
    buildCentre();
    buildColumn();
    DataSource1 = new TDataSource(this);
    Table1 = new TTable(this);
    DataSource1->setDataSet(Table1);
    DataBaseFieldPicture1->setDataSource(DataSource1);
    DataBaseFieldPicture2->setDataSource(DataSource1);
    layoutPanels();
    connectHandlers();
    Guarded::run([this] { FormCreate(); });
}

TFDBInputPic::~TFDBInputPic()
{
    // The workers go first: nothing they deliver may find the window half gone.
    if (fileRunInProgress())
        stopFileThumbRun();
    if (fieldRunInProgress())
        stopFieldPicRun();
    FileImgThread.reset();
    DataFieldPicThread.reset();
    m_retiredWorkers.clear();
    MainWindowLink::setPictureLoadedHandler(nullptr);
}

void TFDBInputPic::buildToolBar()
{
    ToolBar1 = new QWidget(this);
    DataBase = toolLabel(ToolBar1, QStringLiteral(" 数据库："), 0, 51);
    ComboDBase = toolList(ToolBar1, 51);
    DataTable = toolLabel(ToolBar1, QStringLiteral(" 数据表："), 191, 52);
    ComboTable = toolList(ToolBar1, 243);
    CanKaoZD = toolLabel(ToolBar1, QStringLiteral(" 参考字段："), 383, 68);
    ComboCanKao = toolList(ToolBar1, 451);
    XiuGaiZD = toolLabel(ToolBar1, QStringLiteral(" 修改字段："), 591, 67);
    ComboXiuGai = toolList(ToolBar1, 658);
    Label1 = toolLabel(ToolBar1, QString(), 798, 32);
}

void TFDBInputPic::buildFileBrowser()
{
    Panel1 = flatPanel(this);
    FileListBox1 = new FileListBox(Panel1);
    DirectoryListBox1 = new DirectoryListBox(Panel1);
    DriveComboBox1 = new DriveComboBox(Panel1);
    DriveComboBox1->setGeometry(8, 8, 89, 21);
    FilterComboBox1 = new FilterComboBox(Panel1);
    FilterComboBox1->setGeometry(8, 32, 89, 21);
    FilterComboBox1->setFileList(FileListBox1);
    const QString start = QDir::currentPath();
    DriveComboBox1->selectDriveOf(start);
    DirectoryListBox1->setDirectory(start);
    FileListBox1->setDirectory(start);
}

void TFDBInputPic::buildCentre()
{
    Panel3 = flatPanel(this);
    Panel4 = flatPanel(Panel3);
    PanFilePic = new TagPanel(Panel4);
    PanFilePic->setGeometry(0, 0, 200, 200);
    setBackground(PanFilePic, Qt::white);
    currFilePic = new PictureControl(PanFilePic);
    currFilePic->setGeometry(0, 0, 200, 200);
    currFilePic->setCenter(true);
    currFilePic->setProportional(true);
    Label2 = new TagLabel(PanFilePic);
    Label2->setGeometry(80, 80, 73, 25);
    Label2->hide();
    FilePicRollV = classicBar(Qt::Vertical, Panel4, 200, 200);
    FilePicRollV->setGeometry(200, 0, 18, 201);
    FilePicRollV->setEnabled(false);
    FilePicRollH = classicBar(Qt::Horizontal, Panel4, 200, 200);
    FilePicRollH->setGeometry(0, 200, 201, 18);
    FilePicRollH->setEnabled(false);
    SpeedButton1 = new LabelButton(Panel4);
    SpeedButton1->Tag = 1;
    SpeedButton1->setGeometry(223, 18, 23, 164);
    SpeedButton1->setText(QStringLiteral("图像全貌"));
    SpeedButton1->setAlignment(Qt::AlignCenter);
    SpeedButton1->setWordWrap(true);
    SpeedButton1->setFont(formFont(16));
    setBackground(SpeedButton1, QColor(128, 128, 0));
    DataBaseFieldPicture1 = new DBImage(Panel4);
    DataBaseFieldPicture1->Tag = 99;
    DataBaseFieldPicture1->Stretch = true;
    DataBaseFieldPicture1->setGeometry(293, 11, 200, 200);

    PanFileThreadPic = new FileThumbPanel(FileThumbs, Panel3);
    PanFileThreadPic->setFrameShape(QFrame::NoFrame);
    StartPicThread = new QPushButton(QStringLiteral("列出文件图像"), PanFileThreadPic);
    StartPicThread->setGeometry(192, 56, 113, 25);
    FileThreadPicRoll = classicBar(Qt::Vertical, Panel3, 100, 0);
}

void TFDBInputPic::buildColumn()
{
    Panel2 = flatPanel(this);
    Panel8 = flatPanel(Panel2);
    CanKaoZiDuan = new QLabel(QStringLiteral("参考字段"), Panel8);
    CanKaoZiDuan->setGeometry(5, 3, 68, 20);
    CanKaoZiDuan->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    XiuGaiZiDuan = new QLabel(QStringLiteral("修改字段"), Panel8);
    XiuGaiZiDuan->setGeometry(80, 3, 105, 20);
    XiuGaiZiDuan->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    PanDataThPic = new FieldColumnPanel({CanKaoLabels, FieldThumbs, CurrRow, ColumnOffset}, Panel2);
    PanDataThPic->setFrameShape(QFrame::NoFrame);
    GTempImage = new TImage(PanDataThPic);
    GTempImage->setGeometry(0, 0, 200, 200);
    GTempImage->hide();
    DBPicFuYuan = new ExitButton(QStringLiteral("复原"), PanDataThPic);
    DBPicFuYuan->setGeometry(142, 270, 30, 24);
    DBPicFuYuan->hide();
    DataBaseFieldPicture2 = new DBImage(PanDataThPic);
    DataBaseFieldPicture2->setGeometry(80, 256, 57, 57);
    // It serves as the restore buffer only: it never needs to show the records it passes.
    DataBaseFieldPicture2->setAutoDisplay(false);
    DataBaseFieldPicture2->hide();
    DBPicScroll = classicBar(Qt::Vertical, Panel2, 100, 0);
    DBPicScroll->setEnabled(false);
}

void TFDBInputPic::layoutPanels()
{
    const int w = width();
    const int h = height() - ToolBarHeight;
    ToolBar1->setGeometry(0, 0, w, ToolBarHeight);
    Panel1->setGeometry(0, ToolBarHeight, Panel1Width, h);
    FileListBox1->setGeometry(Panel1Width - FileListWidth, 0, FileListWidth, h);
    DirectoryListBox1->setGeometry(0, DirectoryListTop, 106, std::max(0, h - DirectoryListTop));
    Panel2->setGeometry(w - Panel2Width, ToolBarHeight, Panel2Width, h);
    Panel8->setGeometry(0, 0, Panel2Width, Panel8Height);
    DBPicScroll->setGeometry(Panel2Width - BarWidth, Panel8Height, BarWidth, h - Panel8Height);
    PanDataThPic->setGeometry(0, Panel8Height, Panel2Width - BarWidth, h - Panel8Height);
    const int centreWidth = w - Panel1Width - Panel2Width;
    Panel3->setGeometry(Panel1Width, ToolBarHeight, centreWidth, h);
    Panel4->setGeometry(0, 0, centreWidth, Panel4Height);
    FileThreadPicRoll->setGeometry(
        centreWidth - BarWidth, Panel4Height, BarWidth, std::max(0, h - Panel4Height));
    PanFileThreadPic->setGeometry(
        0, Panel4Height, centreWidth - BarWidth, std::max(0, h - Panel4Height));
}

void TFDBInputPic::connectHandlers()
{
    connect(ComboDBase, &QComboBox::currentTextChanged, this,
        Guarded::slot([this](const QString &) { ComboDBaseChange(); }));
    connect(ComboTable, &QComboBox::currentTextChanged, this,
        Guarded::slot([this](const QString &) { ComboTableChange(); }));
    connect(ComboCanKao, &QComboBox::currentTextChanged, this,
        Guarded::slot([this](const QString &) { ComboCanKaoChange(); }));
    connect(ComboXiuGai, &QComboBox::currentTextChanged, this,
        Guarded::slot([this](const QString &) { ComboXiuGaiChange(); }));

    connect(DriveComboBox1, &DriveComboBox::driveChanged, this,
        Guarded::slot([this] { DriveComboBox1Change(); }));
    connect(DirectoryListBox1, &DirectoryListBox::directoryChanged, this, Guarded::slot([this] {
        FileListBox1->setDirectory(DirectoryListBox1->directory());
        DirectoryListBox1Change();
    }));
    connect(
        FileListBox1, &FileListBox::changed, this, Guarded::slot([this] { FileListBox1Change(); }));
    connect(FileListBox1, &FileListBox::mouseUp, this,
        Guarded::slot([this](Qt::MouseButton b, Qt::KeyboardModifiers m, QPoint p) {
            FileListBox1MouseUp(b, m, p);
        }));
    connect(FilePicRollV, &QScrollBar::valueChanged, this,
        Guarded::slot([this](int p) { FilePicRollVChange(p); }));
    connect(FilePicRollH, &QScrollBar::valueChanged, this,
        Guarded::slot([this](int p) { FilePicRollHChange(p); }));
    connect(
        SpeedButton1, &LabelButton::clicked, this, Guarded::slot([this] { SpeedButton1Click(); }));
    connect(currFilePic, &PictureControl::mouseUp, this,
        Guarded::slot([this](Qt::MouseButton b) { currFilePicMouseUp(b); }));
    connect(DataBaseFieldPicture1, &DBImage::mouseUp, this,
        Guarded::slot([](DBImage *image, Qt::MouseButton b, Qt::KeyboardModifiers m, QPoint p) {
            MainWindowLink::pictureMouseUp(image, b, m, p);
        }));

    connect(StartPicThread, &QPushButton::clicked, this,
        Guarded::slot([this] { StartPicThreadClick(); }));
    connect(PanFileThreadPic, &FileThumbPanel::thumbPressed, this,
        Guarded::slot([this](int n, Qt::MouseButton b, Qt::KeyboardModifiers m) {
            PanThreadImgsMouseDown(n, b, m);
        }));
    connect(FileThreadPicRoll, &QScrollBar::valueChanged, this,
        Guarded::slot([this](int p) { FileThreadPicRollChange(p); }));

    connect(PanDataThPic, &FieldColumnPanel::thumbPressed, this,
        Guarded::slot([this](int r, Qt::MouseButton b, Qt::KeyboardModifiers m) {
            DataFieldImgsMouseDown(r, b, m);
        }));
    connect(DBPicScroll, &QScrollBar::valueChanged, this,
        Guarded::slot([this](int p) { DBPicScrollChange(p); }));
    connect(
        DBPicFuYuan, &QPushButton::clicked, this, Guarded::slot([this] { DBPicFuYuanClick(); }));
    connect(DBPicFuYuan, &ExitButton::exited, this, Guarded::slot([this] { DBPicFuYuanExit(); }));
}

QRect TFDBInputPic::fileThumbRect(int n, int scrollOffset)
{
    return FileThumbPanel::Grid.itemRect(n, scrollOffset);
}

QRect TFDBInputPic::canKaoLabelRect(int row) const
{
    return FieldColumnPanel::labelRect(row, ColumnOffset);
}

QRect TFDBInputPic::fieldThumbRect(int row) const
{
    return FieldColumnPanel::Grid.itemRect(row, ColumnOffset);
}

void TFDBInputPic::retire(std::unique_ptr<QThread> worker)
{
    if (!worker)
        return;
    QThread *thread = worker.get();
    m_retiredWorkers.push_back(std::move(worker));
    auto release = [this, thread] {
        std::erase_if(m_retiredWorkers, [thread](const auto &w) { return w.get() == thread; });
    };
    connect(thread, &QThread::finished, this, release, Qt::QueuedConnection);
    if (thread->isFinished())
        release();
}
