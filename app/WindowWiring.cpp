#include "app/WindowWiring.h"

#include "DBInputPic/TFDBInputPic.h"
#include "common/InputPictureWindow.h"
#include "common/MainWindowLink.h"
#include "common/SharedState.h"
#include "datawindow/TForm1.h"
#include "engine/TTable.h"

#include <QAction>
#include <QComboBox>
#include <QGuiApplication>

namespace WindowWiring {

namespace {

void installInputPictureWindow()
{
    InputPictureWindow::Handlers h;
    h.open = [] {
        FDBInputPic = new TFDBInputPic;
        FDBInputPic->show();
    };
    h.close = [] {
        if (FDBInputPic)
            FDBInputPic->close();
        FDBInputPic.clear();
    };
    h.free = [] {
        delete FDBInputPic.data();
        FDBInputPic.clear();
    };
    InputPictureWindow::install(std::move(h));
}

void installMainWindowLink()
{
    MainWindowLink::Handlers h;
    h.alias = [] {
        return Form1->CBDBase->currentText();
    };
    h.table = [] {
        return Form1->CBTable->currentText();
    };
    h.uncheckInputPicture = [] {
        if (Form1->InputPicture1)
            Form1->InputPicture1->setChecked(false);
    };
    h.refreshTable = [] {
        if (Form1->Table1 && Form1->Table1->active())
            Form1->Table1->refresh();
    };
    h.pictureMouseUp
        = [](DBImage *image, Qt::MouseButton button, Qt::KeyboardModifiers shift, QPoint pos) {
              Form1->DBImageMouseUp(image, button, shift, pos);
          };
    h.setPictureLoadedHandler = [](std::function<void()> handler) {
        Form1->OnInputWindowPictureLoaded = std::move(handler);
    };
    MainWindowLink::install(std::move(h));
}

// A table waiting for the rest of its record list (a jump to the last record of a big table
// opened a moment ago) shows the wait cursor meanwhile.
void installRecordListWait()
{
    TTable::setWaitHook([](bool waiting) {
        if (waiting)
            QGuiApplication::setOverrideCursor(Qt::WaitCursor);
        else
            QGuiApplication::restoreOverrideCursor();
    });
}

} // namespace

void install()
{
    installInputPictureWindow();
    installMainWindowLink();
    installRecordListWait();
}

} // namespace WindowWiring
