#include "translations/MessageLanguage.h"

#include <QCoreApplication>
#include <QTranslator>

namespace MessageLanguage {

bool speaksChinese(const QLocale &locale)
{
    // QLocale reads C and POSIX (and an unset environment) as the C locale.
    return locale.language() == QLocale::C || locale.language() == QLocale::Chinese;
}

bool installChinese(QCoreApplication &app)
{
    auto *translator = new QTranslator(&app);
    if (!translator->load(QStringLiteral(":/i18n/tabvale_zh_CN.qm"))) {
        delete translator;
        return false;
    }
    QCoreApplication::installTranslator(translator);
    return true;
}

void installForTool(QCoreApplication &app)
{
    if (speaksChinese(QLocale::system()))
        installChinese(app);
}

} // namespace MessageLanguage
