#include "spreadsheet/CalcProcess.h"

#include "spreadsheet/SpreadsheetError.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

CalcProcess::~CalcProcess()
{
    running(); // reap if already gone; a live office is left alone
}

void CalcProcess::start(const QString &program, const QStringList &arguments)
{
    // Everything the child needs is prepared before fork: after it only async-signal-safe calls.
    std::vector<QByteArray> storage;
    storage.push_back(program.toLocal8Bit());
    for (const QString &a : arguments)
        storage.push_back(a.toLocal8Bit());
    std::vector<char *> argv;
    for (QByteArray &s : storage)
        argv.push_back(s.data());
    argv.push_back(nullptr);

    const pid_t pid = ::fork();
    if (pid < 0)
        throw SpreadsheetError(QCoreApplication::translate("CalcProcess", "cannot start the spreadsheet application"));
    if (pid == 0) {
        ::setsid();
        const int devnull = ::open("/dev/null", O_RDWR);
        if (devnull >= 0) {
            ::dup2(devnull, 0);
            ::dup2(devnull, 1);
            ::dup2(devnull, 2);
        }
        ::execvp(argv[0], argv.data());
        ::_exit(127);
    }
    m_pid = pid;
    m_exited = false;
    m_status = 0;
}

bool CalcProcess::running()
{
    if (m_pid <= 0 || m_exited)
        return false;
    int status = 0;
    const pid_t r = ::waitpid(m_pid, &status, WNOHANG);
    if (r == m_pid) {
        m_exited = true;
        m_status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    } else if (r < 0 && errno == ECHILD) {
        m_exited = true;
    }
    return !m_exited;
}

bool CalcProcess::waitForExit(int timeoutMs)
{
    QElapsedTimer timer;
    timer.start();
    while (running()) {
        if (timer.elapsed() >= timeoutMs)
            return false;
        QThread::msleep(20);
    }
    return true;
}

void CalcProcess::kill()
{
    if (m_pid <= 0)
        return;
    ::kill(-m_pid, SIGKILL); // the group: the launcher and the office it started
    if (running())
        ::kill(m_pid, SIGKILL);
    waitForExit(5000);
}
