#pragma once

#include <QElapsedTimer>
#include <QPointer>
#include <QString>
#include <functional>

class QProgressDialog;
class QWidget;

// How a folder export or load shows itself: the busy cursor from the start and, once it has taken
// more than a moment, a modal progress dialog with a cancel button; the windows are repainted
// meanwhile. Lives for one command on the GUI thread.
class FolderProgress
{
public:
    // label: the text over the bar, with %1 for the pictures done and %2 for all.
    FolderProgress(QWidget *parent, const QString &caption, const QString &label);
    ~FolderProgress();
    FolderProgress(const FolderProgress &) = delete;
    FolderProgress &operator=(const FolderProgress &) = delete;

    // What the export and the load report to; answers false once the user has cancelled.
    std::function<bool(qint64, qint64)> callback();
    bool report(qint64 done, qint64 total);

    QProgressDialog *dialog() const;

    // How long a command runs before the dialog shows (tests set 0).
    static inline int showAfterMs = 400;

private:
    QPointer<QWidget> m_parent;
    QString m_caption;
    QString m_label;
    QPointer<QProgressDialog> m_dialog;
    QElapsedTimer m_running;
    QElapsedTimer m_sincePaint;
};
