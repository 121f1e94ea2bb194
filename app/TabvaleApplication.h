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

    // The program's own messages in Simplified Chinese, as its captions and standard buttons are
    // (whatever the desktop's language). Called at start-up; the tests read the messages as
    // written.
    void installMessageTranslations();
};
