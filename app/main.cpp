#include "app/FileArgument.h"
#include "app/TabvaleApplication.h"
#include "app/WindowWiring.h"
#include "datawindow/TForm1.h"
#include "engine/CheckpointDeferred.h"

int main(int argc, char **argv)
{
    TabvaleApplication app(argc, argv);
    app.installMessageTranslations();
    const QString file = FileArgument::fromArguments(QCoreApplication::arguments());
    // The program ends when the main window goes, whatever other windows are still open.
    app.setQuitOnLastWindowClosed(false);
    WindowWiring::install();
    auto *mainWindow = new TForm1(true);
    mainWindow->setAttribute(Qt::WA_DeleteOnClose);
    QObject::connect(mainWindow, &QObject::destroyed, &app, &QCoreApplication::quit);
    if (!file.isEmpty())
        FileArgument::open(mainWindow, file);
    mainWindow->show();
    const int code = app.exec();
    CheckpointDeferred::waitForWorkers(); // a log being copied into its file is copied whole
    return code;
}
