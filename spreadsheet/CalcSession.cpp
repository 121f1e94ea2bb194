#include "spreadsheet/CalcSession.h"

#include "spreadsheet/CalcCloseListener.h"
#include "spreadsheet/CalcConvert.h"
#include "spreadsheet/CalcWorkbook.h"
#include "spreadsheet/Cells.h"
#include "spreadsheet/SheetShape.h"
#include "spreadsheet/Worksheet.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTimer>
#include <QUrl>
#include <com/sun/star/awt/XWindow.hpp>
#include <com/sun/star/container/XEnumeration.hpp>
#include <com/sun/star/container/XEnumerationAccess.hpp>
#include <com/sun/star/frame/DispatchHelper.hpp>
#include <com/sun/star/frame/XDispatchProvider.hpp>
#include <com/sun/star/frame/XFrame.hpp>
#include <com/sun/star/frame/XStorable.hpp>
#include <com/sun/star/io/IOException.hpp>
#include <com/sun/star/lang/IllegalArgumentException.hpp>
#include <com/sun/star/sheet/XSpreadsheetDocument.hpp>
#include <com/sun/star/util/CloseVetoException.hpp>
#include <com/sun/star/util/XCloseBroadcaster.hpp>
#include <com/sun/star/util/XCloseable.hpp>

using namespace css;
using CalcConvert::toOUString;
using CalcConvert::toQString;

std::shared_ptr<SpreadsheetApplication> SpreadsheetApplication::create(
    const SpreadsheetOptions &options)
{
    return std::make_shared<CalcSession>(options);
}

bool SpreadsheetApplication::installed(const SpreadsheetOptions &options)
{
    // The office program, and the spreadsheet module among its libraries (the office can be
    // installed without it).
    return !QStandardPaths::findExecutable(options.officeProgram).isEmpty()
        && QFileInfo::exists(QStringLiteral(TABVALE_LIBREOFFICE_PROGRAM "/libsclo.so"));
}

CalcSession::CalcSession(const SpreadsheetOptions &options)
    : m_connection(std::make_shared<CalcConnection>(options))
{ }

CalcSession::~CalcSession()
{
    // Stop listening, so the office does not call into a session that is gone.
    std::vector<std::shared_ptr<CalcWorkbook>> books;
    {
        std::lock_guard lock(m_mutex);
        books.swap(m_books);
    }
    if (!m_listener.is())
        return;
    for (const auto &book : books) {
        if (book->generation() != m_connection->generation())
            continue;
        try {
            m_connection->call([&] {
                uno::Reference<util::XCloseBroadcaster> model(book->model(), uno::UNO_QUERY);
                if (model.is())
                    model->removeCloseListener(m_listener);
                uno::Reference<util::XCloseBroadcaster> frame(book->frame(), uno::UNO_QUERY);
                if (frame.is())
                    frame->removeCloseListener(m_listener);
            });
        } catch (const SpreadsheetError &) {
            // the office or the workbook is gone: nothing is listening any more
        }
    }
}

std::shared_ptr<CalcWorkbook> CalcSession::track(
    const uno::Reference<frame::XModel> &model, bool ours)
{
    std::lock_guard lock(m_mutex);
    const uno::Reference<uno::XInterface> key(model, uno::UNO_QUERY);
    for (const auto &book : m_books) {
        if (uno::Reference<uno::XInterface>(book->model(), uno::UNO_QUERY) == key)
            return book;
    }
    const QString untitled = QStringLiteral("Book%1").arg(++m_untitled);
    auto book = std::make_shared<CalcWorkbook>(shared_from_this(), model, untitled, ours);
    if (!m_listener.is())
        m_listener = new CalcCloseListener(weak_from_this());
    uno::Reference<util::XCloseBroadcaster> broadcaster(model, uno::UNO_QUERY);
    if (broadcaster.is())
        broadcaster->addCloseListener(m_listener);
    watchWindow(book);
    m_books.push_back(book);
    return book;
}

void CalcSession::watchWindow(const std::shared_ptr<CalcWorkbook> &book)
{
    // The close box and quitting close the window first and ask the document only afterwards, when
    // its veto could no longer bring the window back: the window is asked as well.
    auto controller = book->model()->getCurrentController();
    if (!controller.is())
        return;
    uno::Reference<util::XCloseBroadcaster> frame(controller->getFrame(), uno::UNO_QUERY);
    if (!frame.is())
        return;
    frame->addCloseListener(m_listener);
    book->setFrame(uno::Reference<uno::XInterface>(frame, uno::UNO_QUERY));
}

void CalcSession::restoreWindow(const std::shared_ptr<CalcWorkbook> &book)
{
    // Close in the menus and its shortcuts take the window away without asking it; the document's
    // veto then keeps a workbook without a window. It gets a new one.
    m_connection->call([&] {
        if (book->model()->getCurrentController().is())
            return;
        const bool hidden = !showsWindows() || !m_visible;
        m_connection->desktop()->loadComponentFromURL("private:object", "_blank", 0,
            CalcConvert::properties(
                {{"Model", uno::Any(book->model())}, {"Hidden", uno::Any(hidden)}}));
        std::lock_guard lock(m_mutex);
        watchWindow(book);
    });
}

std::vector<std::shared_ptr<CalcWorkbook>> CalcSession::refreshed()
{
    auto desktop = m_connection->desktop();
    {
        std::lock_guard lock(m_mutex);
        // A new link means a new office: the workbooks of the old one are gone.
        if (m_booksGeneration != m_connection->generation()) {
            m_books.clear();
            m_active.reset();
            m_selection.reset();
            m_booksGeneration = m_connection->generation();
            m_connection->bindToLink(weak_from_this());
        }
    }
    // Spreadsheets opened in the office by someone else are listed after ours.
    auto components = desktop->getComponents()->createEnumeration();
    while (components->hasMoreElements()) {
        uno::Reference<sheet::XSpreadsheetDocument> document(
            components->nextElement(), uno::UNO_QUERY);
        uno::Reference<frame::XModel> model(document, uno::UNO_QUERY);
        if (model.is())
            track(model, false);
    }
    std::lock_guard lock(m_mutex);
    return m_books;
}

void CalcSession::releaseLink()
{
    std::vector<std::shared_ptr<CalcWorkbook>> books;
    {
        std::lock_guard lock(m_mutex);
        books.swap(m_books);
        m_active.reset();
        m_selection.reset();
    }
    for (const auto &book : books)
        book->releaseLink();
    m_connection->disconnect(); // the office's context and desktop too
}

void CalcSession::setActive(const std::shared_ptr<CalcWorkbook> &workbook)
{
    std::lock_guard lock(m_mutex);
    m_active = workbook;
}

void CalcSession::setSelection(const SheetShapePtr &shape)
{
    std::lock_guard lock(m_mutex);
    m_selection = shape;
}

bool CalcSession::keepOpen(const uno::Reference<uno::XInterface> &source)
{
    if (!m_events)
        return false;
    std::shared_ptr<CalcWorkbook> book;
    BeforeCloseHandler handler;
    {
        std::lock_guard lock(m_mutex);
        const uno::Reference<uno::XInterface> key(source, uno::UNO_QUERY);
        for (const auto &b : m_books) {
            if (uno::Reference<uno::XInterface>(b->model(), uno::UNO_QUERY) == key
                || b->frame() == key)
                book = b;
        }
        handler = m_handler;
    }
    if (!book || !handler || book->closeJustApproved())
        return false;
    // Read on this thread, which the office is waiting on: calls from here are answered.
    try {
        book->beginQuestion(book->nameInCall(), book->fullNameInCall());
    } catch (const uno::Exception &) {
        // the names are then asked for as usual
    }
    bool keep = false;
    try {
        keep = handler(book);
    } catch (...) {
        keep = false; // a failing handler must not stop the office from closing
    }
    book->endQuestion(!keep);
    if (keep && qApp && book->frame() != uno::Reference<uno::XInterface>(source, uno::UNO_QUERY)) {
        // The office may be taking the window away while it asks the document: once it is done,
        // see that the workbook kept has a window.
        std::weak_ptr<CalcSession> session = weak_from_this();
        std::weak_ptr<CalcWorkbook> kept = book;
        QTimer::singleShot(0, qApp, [session, kept] {
            auto s = session.lock();
            auto b = kept.lock();
            if (!s || !b)
                return;
            try {
                s->restoreWindow(b);
            } catch (const SpreadsheetError &) {
                // gone meanwhile: nothing to show
            }
        });
    }
    return keep;
}

void CalcSession::forget(const uno::Reference<uno::XInterface> &model)
{
    std::lock_guard lock(m_mutex);
    const uno::Reference<uno::XInterface> key(model, uno::UNO_QUERY);
    std::erase_if(m_books, [&](const std::shared_ptr<CalcWorkbook> &b) {
        return uno::Reference<uno::XInterface>(b->model(), uno::UNO_QUERY) == key;
    });
}

void CalcSession::setBeforeCloseHandler(BeforeCloseHandler handler)
{
    std::lock_guard lock(m_mutex);
    m_handler = std::move(handler);
}

void CalcSession::setVisible(bool visible)
{
    m_connection->call([&] {
        const auto books = refreshed();
        m_visible = visible;
        if (!showsWindows())
            return; // a headless office has no windows to show
        for (const auto &book : books) {
            if (!book->ours() && !visible)
                continue; // the user's own documents stay on screen
            if (auto controller = book->model()->getCurrentController(); controller.is())
                controller->getFrame()->getContainerWindow()->setVisible(visible);
        }
    });
}

void CalcSession::sendKeys(const QString &keys)
{
    const QString k = keys.trimmed().toUpper();
    if (k != QLatin1String("{TAB}") && k != QLatin1String("{ESC}"))
        throw SpreadsheetError(
            QCoreApplication::translate("CalcSession", "keys %1 cannot be sent to the spreadsheet").arg(keys));
    if (!showsWindows())
        return; // nobody can be editing a cell without a window
    m_connection->call([&] {
        auto book = activeBook();
        auto controller = book->model()->getCurrentController();
        if (!controller.is())
            return;
        // Leaving the cell the user edits: Tab accepts the input, Escape drops what is left of it.
        uno::Reference<frame::XDispatchProvider> provider(
            controller->getFrame(), uno::UNO_QUERY_THROW);
        auto helper = frame::DispatchHelper::create(m_connection->context());
        const rtl::OUString command = k == QLatin1String("{TAB}")
            ? rtl::OUString(".uno:JumpToNextCell")
            : rtl::OUString(".uno:Cancel");
        helper->executeDispatch(provider, command, "", 0, {});
    });
}

void CalcSession::save()
{
    m_connection->call([&] {
        for (const auto &book : refreshed()) {
            uno::Reference<frame::XStorable> storable(book->model(), uno::UNO_QUERY);
            if (storable.is() && storable->hasLocation() && !storable->isReadonly())
                storable->store();
        }
    });
}

void CalcSession::quit()
{
    if (m_connection->officeStartedHere()) {
        {
            std::lock_guard lock(m_mutex);
            m_books.clear();
            m_active.reset();
            m_selection.reset();
        }
        m_connection->endOffice();
        return;
    }
    // Someone else's office: close only what we opened, and leave their documents alone. An
    // office that is gone has nothing of ours left; quitting must not start a new one.
    m_connection->call([&] {
        if (!m_connection->reachableWithoutStarting())
            return;
        for (const auto &book : refreshed()) {
            if (!book->ours())
                continue;
            uno::Reference<util::XCloseable> closeable(book->model(), uno::UNO_QUERY);
            try {
                if (closeable.is())
                    closeable->close(true);
            } catch (const util::CloseVetoException &) {
                // kept open by its user: leave it
            }
            forget(book->model());
        }
    });
    m_connection->disconnect();
    m_connection->forgetLoss();
}

WorkbooksPtr CalcSession::workbooks()
{
    return WorkbooksPtr(shared_from_this(), static_cast<Workbooks *>(this));
}

std::shared_ptr<CalcWorkbook> CalcSession::activeBook()
{
    const auto books = refreshed();
    {
        std::lock_guard lock(m_mutex);
        if (auto active = m_active.lock()) {
            for (const auto &b : books) {
                if (b == active)
                    return active;
            }
        }
    }
    if (showsWindows()) {
        // The user may have switched windows in the office.
        uno::Reference<frame::XModel> current(
            m_connection->desktop()->getCurrentComponent(), uno::UNO_QUERY);
        uno::Reference<sheet::XSpreadsheetDocument> document(current, uno::UNO_QUERY);
        if (document.is())
            return track(current, false);
    }
    if (books.empty())
        throw SpreadsheetError(QCoreApplication::translate("CalcSession", "no workbook is open"));
    return books.back();
}

WorkbookPtr CalcSession::activeWorkbook()
{
    return m_connection->call([&] { return activeBook(); });
}

WorksheetPtr CalcSession::activeSheet()
{
    return activeWorkbook()->activeSheet();
}

CellsPtr CalcSession::cells()
{
    return activeSheet()->cells();
}

SheetShapePtr CalcSession::selection()
{
    std::lock_guard lock(m_mutex);
    if (!m_selection)
        throw SpreadsheetError(QCoreApplication::translate("CalcSession", "nothing is selected"));
    return m_selection;
}

int CalcSession::count()
{
    return m_connection->call([&] { return static_cast<int>(refreshed().size()); });
}

WorkbookPtr CalcSession::item(int index)
{
    return m_connection->call([&]() -> WorkbookPtr {
        const auto books = refreshed();
        if (index < 1 || index > static_cast<int>(books.size()))
            throw SpreadsheetError(QCoreApplication::translate("CalcSession", "there is no workbook %1").arg(index));
        return books[index - 1];
    });
}

WorkbookPtr CalcSession::item(const QString &name)
{
    return m_connection->call([&]() -> WorkbookPtr {
        for (const auto &book : refreshed()) {
            const QString n = book->nameInCall();
            if (n.compare(name, Qt::CaseInsensitive) == 0
                || QFileInfo(n).completeBaseName().compare(name, Qt::CaseInsensitive) == 0)
                return book;
        }
        throw SpreadsheetError(QCoreApplication::translate("CalcSession", "there is no workbook named %1").arg(name));
    });
}

uno::Reference<frame::XModel> CalcSession::load(const rtl::OUString &url)
{
    // A headless office must never show a window; otherwise follow Visible.
    const bool hidden = !showsWindows() || !m_visible;
    // The office's own errors name its internals: the user hears which file it could not open.
    const QUrl location(toQString(url));
    const QString file = location.isLocalFile() ? QDir::toNativeSeparators(location.toLocalFile())
                                                : location.toString();
    uno::Reference<lang::XComponent> component;
    try {
        component = m_connection->desktop()->loadComponentFromURL(
            url, "_blank", 0, CalcConvert::properties({{"Hidden", uno::Any(hidden)}}));
    } catch (const io::IOException &) {
        throw SpreadsheetError(QCoreApplication::translate("CalcSession",
            "the spreadsheet application could not open the workbook “%1”: it cannot be read")
                                   .arg(file));
    } catch (const lang::IllegalArgumentException &) {
        throw SpreadsheetError(QCoreApplication::translate("CalcSession",
            "the spreadsheet application could not open the workbook “%1”: it is damaged or not "
            "a workbook")
                                   .arg(file));
    }
    uno::Reference<sheet::XSpreadsheetDocument> document(component, uno::UNO_QUERY);
    if (!document.is()) {
        uno::Reference<util::XCloseable> closeable(component, uno::UNO_QUERY);
        if (closeable.is())
            closeable->close(true);
        throw SpreadsheetError(QCoreApplication::translate("CalcSession", "%1 is not a workbook").arg(file));
    }
    return uno::Reference<frame::XModel>(document, uno::UNO_QUERY_THROW);
}

WorkbookPtr CalcSession::add()
{
    auto book = m_connection->call([&] {
        refreshed();
        return track(load("private:factory/scalc"), true);
    });
    setActive(book);
    return book;
}

WorkbookPtr CalcSession::open(const QString &path)
{
    if (!QFileInfo(path).isFile())
        throw SpreadsheetError(QCoreApplication::translate("CalcSession", "the workbook %1 does not exist").arg(path));
    auto book = m_connection->call([&] {
        const rtl::OUString url = CalcConvert::fileUrl(path);
        for (const auto &b : refreshed()) {
            if (b->model()->getURL() == url)
                return b;
        }
        return track(load(url), true);
    });
    setActive(book);
    return book;
}
