#include "spreadsheet/SpreadsheetOptions.h"

#include <QtGlobal>
#include <unistd.h>

SpreadsheetOptions SpreadsheetOptions::fromEnvironment()
{
    SpreadsheetOptions o;
    o.pipeName = QStringLiteral("tabvale-calc-%1").arg(::getuid());
    if (qEnvironmentVariableIsSet("TABVALE_CALC_PIPE"))
        o.pipeName = qEnvironmentVariable("TABVALE_CALC_PIPE");
    o.profileDirectory = qEnvironmentVariable("TABVALE_CALC_PROFILE");
    o.headless = qEnvironmentVariableIntValue("TABVALE_CALC_HEADLESS") != 0;
    if (qEnvironmentVariableIsSet("TABVALE_CALC_PROGRAM"))
        o.officeProgram = qEnvironmentVariable("TABVALE_CALC_PROGRAM");
    bool ok = false;
    const int timeout = qEnvironmentVariableIntValue("TABVALE_CALC_TIMEOUT_MS", &ok);
    if (ok && timeout > 0)
        o.callTimeoutMs = timeout;
    return o;
}
