#include "spreadsheet/CalcConnection.h"

#include "spreadsheet/CalcConvert.h"
#include "spreadsheet/OfficeFailure.h"
#include "spreadsheet/SpreadsheetApplication.h"

#include <QCoreApplication>
#include <QDebug>
#include <QDir>
#include <QElapsedTimer>
#include <QThread>
#include <QUrl>
#include <com/sun/star/bridge/BridgeFactory.hpp>
#include <com/sun/star/bridge/XBridge.hpp>
#include <com/sun/star/connection/Connector.hpp>
#include <com/sun/star/connection/NoConnectException.hpp>
#include <com/sun/star/frame/Desktop.hpp>
#include <com/sun/star/lang/DisposedException.hpp>
#include <com/sun/star/lang/XEventListener.hpp>
#include <cppuhelper/bootstrap.hxx>
#include <cppuhelper/implbase1.hxx>
#include <rtl/bootstrap.hxx>

#include <csignal>
#include <map>
#include <vector>

using namespace css;
using CalcConvert::toOUString;
using CalcConvert::toQString;

namespace {

// The local UNO runtime, set up once per process and kept until exit (tearing it down at exit races
// with the bridge threads). The bootstrap is set in-process only: the office must not inherit it.
uno::Reference<uno::XComponentContext> localContext()
{
    static uno::Reference<uno::XComponentContext> *context = [] {
        // The link to the office is a pipe: an office that is killed while a call is written
        // would end this process with SIGPIPE. The write fails instead, and the bridge reports
        // the office gone.
        std::signal(SIGPIPE, SIG_IGN);
        rtl::Bootstrap::set(
            "URE_BOOTSTRAP", "vnd.sun.star.pathname:" TABVALE_LIBREOFFICE_PROGRAM "/fundamentalrc");
        return new uno::Reference<uno::XComponentContext>(
            cppu::defaultBootstrap_InitialComponentContext());
    }();
    return *context;
}

// One link per office and process: a second link from this process to the same office makes the
// office drop the first, so every connection object to an office shares one link.
struct SharedLink
{
    uno::Reference<bridge::XBridge> bridge;
    std::shared_ptr<std::atomic<bool>> gone;
    std::vector<std::weak_ptr<CalcLinkBound>> bound;
};

std::mutex &linksMutex()
{
    static auto *m = new std::mutex;
    return *m;
}

std::map<QString, SharedLink> &links()
{
    static auto *l = new std::map<QString, SharedLink>;
    return *l;
}

} // namespace

// Notes when the link goes down (the office died or the link was cut) so the next call reconnects.
class CalcConnection::BridgeListener : public cppu::WeakImplHelper1<lang::XEventListener>
{
public:
    explicit BridgeListener(std::shared_ptr<std::atomic<bool>> gone) : m_gone(std::move(gone)) { }
    void SAL_CALL disposing(const lang::EventObject &) override { *m_gone = true; }

private:
    std::shared_ptr<std::atomic<bool>> m_gone;
};

CalcConnection::CalcConnection(const SpreadsheetOptions &options)
    : m_options(options), m_watchdog([this] { watchdogLoop(); })
{ }

CalcConnection::~CalcConnection()
{
    try {
        disconnect();
    } catch (...) {
        // nothing left to tell: the link is going anyway
    }
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_wake.notify_all();
    m_watchdog.join();
}

void CalcConnection::arm()
{
    if (m_depth++ > 0)
        return;
    rearm(m_options.callTimeoutMs);
}

void CalcConnection::rearm(int timeoutMs)
{
    {
        std::lock_guard lock(m_mutex);
        m_armed = true;
        m_timedOut = false;
        m_deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    }
    m_wake.notify_all();
}

void CalcConnection::disarm()
{
    if (--m_depth > 0)
        return;
    std::lock_guard lock(m_mutex);
    m_armed = false;
}

void CalcConnection::watchdogLoop()
{
    std::unique_lock lock(m_mutex);
    while (!m_stopping) {
        if (!m_armed) {
            m_wake.wait(lock);
            continue;
        }
        if (m_wake.wait_until(lock, m_deadline) == std::cv_status::no_timeout)
            continue;
        if (!m_armed || std::chrono::steady_clock::now() < m_deadline)
            continue;
        // The office does not answer: cutting the link makes the waiting call return.
        m_armed = false;
        m_timedOut = true;
        uno::Reference<lang::XComponent> bridge = m_bridge;
        if (m_bridgeGone)
            *m_bridgeGone = true;
        lock.unlock();
        if (bridge.is()) {
            try {
                bridge->dispose();
            } catch (const uno::Exception &) {
                // already going down
            }
        }
        lock.lock();
    }
}

void CalcConnection::fail(const uno::Exception &e, bool disposed)
{
    bool timedOut = false;
    {
        std::lock_guard lock(m_mutex);
        timedOut = m_timedOut;
    }
    bool gone = false;
    {
        std::lock_guard lock(m_mutex);
        gone = m_bridgeGone && *m_bridgeGone;
        // A call through a link that has ended (its end not yet reported) fails the same way.
        if (disposed && toQString(e.Message).contains(QLatin1String("URP bridge"))
            && m_bridgeGone) {
            *m_bridgeGone = true;
            gone = true;
        }
    }
    if (timedOut || gone) {
        m_lost = true;
        try {
            disconnect();
        } catch (...) {
            // the link is gone either way
        }
        if (timedOut)
            throw SpreadsheetError(QCoreApplication::translate("CalcConnection", "the spreadsheet application does not answer"),
                SpreadsheetError::Kind::NotAnswering);
        throw SpreadsheetError(QCoreApplication::translate("CalcConnection", "the spreadsheet application has gone away"),
            SpreadsheetError::Kind::Gone);
    }
    if (disposed)
        throw SpreadsheetError(QCoreApplication::translate("CalcConnection", "the spreadsheet object no longer exists"));
    const QString officeText = toQString(e.Message).trimmed();
    qWarning().noquote() << "spreadsheet call refused:" << officeText;
    throw SpreadsheetError(OfficeFailure::reason(officeText));
}

void CalcConnection::disconnect()
{
    // Only our hold on the link is dropped: other connection objects may share it, and the link
    // ends by itself once nobody holds an object through it.
    {
        std::lock_guard lock(m_mutex);
        m_bridge.clear();
    }
    m_context.clear();
    m_desktop.clear();
    std::lock_guard lock(m_mutex);
    m_bridgeGone.reset();
}

bool CalcConnection::tryConnect()
{
    const auto local = localContext();
    SharedLink link;
    bool reused = false;
    std::vector<std::weak_ptr<CalcLinkBound>> orphans;
    {
        std::lock_guard lock(linksMutex());
        auto it = links().find(m_options.pipeName);
        if (it != links().end() && !*it->second.gone) {
            link = it->second;
            reused = true;
        }
        else if (it != links().end())
            orphans.swap(it->second.bound);
    }
    // Before the new link hands out any object, nothing may hold one through the lost link.
    for (const auto &o : orphans) {
        if (auto obj = o.lock())
            obj->releaseLink();
    }
    if (!link.bridge.is()) {
        uno::Reference<connection::XConnection> pipe;
        try {
            pipe = connection::Connector::create(local)->connect(
                toOUString(QStringLiteral("pipe,name=") + m_options.pipeName));
        } catch (const connection::NoConnectException &) {
            return false;
        }
        link.bridge = bridge::BridgeFactory::create(local)->createBridge("", "urp", pipe, nullptr);
        link.gone = std::make_shared<std::atomic<bool>>(false);
        uno::Reference<lang::XComponent>(link.bridge, uno::UNO_QUERY_THROW)
            ->addEventListener(new BridgeListener(link.gone));
        std::lock_guard lock(linksMutex());
        links()[m_options.pipeName] = link;
    }
    {
        std::lock_guard lock(m_mutex);
        m_bridge.set(link.bridge, uno::UNO_QUERY_THROW);
        m_bridgeGone = link.gone;
    }
    auto bridge = link.bridge;
    // The first round trip: an office that accepted the link but hangs is caught by the watchdog.
    rearm(m_options.callTimeoutMs);
    try {
        m_context.set(bridge->getInstance("StarOffice.ComponentContext"), uno::UNO_QUERY_THROW);
        m_desktop = frame::Desktop::create(m_context);
    } catch (const lang::DisposedException &) {
        if (!reused)
            throw;
        // The link found was ending by itself, nobody holding anything through it any more (on a
        // busy machine it notices late): that says nothing of the office, so a new link is made.
        {
            std::lock_guard lock(linksMutex());
            *link.gone = true;
        }
        disconnect();
        return tryConnect();
    }
    ++m_generation;
    return true;
}

void CalcConnection::startOffice()
{
    if (!SpreadsheetApplication::installed(m_options))
        throw SpreadsheetError(QCoreApplication::translate("CalcConnection", "the spreadsheet application is not installed"),
            SpreadsheetError::Kind::Unavailable);
    QStringList args {QStringLiteral("--accept=pipe,name=%1;urp;StarOffice.ComponentContext")
                          .arg(m_options.pipeName),
        QStringLiteral("--norestore"), QStringLiteral("--nologo"), QStringLiteral("--nodefault"),
        QStringLiteral("--nolockcheck")};
    if (m_options.headless)
        args << QStringLiteral("--headless");
    if (!m_options.profileDirectory.isEmpty()) {
        const QString dir = QDir(m_options.profileDirectory).absolutePath();
        args << QStringLiteral("-env:UserInstallation=")
                + QString::fromLatin1(QUrl::fromLocalFile(dir).toEncoded());
    }
    m_process.start(m_options.officeProgram, args);
}

uno::Reference<uno::XComponentContext> CalcConnection::context()
{
    if (m_context.is() && m_bridgeGone) {
        if (!*m_bridgeGone)
            return m_context;
        m_lost = true; // the link we had broke: the office ended or was cut off
    }
    disconnect();
    if (tryConnect()) {
        // Started by us earlier and still alive: it is still ours.
        m_startedHere = m_startedHere && m_process.running();
        m_lost = false;
        return m_context;
    }
    // An office that went away is not replaced behind the user's back: what was open in it is
    // gone, and a new one would only show empty.
    if (m_lost)
        throw SpreadsheetError(QCoreApplication::translate("CalcConnection", "the spreadsheet application has gone away"),
            SpreadsheetError::Kind::Gone);
    // Nothing listens: start an office. An office already running without a listener takes the
    // request over and our launcher exits; then the office is the user's, not ours.
    startOffice();
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < m_options.startTimeoutMs) {
        rearm(m_options.callTimeoutMs + m_options.startTimeoutMs);
        QThread::msleep(100);
        if (tryConnect()) {
            m_startedHere = m_process.running();
            return m_context;
        }
        if (!m_process.running() && (m_process.failed() || timer.elapsed() > 10000))
            break; // the launcher is gone and nobody took the request over
    }
    if (m_process.running())
        m_process.kill();
    throw SpreadsheetError(QCoreApplication::translate("CalcConnection", "the spreadsheet application could not be started (%1)")
                               .arg(m_options.officeProgram),
        SpreadsheetError::Kind::Unavailable);
}

void CalcConnection::bindToLink(std::weak_ptr<CalcLinkBound> obj)
{
    std::lock_guard lock(linksMutex());
    auto it = links().find(m_options.pipeName);
    if (it == links().end() || *it->second.gone)
        return;
    auto &bound = it->second.bound;
    std::erase_if(bound, [](const std::weak_ptr<CalcLinkBound> &b) { return b.expired(); });
    bound.push_back(std::move(obj));
}

bool CalcConnection::reachableWithoutStarting()
{
    if (m_context.is() && m_bridgeGone && !*m_bridgeGone)
        return true;
    disconnect();
    return tryConnect();
}

uno::Reference<frame::XDesktop2> CalcConnection::desktop()
{
    context();
    return m_desktop;
}

void CalcConnection::endOffice()
{
    m_lost = false;
    // Our launcher lives as long as the office it started; once it is gone the office that answers
    // is someone else's.
    if (!m_startedHere || !m_process.running()) {
        m_startedHere = false;
        return;
    }
    try {
        if (m_desktop.is() && m_bridgeGone && !*m_bridgeGone)
            m_desktop->terminate();
    } catch (const uno::Exception &) {
        // it may go down while answering; the process check below decides
    }
    disconnect();
    if (!m_process.waitForExit(10000))
        m_process.kill();
    m_startedHere = false;
}
