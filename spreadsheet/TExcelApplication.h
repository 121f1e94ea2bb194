#pragma once

#include "spreadsheet/SpreadsheetApplication.h"
#include "spreadsheet/SpreadsheetOptions.h"
#include "spreadsheet/Workbook.h"

#include <QObject>
#include <functional>
#include <memory>

// The connection a data window holds to the spreadsheet application. It attaches to a running
// instance or starts a new one on its first call, and never quits the application by itself.
class TExcelApplication : public QObject
{
    Q_OBJECT
public:
    // Over the application the factory makes, if one is set, else over the installed one.
    explicit TExcelApplication(QObject *parent = nullptr);
    TExcelApplication(const SpreadsheetOptions &options, QObject *parent = nullptr);
    // Over a given application; a before-close question waits at most timeoutMs for the answer.
    TExcelApplication(std::shared_ptr<SpreadsheetApplication> application, int timeoutMs,
        QObject *parent = nullptr);
    ~TExcelApplication() override;

    // What connection objects made without options are made over (tests put an application of
    // their own here). An empty factory restores the installed spreadsheet. Returns the old one.
    using Factory = std::function<std::shared_ptr<SpreadsheetApplication>()>;
    static Factory setFactory(Factory factory);
    // Whether a connection object made without options can reach a spreadsheet at all.
    static bool available();

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
