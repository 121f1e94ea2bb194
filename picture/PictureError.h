#pragma once

#include <QString>
#include <stdexcept>

// The one exception of the picture layer: a file or value that is not a readable picture.
class PictureError : public std::runtime_error
{
public:
    explicit PictureError(const QString &message)
        : std::runtime_error(message.toStdString()), m_message(message)
    { }
    QString message() const { return m_message; }

private:
    QString m_message;
};
