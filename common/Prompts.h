#pragma once

#include <QMessageBox>
#include <QString>
#include <functional>

class QWidget;

// The one seam for message boxes, input boxes and file dialogs. Production code calls these;
// a test installs a Script and answers them without a modal dialog ever showing.
namespace Prompts {

struct Request
{
    enum Kind { Message, Input, OpenFile } kind = Message;
    QString caption;
    QString text; // message text or input prompt
    QMessageBox::StandardButtons buttons = QMessageBox::Ok;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QString defaultText; // input default
    QString filter; // open-file filter ("Name (*.x)|*.x|..." as given by the caller)
};

struct Answer
{
    QMessageBox::StandardButton button = QMessageBox::Ok; // Cancel/No refuse
    QString text; // typed text or chosen file ("" = cancel)
};

using Script = std::function<Answer(const Request &)>;

// Installs a script (nullptr: real dialogs again). Returns the previous one.
Script setScript(Script script);

QMessageBox::StandardButton message(QWidget *parent, const QString &text, const QString &caption,
    QMessageBox::StandardButtons buttons = QMessageBox::Ok,
    QMessageBox::Icon icon = QMessageBox::NoIcon);
// Returns the typed text, or defaultText when cancelled.
QString input(QWidget *parent, const QString &caption, const QString &prompt,
    const QString &defaultText = {});
// filter in the form "Display|pattern|Display|pattern"; returns the chosen file or "" on cancel.
QString openPicture(QWidget *parent, const QString &filter);

// The application's error display.
void showError(const QString &text);

} // namespace Prompts
