#pragma once

#include "spreadsheet/CalcConnection.h"
#include "spreadsheet/Sheets.h"
#include "spreadsheet/Workbook.h"

#include <QCoreApplication>
#include <QDate>
#include <com/sun/star/frame/XModel.hpp>
#include <com/sun/star/sheet/XSpreadsheet.hpp>
#include <com/sun/star/sheet/XSpreadsheetDocument.hpp>
#include <com/sun/star/sheet/XSpreadsheetView.hpp>
#include <com/sun/star/util/XNumberFormats.hpp>

#include <chrono>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

class CalcConnection;
class CalcSession;
class CalcShapeIndex;

// A Calc document as a workbook, and its sheets. Keeps what is costly to ask for again: the number
// format kinds and, per sheet, the index of its shapes by name.
class CalcWorkbook final : public Workbook,
                           public Sheets,
                           public CalcLinkBound,
                           public std::enable_shared_from_this<CalcWorkbook>
{
public:
    CalcWorkbook(const std::shared_ptr<CalcSession> &session,
        const css::uno::Reference<css::frame::XModel> &model, const QString &untitledName,
        bool ours);

    // Workbook
    QString name() override;
    QString fullName() override;
    void activate() override;
    WorksheetPtr activeSheet() override;
    void saveAs(const QString &path) override;
    void save() override;
    void close() override;
    SheetsPtr sheets() override;
    SheetsPtr worksheets() override { return sheets(); }

    // Sheets
    int count() override;
    WorksheetPtr item(int index) override;
    WorksheetPtr item(const QString &name) override;
    WorksheetPtr add() override;

    // The office link, for this workbook and its sheets and shapes: a workbook whose link was lost
    // and replaced answers every call with SpreadsheetError.
    template<class F>
    decltype(auto) call(F &&f)
    {
        return m_connection->call([&]() -> decltype(f()) {
            if (m_released)
                throw SpreadsheetError(QCoreApplication::translate("CalcWorkbook", "the spreadsheet object no longer exists"));
            return f();
        });
    }
    // Sheets and shapes handed out, so they let go of the office's objects with the workbook.
    void adopt(std::weak_ptr<CalcLinkBound> child);
    void releaseLink() override;

    // For the session and the sheets; only inside a connection call.
    const css::uno::Reference<css::frame::XModel> &model() const { return m_model; }
    bool ours() const { return m_ours; }
    unsigned generation() const { return m_generation; }
    CalcConnection &connection() { return *m_connection; }
    std::shared_ptr<CalcSession> session();
    QString nameInCall();
    QString fullNameInCall();
    // The window the workbook is shown in (hidden without a display); closing it closes the
    // workbook.
    const css::uno::Reference<css::uno::XInterface> &frame() const { return m_frame; }
    void setFrame(const css::uno::Reference<css::uno::XInterface> &frame) { m_frame = frame; }

    // While the before-close handler is asked, the office waits for the answer and cannot take
    // calls from other threads, so the workbook answers its names from what was read before asking.
    void beginQuestion(const QString &name, const QString &fullName);
    void endQuestion(bool letClose);
    // One close asks twice (the window, then the document, or the other way round): a close the
    // handler has just let go is not asked about again.
    bool closeJustApproved();
    void setActiveSheet(const css::uno::Reference<css::sheet::XSpreadsheet> &sheet);
    css::uno::Reference<css::sheet::XSpreadsheet> activeSheetInCall();
    css::uno::Reference<css::sheet::XSpreadsheetView> view();
    std::shared_ptr<CalcShapeIndex> shapeIndex(
        const css::uno::Reference<css::sheet::XSpreadsheet> &sheet);
    const css::uno::Reference<css::util::XNumberFormats> &numberFormats(); // fetched once
    // The kind of a number format (css::util::NumberFormat flags), and the standard format of a
    // kind.
    sal_Int16 formatKind(sal_Int32 key);
    sal_Int32 standardFormat(sal_Int16 kind);
    QDate nullDate();

private:
    css::uno::Reference<css::sheet::XSpreadsheets> sheetContainer();
    WorksheetPtr wrap(const css::uno::Reference<css::sheet::XSpreadsheet> &sheet);

    std::weak_ptr<CalcSession> m_session;
    std::shared_ptr<CalcConnection> m_connection;
    css::uno::Reference<css::frame::XModel> m_model;
    css::uno::Reference<css::uno::XInterface> m_frame;
    QString m_untitledName;
    bool m_ours;
    unsigned m_generation;
    css::uno::Reference<css::sheet::XSpreadsheet> m_activeSheet; // when there is no view
    css::uno::Reference<css::util::XNumberFormats> m_formats;
    std::map<sal_Int32, sal_Int16> m_formatKinds;
    std::map<sal_Int16, sal_Int32> m_standardFormats;
    QDate m_nullDate;
    std::vector<
        std::pair<css::uno::Reference<css::uno::XInterface>, std::shared_ptr<CalcShapeIndex>>>
        m_shapeIndexes;

    bool m_released = false;
    std::vector<std::weak_ptr<CalcLinkBound>> m_children;
    std::size_t m_childrenPruned = 16;

    std::mutex
        m_questionMutex; // the question is asked on the office's thread, the names read on ours
    std::optional<std::pair<QString, QString>> m_questionNames;
    std::optional<std::chrono::steady_clock::time_point> m_closeApproved;
};
