#include "controls/DelayedProgress.h"

#include <QApplication>
#include <QProgressDialog>

namespace {
constexpr int PaintEveryMs = 50;
constexpr int DialogMaximum = 1000;
}

DelayedProgress::DelayedProgress(QWidget *parent, const QString &caption, Stop stop)
    : m_parent(parent), m_caption(caption), m_stop(stop)
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    m_running.start();
}

DelayedProgress::~DelayedProgress()
{
    delete m_dialog.data();
    QApplication::restoreOverrideCursor();
}

QProgressDialog *DelayedProgress::dialog() const
{
    return m_dialog;
}

bool DelayedProgress::cancelled() const
{
    return m_dialog && m_dialog->wasCanceled();
}

bool DelayedProgress::dueToPaint(qint64 done, qint64 total)
{
    if (!m_dialog)
        return m_running.elapsed() >= showAfterMs;
    // The last step is always shown, so a dialog never stays at 99 %.
    return !m_sincePaint.isValid() || m_sincePaint.elapsed() >= PaintEveryMs || done >= total;
}

bool DelayedProgress::paint(const QString &label, qint64 done, qint64 total)
{
    if (!m_dialog) {
        m_dialog = new QProgressDialog(m_parent);
        m_dialog->setWindowTitle(m_caption);
        m_dialog->setWindowModality(Qt::ApplicationModal);
        m_dialog->setAutoClose(false);
        m_dialog->setAutoReset(false);
        m_dialog->setMinimumDuration(0);
        m_dialog->setMinimumWidth(360);
        if (m_stop == Stop::Can)
            m_dialog->setCancelButtonText(QStringLiteral("取消"));
        else
            m_dialog->setCancelButton(nullptr);
        m_dialog->show();
    }
    m_sincePaint.start();
    if (m_stop == Stop::Cannot && m_dialog->wasCanceled())
        m_dialog->reset(); // Escape cannot stop a step that must finish
    m_dialog->setLabelText(label);
    // Scaled, so counts past the range of int show too.
    m_dialog->setRange(0, total > 0 ? DialogMaximum : 0);
    m_dialog->setValue(total > 0 ? int(done * DialogMaximum / total) : 0);
    // Only a command that may be stopped takes clicks; the dialog's modality keeps them from the
    // windows.
    QCoreApplication::processEvents(
        m_stop == Stop::Can ? QEventLoop::AllEvents : QEventLoop::ExcludeUserInputEvents);
    return !m_dialog->wasCanceled();
}
