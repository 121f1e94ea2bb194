#include "app/TabvaleApplication.h"

#include "common/Guarded.h"
#include "translations/MessageLanguage.h"

#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

TabvaleApplication::TabvaleApplication(int &argc, char **argv) : QApplication(argc, argv)
{
    // The name only: a display name would be appended to every window's caption.
    setApplicationName(QStringLiteral("Tabvale"));
    // Every caption is Chinese: the standard buttons and dialogs say 确定, 取消, 是, 否 with them,
    // whatever the desktop's language (when Qt's translations are installed).
    auto *translator = new QTranslator(this);
    if (translator->load(QLocale(QLocale::Chinese, QLocale::China), QStringLiteral("qtbase"),
            QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        installTranslator(translator);
    setApplicationVersion(QStringLiteral("2.00"));
    // The menu entry's id: the desktop matches the windows to the entry and its icon by it.
    setDesktopFileName(QStringLiteral(TABVALE_APP_ID));
    setWindowIcon(QIcon::fromTheme(QStringLiteral(TABVALE_APP_ID)));
}

void TabvaleApplication::installMessageTranslations()
{
    MessageLanguage::installChinese(*this);
}

bool TabvaleApplication::notify(QObject *receiver, QEvent *event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception &error) {
        Guarded::showException(error);
    }
    return false;
}
