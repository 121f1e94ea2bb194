#include "tests/datawindow/OfficeMarks.h"

#include "spreadsheet/OfficeLockFile.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QThread>

namespace OfficeMarks {

QByteArray text(
    const QString &login, const QString &host, const QString &profileUrl, const QString &name)
{
    QString escapedName = name;
    escapedName.replace(QLatin1Char(','), QLatin1String("\\,"));
    return QStringLiteral("%1,%2,%3,%4,%5;")
        .arg(escapedName, login, host,
            QDateTime::currentDateTime().toString(QStringLiteral("dd.MM.yyyy hh:mm")), profileUrl)
        .toUtf8();
}

void write(const QString &workbookPath, const QByteArray &text)
{
    QFile mark(OfficeLockFile::pathFor(workbookPath));
    if (!mark.open(QIODevice::WriteOnly) || mark.write(text) != text.size())
        qFatal("cannot write the office mark beside %s", qPrintable(workbookPath));
}

PretendOffice::PretendOffice(const QString &profileUrl)
{
    // bash's exec -a names the process, which then waits on its input with a builtin: no child
    // is left behind when it is killed.
    m_process.start(QStringLiteral("bash"),
        {QStringLiteral("-c"),
            QStringLiteral("exec -a soffice.bin bash -c 'read -r -t 60 _' \"$1\""),
            QStringLiteral("-"), QStringLiteral("-env:UserInstallation=") + profileUrl});
    if (!m_process.waitForStarted())
        qFatal("cannot start the pretend office");
    // Until the exec has happened.
    const QString cmdline = QStringLiteral("/proc/%1/cmdline").arg(m_process.processId());
    const auto named = [&] {
        QFile f(cmdline);
        return f.open(QIODevice::ReadOnly) && f.readAll().startsWith("soffice.bin");
    };
    QElapsedTimer timer;
    timer.start();
    while (!named()) {
        if (timer.elapsed() > 10000)
            qFatal("the pretend office did not start");
        QThread::msleep(10);
    }
}

PretendOffice::~PretendOffice()
{
    stop();
}

void PretendOffice::stop()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.kill();
    m_process.waitForFinished();
}

} // namespace OfficeMarks
