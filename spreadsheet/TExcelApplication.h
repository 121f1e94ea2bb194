#pragma once

#include "SpreadsheetApplication.h"
#include "SpreadsheetOptions.h"
#include "Workbook.h"

#include <QObject>
#include <memory>

// The connection a data window holds to the spreadsheet application. It attaches to a running
// instance or starts a new one on its first call, and never quits the application by itself.
class TExcelApplication : public QObject
{
    Q_OBJECT
public:
    explicit TExcelApplication(QObject *parent = nullptr);
    TExcelApplication(const SpreadsheetOptions &options, QObject *parent = nullptr);
    ~TExcelApplication() override;

    int Tag = 0; // the export state kept by the data window

    SpreadsheetApplication &Application() { return *m_application; }

signals:
    // A workbook is about to close (through the spreadsheet's own window or a call), while events
    // are on. Delivered on the GUI thread while it processes events; set cancel to keep it open.
    void workbookBeforeClose(Workbook &workbook, bool &cancel);

private:
    struct Relay;
    std::shared_ptr<SpreadsheetApplication> m_application;
    std::shared_ptr<Relay> m_relay;
};
