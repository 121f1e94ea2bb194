#pragma once

#include <QApplication>

// The application object. An exception that escapes an event handler ends that user action and
// is shown in a message box (through Prompts); the window stays as far as it got.
class TabvaleApplication : public QApplication
{
    Q_OBJECT
public:
    TabvaleApplication(int &argc, char **argv);
    bool notify(QObject *receiver, QEvent *event) override;

    // The same display, for code that catches an error itself (or calls a handler directly).
    static void showException(const std::exception &error);

    // Runs a handler the way an event would: an error ends it and is shown. For slots that Qt
    // calls from its own frames, which an exception must not cross.
    template<typename F>
    static void guarded(F &&handler)
    {
        try {
            handler();
        } catch (const std::exception &error) {
            showException(error);
        }
    }
};
