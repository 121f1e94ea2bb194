#include "SharedState.h"
#include "TForm1.h"
#include "TabvaleApplication.h"
#include "app/FileArgument.h"

int main(int argc, char **argv)
{
    TabvaleApplication app(argc, argv);
    const QString file = FileArgument::fromArguments(QCoreApplication::arguments());
    // The program ends when the main window goes, whatever other windows are still open.
    app.setQuitOnLastWindowClosed(false);
    auto *mainWindow = new TForm1(true);
    mainWindow->setAttribute(Qt::WA_DeleteOnClose);
    QObject::connect(mainWindow, &QObject::destroyed, &app, &QCoreApplication::quit);
    if (!file.isEmpty())
        FileArgument::open(mainWindow, file);
    mainWindow->show();
    return app.exec();
}
