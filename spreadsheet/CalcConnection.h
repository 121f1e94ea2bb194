#pragma once

#include "spreadsheet/CalcProcess.h"
#include "spreadsheet/SpreadsheetError.h"
#include "spreadsheet/SpreadsheetOptions.h"

#include <com/sun/star/frame/XDesktop2.hpp>
#include <com/sun/star/lang/DisposedException.hpp>
#include <com/sun/star/lang/XComponent.hpp>
#include <com/sun/star/uno/Exception.hpp>
#include <com/sun/star/uno/XComponentContext.hpp>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

// Something that holds the office's objects through a link. A process sees each office object
// through one stand-in, whichever link it came by: while a stand-in from a lost link is held, the
// same object fetched through a new link to the same office comes back as that dead stand-in. So
// when a new link replaces a lost one, everything bound to the lost one lets go first.
class CalcLinkBound
{
public:
    virtual ~CalcLinkBound() = default;
    virtual void releaseLink() = 0; // on the thread that makes the calls
};

// The link to the office: attaches to the one listening on our pipe or starts it, and runs every
// call under a watchdog. A call that outlives the watchdog has its link cut, so it returns with an
// error instead of blocking the program; the next call connects again to an office that listens,
// but after a lost link it starts none. All calls come from one thread.
class CalcConnection
{
public:
    explicit CalcConnection(const SpreadsheetOptions &options);
    CalcConnection(const CalcConnection &) = delete;
    CalcConnection &operator=(const CalcConnection &) = delete;
    ~CalcConnection(); // drops the link; the office keeps running

    const SpreadsheetOptions &options() const { return m_options; }

    // Runs f, translating every failure into SpreadsheetError.
    template<class F>
    decltype(auto) call(F &&f)
    {
        Watch watch(*this);
        try {
            return f();
        } catch (const SpreadsheetError &) {
            throw;
        } catch (const css::lang::DisposedException &e) {
            fail(e, true);
        } catch (const css::uno::Exception &e) {
            fail(e, false);
        }
    }

    // Only inside call(). Connect (and start the office) when there is no live link.
    css::uno::Reference<css::uno::XComponentContext> context();
    css::uno::Reference<css::frame::XDesktop2> desktop();
    // Only inside call(). Whether an office answers on our pipe, connecting to it when one does;
    // never starts one.
    bool reachableWithoutStarting();
    // Raised by every new link: objects of an older one belong to a gone office.
    unsigned generation() const { return m_generation; }
    bool officeStartedHere() { return m_startedHere && m_process.running(); }
    pid_t officeProcessId() { return officeStartedHere() ? m_process.pid() : 0; }

    // Only inside call(): obj lets go when the current link is replaced after it was lost.
    void bindToLink(std::weak_ptr<CalcLinkBound> obj);

    // Asks the office this program started to end, and ends its processes if it does not.
    void endOffice();
    // After a quit the next call may start an office again, even when the last one was lost.
    void forgetLoss() { m_lost = false; }
    void disconnect();

private:
    class Watch
    {
    public:
        explicit Watch(CalcConnection &c) : m_c(c) { m_c.arm(); }
        ~Watch() { m_c.disarm(); }

    private:
        CalcConnection &m_c;
    };
    class BridgeListener;

    void arm();
    void disarm();
    void rearm(int timeoutMs);
    void watchdogLoop();
    [[noreturn]] void fail(const css::uno::Exception &e, bool disposed);
    bool tryConnect();
    void startOffice();

    SpreadsheetOptions m_options;
    CalcProcess m_process;
    bool m_startedHere = false;
    bool m_lost = false; // the link broke or timed out: reconnect, but start no new office
    unsigned m_generation = 0;
    int m_depth = 0;
    css::uno::Reference<css::uno::XComponentContext> m_context;
    css::uno::Reference<css::frame::XDesktop2> m_desktop;
    std::shared_ptr<std::atomic<bool>> m_bridgeGone;

    std::mutex m_mutex; // guards the fields below, shared with the watchdog thread
    std::condition_variable m_wake;
    css::uno::Reference<css::lang::XComponent> m_bridge;
    std::chrono::steady_clock::time_point m_deadline;
    bool m_armed = false;
    bool m_timedOut = false;
    bool m_stopping = false;
    std::thread m_watchdog;
};
