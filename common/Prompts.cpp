#include "common/Prompts.h"

#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QInputDialog>
#include <QPushButton>

#include "common/TOpenPictureDialog.h"

namespace Prompts {

namespace {
Script &currentScript()
{
    static Script script;
    return script;
}
} // namespace

Script setScript(Script script)
{
    Script previous = std::move(currentScript());
    currentScript() = std::move(script);
    return previous;
}

QMessageBox::StandardButton message(QWidget *parent, const QString &text, const QString &caption,
    QMessageBox::StandardButtons buttons, QMessageBox::Icon icon)
{
    if (currentScript()) {
        Request r;
        r.kind = Request::Message;
        r.caption = caption;
        r.text = text;
        r.buttons = buttons;
        r.icon = icon;
        return currentScript()(r).button;
    }
    QMessageBox box(icon, caption, text, buttons, parent);
    return QMessageBox::StandardButton(box.exec());
}

QString input(
    QWidget *parent, const QString &caption, const QString &prompt, const QString &defaultText)
{
    if (currentScript()) {
        Request r;
        r.kind = Request::Input;
        r.caption = caption;
        r.text = prompt;
        r.defaultText = defaultText;
        const Answer a = currentScript()(r);
        return a.button == QMessageBox::Cancel ? defaultText : a.text;
    }
    QInputDialog dialog(parent);
    dialog.setWindowTitle(caption);
    dialog.setLabelText(prompt);
    dialog.setTextValue(defaultText);
    dialog.setTextEchoMode(QLineEdit::Normal);
    if (auto *edit = dialog.findChild<QLineEdit *>())
        edit->setMaxLength(255);
    return dialog.exec() == QDialog::Accepted ? dialog.textValue() : defaultText;
}

std::optional<QString> password(QWidget *parent, const QString &caption, const QString &prompt)
{
    if (currentScript()) {
        Request r;
        r.kind = Request::Input;
        r.caption = caption;
        r.text = prompt;
        r.secret = true;
        const Answer a = currentScript()(r);
        return a.button == QMessageBox::Cancel ? std::nullopt : std::optional<QString>(a.text);
    }
    QInputDialog dialog(parent);
    dialog.setWindowTitle(caption);
    dialog.setLabelText(prompt);
    dialog.setTextEchoMode(QLineEdit::Password);
    return dialog.exec() == QDialog::Accepted ? std::optional<QString>(dialog.textValue())
                                              : std::nullopt;
}

QString openPicture(QWidget *parent, const QString &filter)
{
    if (currentScript()) {
        Request r;
        r.kind = Request::OpenFile;
        r.filter = filter;
        const Answer a = currentScript()(r);
        return a.button == QMessageBox::Cancel ? QString() : a.text;
    }
    return TOpenPictureDialog::getOpenFileName(parent, filter);
}

QString chooseFolder(QWidget *parent, const QString &caption, const QString &startFolder)
{
    if (currentScript()) {
        Request r;
        r.kind = Request::ChooseFolder;
        r.caption = caption;
        r.defaultText = startFolder;
        const Answer a = currentScript()(r);
        return a.button == QMessageBox::Cancel ? QString() : a.text;
    }
    return QFileDialog::getExistingDirectory(parent, caption, startFolder);
}

int choice(QWidget *parent, const QString &caption, const QString &text, const QStringList &choices)
{
    if (currentScript()) {
        Request r;
        r.kind = Request::Choice;
        r.caption = caption;
        r.text = text;
        r.choices = choices;
        return currentScript()(r).choice;
    }
    QMessageBox box(QMessageBox::Question, caption, text, QMessageBox::NoButton, parent);
    QList<QAbstractButton *> buttons;
    for (const QString &c : choices)
        buttons << box.addButton(c, QMessageBox::AcceptRole);
    box.setEscapeButton(box.addButton(QMessageBox::Cancel));
    box.exec();
    return int(buttons.indexOf(box.clickedButton()));
}

int exec(QDialog &dialog)
{
    if (currentScript()) {
        Request r;
        r.kind = Request::Dialog;
        r.caption = dialog.windowTitle();
        r.dialog = &dialog;
        return currentScript()(r).button == QMessageBox::Ok ? QDialog::Accepted
                                                            : QDialog::Rejected;
    }
    return dialog.exec();
}

void showError(const QString &text)
{
    message(QApplication::activeWindow(), text, QApplication::applicationDisplayName(),
        QMessageBox::Ok, QMessageBox::Critical);
}

} // namespace Prompts
