#include "common/Prompts.h"

#include <QApplication>
#include <QInputDialog>

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

void showError(const QString &text)
{
    message(QApplication::activeWindow(), text, QApplication::applicationDisplayName(),
        QMessageBox::Ok, QMessageBox::Critical);
}

} // namespace Prompts
