#include "datawindow/exchange/ExchangeError.h"

#include "engine/EngineError.h"
#include "picture/PictureError.h"

#include <QCoreApplication>

ExchangeError::ExchangeError(const QString &doing, const std::exception &error)
    : ExchangeError(QCoreApplication::translate("ExchangeError", "%1: %2").arg(doing, messageOf(error)),
          kindOf(error))
{ }

QString ExchangeError::messageOf(const std::exception &error)
{
    if (auto *e = dynamic_cast<const SpreadsheetError *>(&error))
        return e->message();
    if (auto *e = dynamic_cast<const EngineError *>(&error))
        return e->message();
    if (auto *e = dynamic_cast<const PictureError *>(&error))
        return e->message();
    if (auto *e = dynamic_cast<const ExchangeError *>(&error))
        return e->message();
    return QString::fromUtf8(error.what());
}

ExchangeError::Kind ExchangeError::kindOf(const std::exception &error)
{
    if (auto *e = dynamic_cast<const SpreadsheetError *>(&error))
        return e->kind();
    if (auto *e = dynamic_cast<const ExchangeError *>(&error))
        return e->cause();
    return Kind::Refused;
}
