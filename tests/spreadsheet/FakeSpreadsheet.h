#pragma once

#include "spreadsheet/Cells.h"
#include "spreadsheet/SheetShape.h"
#include "spreadsheet/Sheets.h"
#include "spreadsheet/SpreadsheetApplication.h"
#include "spreadsheet/SpreadsheetError.h"
#include "spreadsheet/Workbook.h"
#include "spreadsheet/Workbooks.h"
#include "spreadsheet/Worksheet.h"

#include <QHash>
#include <QMap>
#include <QStringList>
#include <functional>
#include <memory>
#include <vector>

// An in-memory spreadsheet behind the real interface, for tests that need no office. It keeps
// what Calc keeps (typed cells, named pictures and text boxes, workbooks saved to files) and
// answers the way Calc does (look-ups without regard to case, dates as day numbers in plain
// blocks). A test steers it through its public members: cells that refuse values, a cell being
// edited, an application that goes away.
class FakeSpreadsheet final : public SpreadsheetApplication,
                              public Workbooks,
                              public std::enable_shared_from_this<FakeSpreadsheet>
{
public:
    struct Shape
    {
        QString name;
        QRectF geometry;
        bool picture = false;
        QImage image;
        QString text;
        bool removed = false;
    };
    struct Sheet
    {
        QString name;
        QMap<QPair<int, int>, QVariant> cells; // (row, column) -> value as item() gives it
        std::vector<std::shared_ptr<Shape>> shapes;
        QPair<int, int> current {1, 1};
    };
    struct Book
    {
        QString path; // empty until saved
        QString untitled;
        std::vector<std::shared_ptr<Sheet>> sheets;
        int active = 0;
        bool open = true;
    };

    FakeSpreadsheet() = default;

    // What the test steers.
    std::function<bool(const QVariant &)> refuses; // cells refuse these values
    int editingCalls = 0; // the next n cell activations fail, as while a cell is being edited
    int goneAfterCalls = -1; // that many more calls answer, then the application is gone
    bool gone = false;
    // What the test reads.
    QStringList keysSent;
    int quitCount = 0;
    int cellCalls = 0; // single-cell reads and writes
    int blockCalls = 0;

    std::vector<std::shared_ptr<Book>> books; // open, in the order opened
    // Workbooks saved to files, by path, as they were saved (what opening the file gives).
    static QHash<QString, std::shared_ptr<Book>> &disk();

    // The user closes a workbook in the spreadsheet's window: false when the handler kept it.
    bool userCloses(const std::shared_ptr<Book> &book);

    // SpreadsheetApplication
    void setVisible(bool visible) override;
    bool visible() const override;
    void sendKeys(const QString &keys) override;
    void setDisplayAlerts(bool on) override;
    bool displayAlerts() const override;
    void setEnableEvents(bool on) override;
    bool enableEvents() const override;
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

    // For the fake's own objects.
    void call(); // counts a call; raises once the application is gone
    WorkbookPtr wrap(const std::shared_ptr<Book> &book);
    void activate(const std::shared_ptr<Book> &book);
    // Kept as the shape itself: a handle holds the application, which must not hold it back.
    void setSelection(std::shared_ptr<Shape> shape) { m_selection = std::move(shape); }
    bool close(const std::shared_ptr<Book> &book); // asks the handler while events are on
    static QString bookName(const Book &book);

private:
    bool m_visible = false;
    bool m_alerts = true;
    bool m_events = true;
    std::weak_ptr<Book> m_active;
    std::shared_ptr<Shape> m_selection;
    BeforeCloseHandler m_handler;
    int m_untitled = 0;
};
