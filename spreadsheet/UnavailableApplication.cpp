#include "spreadsheet/UnavailableApplication.h"

#include <QCoreApplication>

#include "spreadsheet/SpreadsheetError.h"

void UnavailableApplication::fail()
{
    throw SpreadsheetError(QCoreApplication::translate("UnavailableApplication", "the spreadsheet application is not installed"),
        SpreadsheetError::Kind::Unavailable);
}

std::shared_ptr<SpreadsheetApplication> SpreadsheetApplication::create(const SpreadsheetOptions &)
{
    return std::make_shared<UnavailableApplication>();
}

bool SpreadsheetApplication::installed(const SpreadsheetOptions &)
{
    return false;
}
