#include "app/FileArgument.h"

#include "common/Guarded.h"
#include "common/Prompts.h"
#include "controls/ComboLists.h"
#include "datawindow/TForm1.h"
#include "engine/AliasRegistry.h"
#include "engine/Engine.h"
#include "engine/EngineError.h"

#include <QApplication>
#include <QComboBox>
#include <QCommandLineParser>
#include <QTimer>
#include <QUrl>

namespace FileArgument {

QString fromArguments(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QCoreApplication::translate(
        "FileArgument", "Browse and edit the tables of picture-rich databases."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("file"),
        QCoreApplication::translate(
            "FileArgument", "A SQLite database to open (it is added to the aliases)."),
        QStringLiteral("[file]"));
    parser.process(arguments);
    const QStringList files = parser.positionalArguments();
    if (files.isEmpty())
        return {};
    const QUrl url(files.first());
    return url.isLocalFile() ? url.toLocalFile() : files.first();
}

void open(TForm1 *window, const QString &file)
{
    Alias alias;
    try {
        alias = AliasRegistry::aliasForFile(file);
    } catch (const EngineError &error) {
        const QString text = error.message();
        QTimer::singleShot(0, window, [window, text] {
            Prompts::message(window, text, QApplication::applicationDisplayName(), QMessageBox::Ok,
                QMessageBox::Warning);
        });
        return;
    }
    Guarded::run([&] {
        ComboLists::fill(window->CBDBase, Engine::aliasNames());
        ComboLists::selectEntry(window->CBDBase, alias.name);
        window->CBDBaseChange(); // its tables listed, the first one chosen and opened
    });
}

} // namespace FileArgument
