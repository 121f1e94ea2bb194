#include "PictureDialog.h"

#include <QFileDialog>
#include <QRegularExpression>

namespace PictureDialog {

QString qtFilterList(const QString &filter, QString *first)
{
    // Qt takes "Display (patterns)" entries separated by ";;", with patterns separated by blanks.
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList entries;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QString patterns = parts[i + 1];
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        QString display = parts[i];
        display.remove(QRegularExpression(QStringLiteral("\\s*\\(.*\\)\\s*$")));
        entries << QStringLiteral("%1 (%2)").arg(display, patterns);
    }
    if (first)
        *first = entries.value(0);
    return entries.join(QStringLiteral(";;"));
}

QString getOpenFileName(QWidget *parent, const QString &filter)
{
    QString first;
    const QString list = qtFilterList(filter, &first);
    return QFileDialog::getOpenFileName(parent, QString(), QString(), list, &first);
}

} // namespace PictureDialog
