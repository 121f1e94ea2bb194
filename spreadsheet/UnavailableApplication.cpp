#include "spreadsheet/UnavailableApplication.h"

#include "spreadsheet/SpreadsheetError.h"

void UnavailableApplication::fail()
{
    throw SpreadsheetError(QStringLiteral("the spreadsheet application is not installed"),
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
