#include "tests/datawindow/DragWindows.h"

#include "common/SharedState.h"
#include "datawindow/TForm1.h"
#include "datawindow/grid/DBGrid.h"

#include <QAction>
#include <QComboBox>
#include <QHeaderView>
#include <QTest>

namespace {

void narrowColumns(TForm1 *form)
{
    QHeaderView *header = form->DBGrid1->horizontalHeader();
    header->setDefaultSectionSize(64);
    for (int i = 0; i < header->count(); ++i)
        header->resizeSection(i, 64);
}

void selectText(QComboBox *box, const QString &text)
{
    if (box->currentText() != text)
        box->setCurrentIndex(box->findText(text));
}

} // namespace

DragWindows::DragWindows() : m_main(std::make_unique<TForm1>(true))
{
    m_main->setGeometry(0, 0, 790, 560);
    narrowColumns(m_main.get());
    m_main->show();
    if (!QTest::qWaitForWindowExposed(m_main.get()))
        qWarning("the main window never showed");
}

DragWindows::~DragWindows()
{
    delete m_find.data();
    m_main.reset();
}

TForm1 *DragWindows::openFind()
{
    m_main->LookData1->trigger();
    m_find = LookDataForm;
    if (m_find) {
        m_find->setGeometry(800, 0, 790, 560);
        narrowColumns(m_find);
        if (!QTest::qWaitForWindowExposed(m_find))
            qWarning("the find-data window never showed");
    }
    return m_find;
}

void DragWindows::closeFind()
{
    if (m_find)
        m_main->LookData1->trigger();
    QTest::qWait(0);
}

void DragWindows::showTable(TForm1 *form, const QString &alias, const QString &table)
{
    selectText(form->CBDBase, alias);
    selectText(form->CBTable, table);
    narrowColumns(form);
}
