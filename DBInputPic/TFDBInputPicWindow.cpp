// The picture input window's life cycle: creation, the table that its tool bar selects,
// activation, closing and resizing.
#include "TFDBInputPic.h"

#include "Engine.h"
#include "FieldColumnPanel.h"
#include "FieldType.h"
#include "FileThumbPanel.h"
#include "PictureControl.h"
#include "SharedState.h"
#include "TDataFieldPicThread.h"
#include "TFileImgThread.h"
#include "TForm1.h"
#include "TTable.h"
#include "controls/DBImage.h"
#include "controls/TScrollBar.h"

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QSignalBlocker>

namespace {

void fillList(QComboBox *box, const QStringList &items)
{
    const QSignalBlocker blocker(box);
    box->clear();
    box->addItems(items);
}

// Selects the entry equal to text (exactly, case counts); an unlisted text selects none.
void selectEntry(QComboBox *box, const QString &text)
{
    const QSignalBlocker blocker(box);
    box->setCurrentIndex(box->findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive));
}

void selectFirst(QComboBox *box)
{
    const QSignalBlocker blocker(box);
    box->setCurrentIndex(box->count() > 0 ? 0 : -1);
}

QString mainText(QComboBox *TForm1::*list)
{
    return Form1 ? (Form1.data()->*list)->currentText() : QString();
}

} // namespace

void TFDBInputPic::fillTableList()
{
    fillList(ComboTable, Engine::tableNames(ComboDBase->currentText()));
}

void TFDBInputPic::FormCreate()
{
    ViewSize = qint16(currFilePic->width());
    FilePicRollH->setPageSize(ViewSize);
    FilePicRollV->setPageSize(ViewSize);
    if (Form1)
        Form1->OnInputWindowPictureLoaded = [this] {
            ComboXiuGaiChange();
        };
    FileThumbLast = -1;
    FileThumbScroll = 0;
    CanKaoLabelLast = -1;
    FieldThumbLast = -1;
    ColumnOffset = 0;
    CurrRow = 0;
    fillList(ComboDBase, Engine::aliasNames());
    selectEntry(ComboDBase, mainText(&TForm1::CBDBase));
    if (!ComboDBase->currentText().isEmpty()) {
        fillTableList();
        selectEntry(ComboTable, mainText(&TForm1::CBTable));
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
    fillList(ComboCanKao, reference);
    selectFirst(ComboCanKao);
    fillList(ComboXiuGai, modify);
    if (modify.isEmpty()) {
        selectFirst(ComboXiuGai);
        CurrRow = -1;
        setFieldsBound(QString());
        NoPicField = true;
        DBPicScroll->setEnabled(false);
    } else {
        selectFirst(ComboXiuGai);
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
    selectFirst(ComboTable);
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
    const QString alias = mainText(&TForm1::CBDBase);
    const QString table = mainText(&TForm1::CBTable);
    if (!Form1 || ComboDBase->currentText() != alias || ComboTable->currentText() != table)
        return;
    selectEntry(ComboDBase, alias);
    fillTableList();
    selectEntry(ComboTable, table);
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
    if (Form1 && Form1->InputPicture1)
        Form1->InputPicture1->setChecked(false);
    try {
        if (Form1 && mainText(&TForm1::CBDBase) == ComboDBase->currentText()
            && mainText(&TForm1::CBTable) == ComboTable->currentText() && Form1->Table1
            && Form1->Table1->active())
            Form1->Table1->refresh();
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
