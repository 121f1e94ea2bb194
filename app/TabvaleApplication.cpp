#include "TabvaleApplication.h"

#include "EngineError.h"
#include "PictureError.h"
#include "Prompts.h"

TabvaleApplication::TabvaleApplication(int &argc, char **argv) : QApplication(argc, argv)
{
    // The name only: a display name would be appended to every window's caption.
    setApplicationName(QStringLiteral("Tabvale"));
    setApplicationVersion(QStringLiteral("2.00"));
}

bool TabvaleApplication::notify(QObject *receiver, QEvent *event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception &error) {
        showException(error);
    }
    return false;
}

void TabvaleApplication::showException(const std::exception &error)
{
    QString text;
    if (auto *e = dynamic_cast<const EngineError *>(&error))
        text = e->message();
    else if (auto *p = dynamic_cast<const PictureError *>(&error))
        text = p->message();
    else
        text = QString::fromLocal8Bit(error.what());
    Prompts::showError(text);
}
