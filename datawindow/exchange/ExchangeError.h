#pragma once

#include "spreadsheet/SpreadsheetError.h"

#include <QString>
#include <stdexcept>

// An export or write-back that stopped part-way, with where it stopped in its message (which is
// meant for the user, as is) and, when the spreadsheet was the cause, how it failed.
class ExchangeError : public std::runtime_error
{
public:
    using Kind = SpreadsheetError::Kind;

    explicit ExchangeError(const QString &message, Kind cause = Kind::Refused)
        : std::runtime_error(message.toStdString()), m_message(message), m_cause(cause)
    { }
    // Says what was being done when error stopped it.
    ExchangeError(const QString &doing, const std::exception &error);

    QString message() const { return m_message; }
    Kind cause() const { return m_cause; }

    // The text of any error the exchange meets: the spreadsheet's, the engine's, a picture's.
    static QString messageOf(const std::exception &error);
    // Refused when the error is not the spreadsheet's.
    static Kind kindOf(const std::exception &error);

private:
    QString m_message;
    Kind m_cause;
};
