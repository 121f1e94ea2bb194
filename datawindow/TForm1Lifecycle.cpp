// The data window's creation, destruction, activation and deactivation.
#include "datawindow/TForm1.h"

#include "common/SharedState.h"
#include "controls/ComboLists.h"
#include "controls/TImage.h"
#include "engine/Engine.h"
#include "engine/TDataSource.h"
#include "engine/TTable.h"

#include <QComboBox>
#include <QEvent>
#include <QToolButton>

void TForm1::editAndPostIgnoringErrors(TTable *table)
{
    if (!table || !table->active())
        return;
    try {
        // An activation must never add a record: editing a table without records would insert.
        if (table->state() == TTable::Browse && table->loadedRecordCount() == 0)
            return;
        table->edit();
        table->post();
    } catch (const std::exception &) { }
}

void TForm1::FormCreate()
{
    ExcelApplication1 = nullptr;
    resetSharedStateForNewWindow();
    BtBtnCanEdit->setIcon(QIcon(QPixmap::fromImage(InputLockImg->picture())));

    Table1 = new TTable(this);
    Table1->AfterPost = [this](TTable &table) {
        Table1AfterPost(table);
    };
    DataSource1->setDataSet(Table1);

    ComboLists::fill(CBDBase, Engine::aliasNames());
    ComboLists::selectFirst(CBDBase);
    fillTableList();
    ComboLists::selectFirst(CBTable);

    if (Form1 && Form1 != this && Form1->LookData1->isChecked()) {
        // This is the find-data window: start on what the main window shows.
        setComboHandlersAttached(false);
        ComboLists::selectEntry(CBDBase, Form1->CBDBase->currentText());
        fillTableList();
        ComboLists::selectEntry(CBTable, Form1->CBTable->currentText());
        setComboHandlersAttached(true);
    }
    OpenTable();
}

void TForm1::FormActivate()
{
    if (Form1)
        editAndPostIgnoringErrors(Form1->Table1);
    if (LookDataForm)
        editAndPostIgnoringErrors(LookDataForm->Table1);
}

void TForm1::FormDeactivate()
{
    if (Form1)
        Form1->InputUnLockImg->Tag = 0;
}

void TForm1::changeEvent(QEvent *event)
{
    QMainWindow::changeEvent(event);
    if (event->type() != QEvent::ActivationChange)
        return;
    if (isActiveWindow())
        FormActivate();
    else
        FormDeactivate();
}

void TForm1::FormDestroy()
{
    releaseSpreadsheet();
    if (LookDataForm) {
        delete LookDataForm.data();
        LookDataForm.clear();
    }
    closeAuxiliaryWindows();
}
