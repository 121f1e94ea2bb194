#include "datawindow/maintenance/MaintenanceProgress.h"

#include <QApplication>
#include <QProgressDialog>

namespace {

constexpr int PaintEveryMs = 50;
constexpr int DialogMaximum = 1000;

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
    : m_parent(parent), m_caption(caption), m_cancellable(cancellable)
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    m_running.start();
}

MaintenanceProgress::~MaintenanceProgress()
{
    delete m_dialog.data();
    QApplication::restoreOverrideCursor();
}

QProgressDialog *MaintenanceProgress::dialog() const
{
    return m_dialog;
}

TableMaintenance::Progress MaintenanceProgress::callback()
{
    return [this](TableMaintenance::Step step, qint64 done, qint64 total) {
        return report(step, done, total);
    };
}

void MaintenanceProgress::showDialog()
{
    m_dialog = new QProgressDialog(m_parent);
    m_dialog->setWindowTitle(m_caption);
    m_dialog->setWindowModality(Qt::ApplicationModal);
    m_dialog->setAutoClose(false);
    m_dialog->setAutoReset(false);
    m_dialog->setMinimumDuration(0);
    m_dialog->setMinimumWidth(360);
    if (m_cancellable)
        m_dialog->setCancelButtonText(QStringLiteral("取消"));
    else
        m_dialog->setCancelButton(nullptr);
    m_dialog->show();
}

bool MaintenanceProgress::report(TableMaintenance::Step step, qint64 done, qint64 total)
{
    if (!m_dialog) {
        if (m_running.elapsed() < showAfterMs)
            return true;
        showDialog();
    } else if (m_sincePaint.isValid() && m_sincePaint.elapsed() < PaintEveryMs) {
        return !m_dialog->wasCanceled();
    }
    m_sincePaint.start();
    if (!m_cancellable && m_dialog->wasCanceled())
        m_dialog->reset(); // Escape cannot stop a step that must finish
    m_dialog->setLabelText(describe(step, done, total));
    // Scaled, so counts past the range of int show too; no total gives a busy bar.
    m_dialog->setRange(0, total > 0 ? DialogMaximum : 0);
    m_dialog->setValue(total > 0 ? int(done * DialogMaximum / total) : 0);
    // Only a pass that may be stopped takes clicks; the dialog's modality keeps them from the
    // windows.
    QCoreApplication::processEvents(
        m_cancellable ? QEventLoop::AllEvents : QEventLoop::ExcludeUserInputEvents);
    return !m_dialog->wasCanceled();
}
