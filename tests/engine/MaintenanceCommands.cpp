#include "tests/engine/MaintenanceCommands.h"

#include "engine/EngineError.h"
#include "engine/TTable.h"
#include "engine/TableMaintenance.h"

bool runMaintenanceCommand(const QString &command, TTable &table)
{
    if (command == u"compact")
        TableMaintenance::compact(table);
    else if (command == u"empty")
        TableMaintenance::emptyWithBackup(table);
    else if (command == u"restore")
        return TableMaintenance::restoreFromBackup(table);
    else if (command == u"clear")
        TableMaintenance::clearUnreadable(table);
    else if (command == u"delete")
        TableMaintenance::deleteTable(table);
    else
        throw EngineError(QStringLiteral("no command “%1”").arg(command));
    return true;
}

QString engineMessageOf(const std::function<void()> &action)
{
    try {
        action();
    } catch (const EngineError &e) {
        return e.message();
    }
    return {};
}
