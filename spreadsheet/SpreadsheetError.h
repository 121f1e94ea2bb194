#pragma once

#include <QString>
#include <stdexcept>

// The one exception of the spreadsheet layer: a call the spreadsheet refused or could not make,
// or a look-up by a name that does not exist. Callers treat "not found" and "failed" alike; the
// kind tells a single refused call from an application that is out of reach altogether.
class SpreadsheetError : public std::runtime_error
{
public:
    enum class Kind {
        Refused, // this call failed; the application answers
        NotAnswering, // the application did not answer in time
        Gone, // the application ended or the link to it broke
        Unavailable, // the application is not installed or could not be started
    };

    explicit SpreadsheetError(const QString &message, Kind kind = Kind::Refused)
        : std::runtime_error(message.toStdString()), m_message(message), m_kind(kind)
    { }
    QString message() const { return m_message; }
    Kind kind() const { return m_kind; }
    // Nothing more can be done through the application for now.
    bool applicationLost() const { return m_kind != Kind::Refused; }

private:
    QString m_message;
    Kind m_kind;
};
