#include "UnavailableApplication.h"

#include "SpreadsheetError.h"

void UnavailableApplication::fail()
{
    throw SpreadsheetError(QStringLiteral("the spreadsheet application is not installed"));
}

std::shared_ptr<SpreadsheetApplication> SpreadsheetApplication::create(const SpreadsheetOptions &)
{
    return std::make_shared<UnavailableApplication>();
}
