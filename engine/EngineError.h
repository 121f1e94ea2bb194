#pragma once

#include <QString>
#include <stdexcept>

// The one exception the engine raises. Its message is meant for the user, as is.
class EngineError : public std::runtime_error
{
public:
    explicit EngineError(const QString &message)
        : std::runtime_error(message.toStdString()), m_message(message)
    { }
    QString message() const { return m_message; }

private:
    QString m_message;
};
