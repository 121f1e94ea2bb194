#pragma once

#include "spreadsheet/CalcConnection.h"
#include "spreadsheet/SpreadsheetApplication.h"
#include "spreadsheet/Workbooks.h"

#include <com/sun/star/frame/XModel.hpp>
#include <com/sun/star/util/XCloseListener.hpp>

#include <atomic>
#include <memory>
#include <mutex>
#include <vector>

class CalcWorkbook;

// The application and its list of workbooks over one connection to Calc. Workbooks are listed in
// the order this program first saw them; the office's own list has no stable order.
class CalcSession final : public SpreadsheetApplication,
                          public Workbooks,
                          public CalcLinkBound,
                          public std::enable_shared_from_this<CalcSession>
{
public:
    explicit CalcSession(const SpreadsheetOptions &options);
    ~CalcSession() override;

    // SpreadsheetApplication
    void setVisible(bool visible) override;
    bool visible() const override { return m_visible; }
    void sendKeys(const QString &keys) override;
    void setDisplayAlerts(bool on) override { m_alerts = on; }
    bool displayAlerts() const override { return m_alerts; }
    void setEnableEvents(bool on) override { m_events = on; }
    bool enableEvents() const override { return m_events; }
    void save() override;
    void quit() override;
    WorkbooksPtr workbooks() override;
    WorkbookPtr activeWorkbook() override;
    WorksheetPtr activeSheet() override;
    CellsPtr cells() override;
    SheetShapePtr selection() override;
    void setBeforeCloseHandler(BeforeCloseHandler handler) override;

    // Workbooks
    int count() override;
    WorkbookPtr item(int index) override;
    WorkbookPtr item(const QString &name) override;
    WorkbookPtr add() override;
    WorkbookPtr open(const QString &path) override;

    // A new link to the office replaces a lost one: the workbooks of the old one, and everything
    // handed out from them, raise SpreadsheetError from now on.
    void releaseLink() override;

    // For the objects of this session.
    const std::shared_ptr<CalcConnection> &connection() const { return m_connection; }
    bool showsWindows() const { return !m_connection->options().headless; }
    void setActive(const std::shared_ptr<CalcWorkbook> &workbook);
    void setSelection(const SheetShapePtr &shape);
    // From the close listener, on any thread.
    bool keepOpen(
        const css::uno::Reference<css::uno::XInterface> &source); // a workbook or its window
    void forget(const css::uno::Reference<css::uno::XInterface> &model);

    pid_t officeProcessId() { return m_connection->officeProcessId(); }

private:
    std::vector<std::shared_ptr<CalcWorkbook>> refreshed();
    void watchWindow(const std::shared_ptr<CalcWorkbook> &book);
    void restoreWindow(const std::shared_ptr<CalcWorkbook> &book);
    std::shared_ptr<CalcWorkbook> track(
        const css::uno::Reference<css::frame::XModel> &model, bool ours);
    std::shared_ptr<CalcWorkbook> activeBook();
    css::uno::Reference<css::frame::XModel> load(const rtl::OUString &url);

    std::shared_ptr<CalcConnection> m_connection;
    css::uno::Reference<css::util::XCloseListener> m_listener;
    std::atomic<bool> m_visible = false;
    std::atomic<bool> m_alerts = true;
    std::atomic<bool> m_events = true;

    std::recursive_mutex m_mutex; // the close listener reads the list from the office's threads
    std::vector<std::shared_ptr<CalcWorkbook>> m_books;
    unsigned m_booksGeneration = 0;
    std::weak_ptr<CalcWorkbook> m_active;
    SheetShapePtr m_selection;
    BeforeCloseHandler m_handler;
    int m_untitled = 0;
};
