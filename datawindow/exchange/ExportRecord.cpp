#include "datawindow/exchange/ExportRecord.h"

#include <QCryptographicHash>

QString ExportRecord::sheetKey(const QString &workbookPath, const QString &sheetName)
{
    return workbookPath + QChar(0x1f) + sheetName;
}

QString ExportRecord::key(const QString &sheet, const QString &object)
{
    return sheet + QChar(0x1f) + object;
}

QByteArray ExportRecord::digest(const QImage &picture)
{
    if (picture.isNull())
        return {};
    const QImage pixels = picture.convertToFormat(QImage::Format_ARGB32);
    QCryptographicHash hash(QCryptographicHash::Sha256);
    const qint32 size[2] = {pixels.width(), pixels.height()};
    hash.addData(QByteArrayView(reinterpret_cast<const char *>(size), sizeof size));
    for (int y = 0; y < pixels.height(); ++y)
        hash.addData(QByteArrayView(
            reinterpret_cast<const char *>(pixels.constScanLine(y)), pixels.width() * 4));
    return hash.result();
}

QByteArray ExportRecord::digest(const QString &text)
{
    return QCryptographicHash::hash(text.toUtf8(), QCryptographicHash::Sha256);
}

void ExportRecord::remember(const QString &sheet, const QString &object, const QByteArray &shown)
{
    m_entries.insert(key(sheet, object), {shown, false});
}

void ExportRecord::rememberUnreadable(
    const QString &sheet, const QString &object, const QByteArray &shown)
{
    m_entries.insert(key(sheet, object), {shown, true});
}

void ExportRecord::forget(const QString &sheet, const QString &object)
{
    m_entries.remove(key(sheet, object));
}

bool ExportRecord::untouched(
    const QString &sheet, const QString &object, const QByteArray &shown) const
{
    const auto it = m_entries.constFind(key(sheet, object));
    return it != m_entries.constEnd() && !it->shown.isEmpty() && it->shown == shown;
}

bool ExportRecord::unreadable(const QString &sheet, const QString &object) const
{
    const auto it = m_entries.constFind(key(sheet, object));
    return it != m_entries.constEnd() && it->unreadable;
}
