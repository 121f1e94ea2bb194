#pragma once

#include "engine/TableMaintenance.h"

#include <QElapsedTimer>
#include <QPointer>
#include <QString>

class QProgressDialog;
class QWidget;

// How a maintenance command shows itself while it works: the busy cursor from the start and, once
// it has taken more than a moment, a modal progress dialog with the record count. The windows are
// repainted meanwhile. A pass that may be stopped gets a cancel button; the others none. Lives for
// one command on the GUI thread.
class MaintenanceProgress
{
public:
    MaintenanceProgress(QWidget *parent, const QString &caption, bool cancellable = false);
    ~MaintenanceProgress();
    MaintenanceProgress(const MaintenanceProgress &) = delete;
    MaintenanceProgress &operator=(const MaintenanceProgress &) = delete;

    // What the engine reports to; answers false once the user has cancelled.
    TableMaintenance::Progress callback();
    bool report(TableMaintenance::Step step, qint64 done, qint64 total);

    QProgressDialog *dialog() const; // none until it is shown

    // How long a command runs before the dialog shows (tests set 0).
    static inline int showAfterMs = 400;

private:
    void showDialog();

    QPointer<QWidget> m_parent;
    QString m_caption;
    bool m_cancellable;
    QPointer<QProgressDialog> m_dialog;
    QElapsedTimer m_running;
    QElapsedTimer m_sincePaint;
};
