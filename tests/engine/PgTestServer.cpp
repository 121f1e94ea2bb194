#include "tests/engine/PgTestServer.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <stdexcept>

namespace {

QString required(const char *variable)
{
    const QString value = qEnvironmentVariable(variable);
    if (value.isEmpty())
        throw std::runtime_error(std::string(variable)
            + " is not set: run this test through ctest, whose pgsql fixture starts the server");
    return value;
}

} // namespace

PgTestServer::PgTestServer() : m_dir(sharedHost() + QStringLiteral("/server-XXXXXX"))
{ }

PgTestServer::~PgTestServer()
{
    try {
        run(QStringLiteral("destroy"), host());
    } catch (const std::exception &e) {
        qWarning("%s", e.what());
    }
}

void PgTestServer::start()
{
    run(QStringLiteral("start"), host());
}

void PgTestServer::stop()
{
    run(QStringLiteral("stop"), host());
}

QString PgTestServer::sharedHost()
{
    return required("TABVALE_PG_HOST");
}

QString PgTestServer::connInfo(const QString &host, const QString &database)
{
    return QStringLiteral("host='%1' port=5432 user=tabvale dbname='%2'").arg(host, database);
}

void PgTestServer::isolateFromUserSettings()
{
    const QStringList names = QProcessEnvironment::systemEnvironment().keys();
    for (const QString &name : names) {
        if (name.startsWith(u"PG"))
            qunsetenv(name.toLocal8Bit().constData());
    }
}

void PgTestServer::run(const QString &command, const QString &folder)
{
    QProcess script;
    script.setProcessChannelMode(QProcess::MergedChannels);
    script.start(required("TABVALE_PG_SERVER_SCRIPT"), {command, folder});
    if (!script.waitForFinished(120000) || script.exitStatus() != QProcess::NormalExit
        || script.exitCode() != 0)
        throw std::runtime_error(QStringLiteral("pg-server.sh %1 %2 failed: %3")
                                     .arg(command, folder, QString::fromLocal8Bit(script.readAll()))
                                     .toStdString());
}
