#include "datawindow/picturefolder/FolderProgress.h"

#include <QApplication>
#include <QProgressDialog>

namespace {
constexpr int PaintEveryMs = 50;
}

FolderProgress::FolderProgress(QWidget *parent, const QString &caption, const QString &label)
    : m_parent(parent), m_caption(caption), m_label(label)
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    m_running.start();
}

FolderProgress::~FolderProgress()
{
    delete m_dialog.data();
    QApplication::restoreOverrideCursor();
}

QProgressDialog *FolderProgress::dialog() const
{
    return m_dialog;
}

std::function<bool(qint64, qint64)> FolderProgress::callback()
{
    return [this](qint64 done, qint64 total) { return report(done, total); };
}

bool FolderProgress::report(qint64 done, qint64 total)
{
    if (!m_dialog) {
        if (m_running.elapsed() < showAfterMs)
            return true;
        m_dialog = new QProgressDialog(m_parent);
        m_dialog->setWindowTitle(m_caption);
        m_dialog->setWindowModality(Qt::ApplicationModal);
        m_dialog->setAutoClose(false);
        m_dialog->setAutoReset(false);
        m_dialog->setMinimumDuration(0);
        m_dialog->setMinimumWidth(360);
        m_dialog->show();
    } else if (m_sincePaint.isValid() && m_sincePaint.elapsed() < PaintEveryMs && done < total) {
        return !m_dialog->wasCanceled();
    }
    m_sincePaint.start();
    m_dialog->setLabelText(m_label.arg(done).arg(total));
    m_dialog->setRange(0, 1000);
    m_dialog->setValue(total > 0 ? int(done * 1000 / total) : 0);
    QCoreApplication::processEvents();
    return !m_dialog->wasCanceled();
}
