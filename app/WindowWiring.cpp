#include "app/WindowWiring.h"

#include "DBInputPic/TFDBInputPic.h"
#include "common/InputPictureWindow.h"
#include "common/MainWindowLink.h"
#include "common/SharedState.h"
#include "datawindow/TForm1.h"
#include "engine/TTable.h"

#include <QAction>
#include <QComboBox>

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

} // namespace

void install()
{
    installInputPictureWindow();
    installMainWindowLink();
}

} // namespace WindowWiring
