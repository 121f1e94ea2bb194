// Alias and table selection, the open-table procedure and the field panel beside the grid.
#include "datawindow/TForm1.h"

#include "common/Guarded.h"
#include "common/Prompts.h"
#include "controls/ComboLists.h"
#include "controls/DBImage.h"
#include "controls/DBMemo.h"
#include "controls/TPanel.h"
#include "controls/TScrollBar.h"
#include "datawindow/grid/DBGrid.h"
#include "engine/Engine.h"
#include "engine/FieldType.h"
#include "engine/TDataSource.h"
#include "engine/TTable.h"

#include <QComboBox>
#include <QLabel>
#include <QSet>

namespace {

constexpr int EntryLeft = 10;
constexpr int EntryWidth = 200;
constexpr int LabelGap = 10;
constexpr int LabelHeight = 16;
constexpr int ControlHeight = 200;

} // namespace

void TForm1::fillTableList()
{
    ComboLists::fill(CBTable, Engine::tableNames(CBDBase->currentText()));
}

void TForm1::tellOnceIfReadOnly(const TTable *table)
{
    // Once per database and run: every window and every table of it would say the same.
    static QSet<QString> told;
    const QString message = table->readOnlyMessage();
    if (message.isEmpty() || told.contains(table->databaseName()))
        return;
    told.insert(table->databaseName());
    Prompts::message(
        this, message, QStringLiteral("Tabvale"), QMessageBox::Ok, QMessageBox::Information);
}

void TForm1::CBDBaseChange()
{
    fillTableList();
    ComboLists::selectFirst(CBTable);
    OpenTable();
}

void TForm1::CBTableChange()
{
    OpenTable();
}

void TForm1::freeFieldPanel()
{
    qDeleteAll(FieldLabels);
    qDeleteAll(FieldMemos);
    qDeleteAll(FieldImages);
    FieldLabels.clear();
    FieldMemos.clear();
    FieldImages.clear();
    LabelCount = MemoCount = ImageCount = 0;
}

bool TForm1::closeTableAndPanel()
{
    Table1->close();
    DBImage1->setDataField(QString());
    freeFieldPanel();
    FieldPanelHeight = 0;
    Table1->setDatabaseName(CBDBase->currentText());
    Table1->setTableName(CBTable->currentText());
    return !CBTable->currentText().isEmpty();
}

void TForm1::OpenTable()
{
    ScrollBar1->setValue(0);
    if (!closeTableAndPanel())
        return;
    Table1->open();
    tellOnceIfReadOnly(Table1);
    for (int i = 0; i < Table1->fieldCount(); ++i)
        addFieldPanelEntry(Table1->field(i));
    if (Panel3->contentsRect().height() < FieldPanelHeight) {
        ScrollBar1->setSingleStep(2);
        ScrollBar1->LargeChange = 20;
        ScrollBar1->setParams(0, FieldPanelHeight, Panel3->contentsRect().height());
        ScrollBar1->show();
    } else {
        ScrollBar1->hide();
    }
}

void TForm1::addFieldPanelEntry(TField *field)
{
    const FieldClass kind = fieldClassOf(field->dataType());
    if (kind == FieldClass::Ordinary)
        return;
    auto *label = new QLabel(field->fieldName(), Panel3);
    label->setFont(Panel3->font());
    QPalette pal = label->palette();
    pal.setColor(QPalette::WindowText, DBGrid1->fontColor());
    label->setPalette(pal);
    label->setAlignment(
        Qt::AlignLeft | (kind == FieldClass::PictureLike ? Qt::AlignVCenter : Qt::AlignTop));
    label->setGeometry(EntryLeft, FieldPanelHeight + LabelGap, EntryWidth, LabelHeight);
    FieldLabels.append(label);
    LabelCount = qint16(FieldLabels.size());
    FieldPanelHeight += LabelGap + LabelHeight;
    label->show();

    QWidget *control = nullptr;
    if (kind == FieldClass::PictureLike) {
        auto *image = new DBImage(Panel3);
        image->setDataSource(DataSource1);
        image->setDataField(field->fieldName());
        field->Tag = int(FieldImages.size());
        image->Tag = field->Tag;
        connect(image, &DBImage::mouseUp, this,
            [this](DBImage *img, Qt::MouseButton button, Qt::KeyboardModifiers shift, QPoint pos) {
                Guarded::run([&] { DBImageMouseUp(img, button, shift, pos); });
            });
        FieldImages.append(image);
        ImageCount = qint16(FieldImages.size());
        control = image;
    } else {
        auto *memo = new DBMemo(Panel3);
        memo->setTextColor(DBGrid1->fontColor());
        memo->setDataSource(DataSource1);
        memo->setDataField(field->fieldName());
        field->Tag = int(FieldMemos.size());
        memo->Tag = field->Tag;
        FieldMemos.append(memo);
        MemoCount = qint16(FieldMemos.size());
        control = memo;
    }
    control->setGeometry(EntryLeft, FieldPanelHeight, EntryWidth, ControlHeight);
    control->show();
    FieldPanelHeight += ControlHeight;
}

void TForm1::ScrollBar1Change(int position)
{
    const int d = FieldPanelScroll - position;
    if (d == 0)
        return;
    if (d < 0 && position > ScrollBar1->Max() - Panel3->contentsRect().height()) {
        ScrollBar1->setValue(FieldPanelScroll);
        return;
    }
    Panel3->scroll(0, d);
    FieldPanelScroll = position;
}

void TForm1::Panel3Resize()
{
    const int clientHeight = Panel3->contentsRect().height();
    if (clientHeight < FieldPanelHeight) {
        ScrollBar1->setParams(0, FieldPanelHeight, clientHeight);
        ScrollBar1->setValue(0);
        ScrollBar1->setSingleStep(2);
        ScrollBar1->LargeChange = 20;
        ScrollBar1->show();
    } else {
        ScrollBar1->hide();
    }
}
