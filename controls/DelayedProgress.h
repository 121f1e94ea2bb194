#pragma once

#include <QElapsedTimer>
#include <QPointer>
#include <QString>

class QProgressDialog;
class QWidget;

// How a long command shows itself: the busy cursor from the start and, once it has taken more
// than a moment, a modal progress dialog; the windows are repainted meanwhile. A command that may
// be stopped gets a cancel button, the others none. Lives for one command on the GUI thread.
class DelayedProgress
{
public:
    enum class Stop { Cannot, Can };

    DelayedProgress(QWidget *parent, const QString &caption, Stop stop);
    ~DelayedProgress();
    DelayedProgress(const DelayedProgress &) = delete;
    DelayedProgress &operator=(const DelayedProgress &) = delete;

    // Called for every step of the command: `label()` (the text over the bar) is asked only when
    // the dialog is painted. No total gives a busy bar. Answers false once the user has cancelled.
    template <typename Label>
    bool report(qint64 done, qint64 total, Label &&label)
    {
        if (!dueToPaint(done, total))
            return !cancelled();
        return paint(label(), done, total);
    }

    QProgressDialog *dialog() const; // none until it is shown

    // How long a command runs before the dialog shows (tests set 0).
    static inline int showAfterMs = 400;

private:
    bool dueToPaint(qint64 done, qint64 total);
    bool paint(const QString &label, qint64 done, qint64 total);
    bool cancelled() const;

    QPointer<QWidget> m_parent;
    QString m_caption;
    Stop m_stop;
    QPointer<QProgressDialog> m_dialog;
    QElapsedTimer m_running;
    QElapsedTimer m_sincePaint;
};
