#include "app/WindowWiring.h"

#include "DBInputPic/TFDBInputPic.h"
#include "common/InputPictureWindow.h"
#include "common/MainWindowLink.h"
#include "common/SharedState.h"
#include "datawindow/TForm1.h"
#include "common/Prompts.h"
#include "engine/PgLogin.h"
#include "engine/PgPasswords.h"
#include "engine/TTable.h"

#include <QAction>
#include <QComboBox>
#include <QApplication>
#include <QGuiApplication>
#include <QThread>

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

// A server that wants a password neither ~/.pgpass nor the service file holds asks for it once
// per run, on the GUI thread only: a worker's connection uses the one typed before, or fails.
void installPasswordPrompt()
{
    PgPasswords::setPrompt([](const PgLogin &login) -> std::optional<QString> {
        if (QThread::currentThread() != qApp->thread())
            return std::nullopt;
        QGuiApplication::setOverrideCursor(Qt::ArrowCursor); // a wait cursor may be showing
        const std::optional<QString> typed = Prompts::password(
            QApplication::activeWindow(), QApplication::applicationDisplayName(), PgPasswords::question(login));
        QGuiApplication::restoreOverrideCursor();
        return typed;
    });
}

} // namespace

void install()
{
    installInputPictureWindow();
    installMainWindowLink();
    installRecordListWait();
    installPasswordPrompt();
}

} // namespace WindowWiring
