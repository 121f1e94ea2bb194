#include "tests/support/TestEnvironment.h"

#include <QDir>

TestEnvironment::TestEnvironment()
{
    const QString base = m_dir.path();
    const char *dirs[][2] = {{"HOME", "home"}, {"XDG_CONFIG_HOME", "config"},
        {"XDG_DATA_HOME", "data"}, {"XDG_CACHE_HOME", "cache"}, {"XDG_RUNTIME_DIR", "runtime"}};
    for (const auto &d : dirs) {
        const QString path = base + QLatin1Char('/') + QLatin1String(d[1]);
        QDir().mkpath(path);
        QFile::setPermissions(
            path, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        qputenv(d[0], path.toLocal8Bit());
    }
    qputenv("TABVALE_ALIASES", aliasFile().toLocal8Bit());
}

QString TestEnvironment::aliasFile() const
{
    return m_dir.path() + QStringLiteral("/config/aliases.conf");
}
