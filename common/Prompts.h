#pragma once

#include <QMessageBox>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

class QDialog;
class QWidget;

// The one seam for message boxes, input boxes and file dialogs. Production code calls these;
// a test installs a Script and answers them without a modal dialog ever showing.
namespace Prompts {

struct Request
{
    enum Kind { Message, Input, OpenFile, ChooseFolder, Choice, Dialog } kind = Message;
    QString caption;
    QString text; // message text or input prompt
    QMessageBox::StandardButtons buttons = QMessageBox::Ok;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QString defaultText; // input default
    bool secret = false; // Input: a password, not shown as typed
    QString filter; // open-file filter ("Name (*.x)|*.x|..." as given by the caller)
    QStringList choices; // Choice: the buttons' captions, in order
    QDialog *dialog = nullptr; // Dialog: the dialog to fill in (the script may set its fields)
};

struct Answer
{
    QMessageBox::StandardButton button = QMessageBox::Ok; // Cancel/No refuse
    QString text; // typed text or chosen file or folder ("" = cancel)
    int choice = -1; // Choice: the index of the button chosen; -1 = closed without choosing
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
// A password, not shown as typed; nothing when cancelled.
std::optional<QString> password(QWidget *parent, const QString &caption, const QString &prompt);
// filter in the form "Display|pattern|Display|pattern"; returns the chosen file or "" on cancel.
QString openPicture(QWidget *parent, const QString &filter);

// A folder to read from or write to; startFolder is shown first. "" on cancel.
QString chooseFolder(QWidget *parent, const QString &caption, const QString &startFolder = {});
// A question with buttons of its own captions; returns the index of the one chosen, -1 when the
// box is closed without choosing.
int choice(QWidget *parent, const QString &caption, const QString &text,
    const QStringList &choices);
// Runs a dialog of the program's own modally; a test's script fills it in instead and answers
// Ok (accepted) or Cancel. Returns QDialog::Accepted or QDialog::Rejected.
int exec(QDialog &dialog);

// The application's error display.
void showError(const QString &text);

} // namespace Prompts
