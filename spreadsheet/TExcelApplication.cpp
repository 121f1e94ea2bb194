#include "spreadsheet/TExcelApplication.h"

#include <QCoreApplication>
#include <QSemaphore>
#include <QThread>
#include <atomic>
#include <mutex>

// Hands a before-close question from the spreadsheet's thread to the GUI thread. The owner pointer
// is cleared under the lock when the connection object goes, so a late question finds nobody.
struct TExcelApplication::Relay
{
    std::mutex mutex;
    TExcelApplication *owner = nullptr;
};

namespace {

struct Question
{
    QSemaphore answered;
    std::atomic<bool> cancel = false;
    std::atomic<bool> abandoned = false;
};

TExcelApplication::Factory &factory()
{
    static TExcelApplication::Factory f;
    return f;
}

} // namespace

TExcelApplication::Factory TExcelApplication::setFactory(Factory f)
{
    std::swap(factory(), f);
    return f;
}

bool TExcelApplication::available()
{
    return factory() || SpreadsheetApplication::installed(SpreadsheetOptions::fromEnvironment());
}

TExcelApplication::TExcelApplication(QObject *parent)
    : TExcelApplication(factory()
            ? factory()()
            : SpreadsheetApplication::create(SpreadsheetOptions::fromEnvironment()),
        SpreadsheetOptions::fromEnvironment().callTimeoutMs, parent)
{ }

TExcelApplication::TExcelApplication(const SpreadsheetOptions &options, QObject *parent)
    : TExcelApplication(SpreadsheetApplication::create(options), options.callTimeoutMs, parent)
{ }

TExcelApplication::TExcelApplication(
    std::shared_ptr<SpreadsheetApplication> application, int timeout, QObject *parent)
    : QObject(parent), m_application(std::move(application)), m_relay(std::make_shared<Relay>())
{
    m_relay->owner = this;
    std::weak_ptr<Relay> weakRelay = m_relay;
    m_application->setBeforeCloseHandler([weakRelay, timeout](const WorkbookPtr &workbook) {
        auto relay = weakRelay.lock();
        if (!relay)
            return false;
        auto question = std::make_shared<Question>();
        {
            std::lock_guard lock(relay->mutex);
            TExcelApplication *owner = relay->owner;
            if (!owner)
                return false;
            if (QThread::currentThread() == owner->thread()) {
                // The close was asked for by one of our own calls: we are inside it already.
                bool cancel = false;
                emit owner->workbookBeforeClose(*workbook, cancel);
                return cancel;
            }
            QMetaObject::invokeMethod(
                owner,
                [owner, workbook, question] {
                    if (question->abandoned)
                        return;
                    bool cancel = false;
                    try {
                        emit owner->workbookBeforeClose(*workbook, cancel);
                    } catch (...) {
                        // an exception must not reach the event loop; the workbook closes
                        cancel = false;
                    }
                    question->cancel = cancel;
                    question->answered.release();
                },
                Qt::QueuedConnection);
        }
        // A GUI thread that does not get round to it in time lets the workbook close.
        if (!question->answered.tryAcquire(1, timeout)) {
            question->abandoned = true;
            return false;
        }
        return question->cancel.load();
    });
}

TExcelApplication::~TExcelApplication()
{
    std::lock_guard lock(m_relay->mutex);
    m_relay->owner = nullptr;
}
