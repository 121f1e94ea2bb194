#include "tests/spreadsheet/CalcTestOffice.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QThread>
#include <QUrl>
#include <QUuid>
#include <csignal>
#include <stdexcept>
#include <unistd.h>

CalcTestOffice::CalcTestOffice(const QString &directory)
{
    m_options.pipeName
        = QStringLiteral("tabvale-test-%1").arg(QUuid::createUuid().toString(QUuid::Id128));
    m_options.profileDirectory = directory + QStringLiteral("/office-profile");
    m_options.headless = true;
    m_options.callTimeoutMs = 20000;
}

CalcTestOffice::~CalcTestOffice()
{
    kill();
}

void CalcTestOffice::start()
{
    QDir().mkpath(m_options.profileDirectory);
    m_process.start(m_options.officeProgram,
        {QStringLiteral("--accept=pipe,name=%1;urp;StarOffice.ComponentContext")
                .arg(m_options.pipeName),
            QStringLiteral("--headless"), QStringLiteral("--norestore"), QStringLiteral("--nologo"),
            QStringLiteral("--nodefault"), QStringLiteral("--nolockcheck"),
            QStringLiteral("-env:UserInstallation=")
                + QString::fromLatin1(
                    QUrl::fromLocalFile(m_options.profileDirectory).toEncoded())});
    m_started = true;
    qputenv("TABVALE_CALC_PIPE", m_options.pipeName.toLocal8Bit());
    qputenv("TABVALE_CALC_PROFILE", m_options.profileDirectory.toLocal8Bit());
    qputenv("TABVALE_CALC_HEADLESS", "1");
    // The office's pipe is a socket named after the user and the pipe name.
    const QString socket
        = QStringLiteral("/tmp/OSL_PIPE_%1_%2").arg(::getuid()).arg(m_options.pipeName);
    QElapsedTimer timer;
    timer.start();
    while (!QFileInfo::exists(socket)) {
        if (!m_process.running() || timer.elapsed() > 60000)
            throw std::runtime_error("the test office did not start");
        QThread::msleep(50);
    }
}

void CalcTestOffice::kill()
{
    if (!m_started)
        return;
    ::kill(-m_process.pid(), SIGCONT);
    m_process.kill();
    m_started = false;
    QFile::remove(QStringLiteral("/tmp/OSL_PIPE_%1_%2").arg(::getuid()).arg(m_options.pipeName));
}

void CalcTestOffice::pause()
{
    ::kill(-m_process.pid(), SIGSTOP);
}

void CalcTestOffice::resume()
{
    ::kill(-m_process.pid(), SIGCONT);
}
