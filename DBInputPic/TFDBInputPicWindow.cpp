// The picture input window's life cycle: creation, the table that its tool bar selects,
// activation, closing and resizing.
#include "DBInputPic/TFDBInputPic.h"

#include "DBInputPic/FieldColumnPanel.h"
#include "DBInputPic/FileThumbPanel.h"
#include "DBInputPic/PictureControl.h"
#include "DBInputPic/TDataFieldPicThread.h"
#include "DBInputPic/TFileImgThread.h"
#include "common/MainWindowLink.h"
#include "common/SharedState.h"
#include "controls/ComboLists.h"
#include "controls/DBImage.h"
#include "controls/TScrollBar.h"
#include "engine/Engine.h"
#include "engine/FieldType.h"
#include "engine/TTable.h"

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QSignalBlocker>

void TFDBInputPic::fillTableList()
{
    ComboLists::fill(ComboTable, Engine::tableNames(ComboDBase->currentText()));
}

void TFDBInputPic::FormCreate()
{
    ViewSize = qint16(currFilePic->width());
    FilePicRollH->setPageSize(ViewSize);
    FilePicRollV->setPageSize(ViewSize);
    MainWindowLink::setPictureLoadedHandler([this] { ComboXiuGaiChange(); });
    FileThumbLast = -1;
    FileThumbScroll = 0;
    CanKaoLabelLast = -1;
    FieldThumbLast = -1;
    ColumnOffset = 0;
    CurrRow = 0;
    ComboLists::fill(ComboDBase, Engine::aliasNames());
    ComboLists::selectEntry(ComboDBase, MainWindowLink::alias());
    if (!ComboDBase->currentText().isEmpty()) {
        fillTableList();
        ComboLists::selectEntry(ComboTable, MainWindowLink::table());
    }
    OpenPicTable();
}

void TFDBInputPic::setFieldsBound(const QString &field)
{
    DataBaseFieldPicture1->setDataField(field);
    DataBaseFieldPicture2->setDataField(field);
}

void TFDBInputPic::OpenPicTable()
{
    {
        const QSignalBlocker a(ComboCanKao);
        const QSignalBlocker b(ComboXiuGai);
        ComboCanKao->clear();
        ComboXiuGai->clear();
    }
    Table1->close();
    Table1->setDatabaseName(ComboDBase->currentText());
    Table1->setTableName(ComboTable->currentText());
    setFieldsBound(QString());
    // No table chosen (an alias without tables): the window stays empty, as for a table
    // without picture fields.
    if (!ComboTable->currentText().isEmpty())
        Table1->open();
    QStringList reference;
    QStringList modify;
    for (int i = 0; i < Table1->fieldCount(); ++i) {
        const TField *f = Table1->field(i);
        (isPictureLike(f->dataType()) ? modify : reference) << f->fieldName();
    }
    ComboLists::fill(ComboCanKao, reference);
    ComboLists::selectFirst(ComboCanKao);
    ComboLists::fill(ComboXiuGai, modify);
    if (modify.isEmpty()) {
        ComboLists::selectFirst(ComboXiuGai);
        CurrRow = -1;
        setFieldsBound(QString());
        NoPicField = true;
        DBPicScroll->setEnabled(false);
    } else {
        ComboLists::selectFirst(ComboXiuGai);
        if (CurrRow <= 0 || CurrRow > Table1->recordCount() - 1) {
            CurrRow = 0;
            ColumnOffset = 0;
        }
        setFieldsBound(ComboXiuGai->currentText());
        Table1->first();
        NoPicField = false;
    }
    FillCanKaoLabels();
    RestartFieldPicThread();
}

void TFDBInputPic::ComboDBaseChange()
{
    fillTableList();
    ComboLists::selectFirst(ComboTable);
    OpenPicTable();
}

void TFDBInputPic::ComboTableChange()
{
    OpenPicTable();
}

void TFDBInputPic::FormActivate()
{
    if (Tag == 0) {
        Tag = 1;
        return;
    }
    if (inputUnLockImgTag() == 88) {
        setInputUnLockImgTag(0);
        return;
    }
    const QString alias = MainWindowLink::alias();
    const QString table = MainWindowLink::table();
    if (!MainWindowLink::exists() || ComboDBase->currentText() != alias
        || ComboTable->currentText() != table)
        return;
    ComboLists::selectEntry(ComboDBase, alias);
    fillTableList();
    ComboLists::selectEntry(ComboTable, table);
    OpenPicTable();
}

void TFDBInputPic::FormDeactivate()
{
    try {
        DBPicFuYuanExit();
    } catch (const std::exception &) {
        // Deactivation is housekeeping: a failed commit leaves the restore pending.
    }
}

void TFDBInputPic::FormClose()
{
    if (FDBInputPic == this)
        FDBInputPic.clear();
    MainWindowLink::uncheckInputPicture();
    try {
        if (MainWindowLink::alias() == ComboDBase->currentText()
            && MainWindowLink::table() == ComboTable->currentText())
            MainWindowLink::refreshTable();
    } catch (const std::exception &) { }
    try {
        if (FileThreadBusy)
            stopFileThumbRun();
        if (FieldThreadBusy)
            stopFieldPicRun();
    } catch (const std::exception &) { }
    freeStrip();
    CanKaoLabels.clear();
    CanKaoLabelLast = -1;
    freeColumnThumbs();
}

void TFDBInputPic::FormResize()
{
    const int stripHeight = PanFileThreadPic->contentsRect().height();
    const int stripContent = fileStripContentHeight();
    if (stripHeight < stripContent) {
        FileThreadPicRoll->setParams(0, stripContent, stripHeight);
        FileThreadPicRoll->setValue(0);
        FileThumbScroll = 0;
        FileThreadPicRoll->setEnabled(true);
    } else {
        FileThreadPicRoll->setEnabled(false);
    }
    const int columnHeight = PanDataThPic->contentsRect().height();
    const int columnContent = columnContentHeight();
    if (columnHeight < columnContent) {
        DBPicScroll->setParams(0, columnContent, columnHeight);
        DBPicScroll->setValue(0);
        FieldThumbScroll = 0;
        DBPicScroll->setEnabled(true);
    } else {
        DBPicScroll->setEnabled(false);
    }
}

void TFDBInputPic::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() != QEvent::ActivationChange)
        return;
    if (isActiveWindow())
        FormActivate();
    else
        FormDeactivate();
}

void TFDBInputPic::closeEvent(QCloseEvent *event)
{
    FormClose();
    event->accept();
}

void TFDBInputPic::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    layoutPanels();
    FormResize();
}
