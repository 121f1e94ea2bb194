#pragma once

#include "controls/DelayedProgress.h"
#include "engine/TableMaintenance.h"

#include <QString>

class QProgressDialog;
class QWidget;

// A maintenance command's progress: the record count of each step in a delayed progress dialog.
// A pass that may be stopped gets a cancel button; the others none.
class MaintenanceProgress
{
public:
    MaintenanceProgress(QWidget *parent, const QString &caption, bool cancellable = false);

    // What the engine reports to; answers false once the user has cancelled.
    TableMaintenance::Progress callback();
    bool report(TableMaintenance::Step step, qint64 done, qint64 total);

    QProgressDialog *dialog() const; // none until it is shown

private:
    DelayedProgress m_progress;
};
