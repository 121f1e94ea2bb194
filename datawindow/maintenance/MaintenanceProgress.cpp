#include "datawindow/maintenance/MaintenanceProgress.h"


namespace {

QString describe(TableMaintenance::Step step, qint64 done, qint64 total)
{
    using TableMaintenance::Step;
    QString what;
    switch (step) {
    case Step::CopyingOut:
        what = QStringLiteral("正在复制记录");
        break;
    case Step::CopyingBack:
        what = QStringLiteral("正在写回记录");
        break;
    case Step::Emptying:
        what = QStringLiteral("正在清空记录");
        break;
    case Step::Restoring:
        what = QStringLiteral("正在恢复记录");
        break;
    case Step::FreeingSpace:
        return QStringLiteral("正在释放磁盘空间……");
    case Step::Looking:
        what = QStringLiteral("正在检查记录");
        break;
    case Step::Clearing:
        what = QStringLiteral("正在清除错误");
        break;
    }
    return QStringLiteral("%1：%2 / %3 条").arg(what).arg(done).arg(total);
}

} // namespace

MaintenanceProgress::MaintenanceProgress(QWidget *parent, const QString &caption, bool cancellable)
    : m_progress(parent, caption,
          cancellable ? DelayedProgress::Stop::Can : DelayedProgress::Stop::Cannot)
{
}

QProgressDialog *MaintenanceProgress::dialog() const
{
    return m_progress.dialog();
}

TableMaintenance::Progress MaintenanceProgress::callback()
{
    return [this](TableMaintenance::Step step, qint64 done, qint64 total) {
        return report(step, done, total);
    };
}

bool MaintenanceProgress::report(TableMaintenance::Step step, qint64 done, qint64 total)
{
    return m_progress.report(done, total, [&] { return describe(step, done, total); });
}
