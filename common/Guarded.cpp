#include "common/Guarded.h"

#include "common/Prompts.h"
#include "engine/EngineError.h"
#include "picture/PictureError.h"

#include <QCoreApplication>
#include <new>

namespace Guarded {

void showException(const std::exception &error)
{
    QString text;
    if (auto *e = dynamic_cast<const EngineError *>(&error))
        text = e->message();
    else if (auto *p = dynamic_cast<const PictureError *>(&error))
        text = p->message();
    else if (dynamic_cast<const std::bad_alloc *>(&error))
        text = QCoreApplication::translate("Guarded", "There is not enough memory to finish the work.");
    else
        text = QString::fromLocal8Bit(error.what());
    Prompts::showError(text);
}

} // namespace Guarded
