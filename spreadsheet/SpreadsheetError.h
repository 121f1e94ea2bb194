#pragma once

#include <QString>
#include <stdexcept>

// The one exception of the spreadsheet layer: a call the spreadsheet refused or could not make,
// or a look-up by a name that does not exist. Callers treat "not found" and "failed" alike.
class SpreadsheetError : public std::runtime_error
{
public:
    explicit SpreadsheetError(const QString &message)
        : std::runtime_error(message.toStdString()), m_message(message)
    { }
    QString message() const { return m_message; }

private:
    QString m_message;
};
