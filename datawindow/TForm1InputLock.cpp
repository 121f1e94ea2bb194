// The input lock, the refresh of both windows after every post, and closing a data window.
#include "datawindow/TForm1.h"

#include "common/SharedState.h"
#include "controls/DBImage.h"
#include "controls/DBMemo.h"
#include "controls/TImage.h"
#include "datawindow/grid/DBGrid.h"
#include "engine/TTable.h"

#include <QAction>
#include <QCloseEvent>
#include <QLabel>
#include <QToolButton>

void TForm1::InputLock1Click()
{
    if (InputLock1->isChecked()) {
        InputLock1->setChecked(false);
        DBGrid1->setEditingOption(true);
        DBGrid1->viewport()->update();
        if (LookDataForm) {
            LookDataForm->DBGrid1->setEditingOption(true);
            LookDataForm->DBGrid1->viewport()->update();
        }
        BtBtnCanEdit->setIcon(QIcon(QPixmap::fromImage(InputUnLockImg->picture())));
    } else {
        InputLock1->setChecked(true);
        DBGrid1->setEditingOption(false);
        DBGrid1->viewport()->update();
        if (LookDataForm) {
            DBGrid *grid = LookDataForm->DBGrid1;
            grid->setEditingOption(false);
            const int selected = grid->selectedIndex();
            grid->setSelectedIndex(selected == 0 ? 1 : selected - 1);
            grid->viewport()->update();
        }
        BtBtnCanEdit->setIcon(QIcon(QPixmap::fromImage(InputLockImg->picture())));
    }
}

void TForm1::Table1AfterPost(TTable &)
{
    // A closed table has nothing to re-read (its window failed to open it); skip it quietly.
    if (Form1 && Form1->Table1->active())
        Form1->Table1->refresh();
    if (LookDataForm && LookDataForm->Table1->active())
        LookDataForm->Table1->refresh();
}

bool TForm1::FormCloseQuery()
{
    if (ExcelApplication1) {
        try {
            releaseSpreadsheetEditing();
        } catch (const std::exception &) { }
    }
    editAndPostIgnoringErrors(Table1);
    freeFieldPanel();
    return true;
}

void TForm1::Exit1Click()
{
    close();
}

void TForm1::closeEvent(QCloseEvent *event)
{
    if (!FormCloseQuery()) {
        event->ignore();
        return;
    }
    event->accept();
    if (OnClose)
        OnClose(this);
}
