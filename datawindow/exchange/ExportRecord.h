#pragma once

#include <QByteArray>
#include <QHash>
#include <QImage>
#include <QObject>
#include <QString>

// What the exports put into the sheets, so that the way back loses nothing: the memos and pictures
// as the spreadsheet showed them (a digest each), and the values that could not be shown at all.
// Kept for as long as the connection to the spreadsheet lives (it is the connection's child).
// Objects are named as SheetLayout names them; a sheet is told by its workbook and name.
class ExportRecord : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

    static QString sheetKey(const QString &workbookPath, const QString &sheetName);
    static QByteArray digest(const QImage &picture); // of the pixels, whatever the format
    static QByteArray digest(const QString &text);

    // Shown as exported; the digest of what the sheet holds for it.
    void remember(const QString &sheet, const QString &object, const QByteArray &shown);
    // Could not be read from the table; shown, if at all, as text with this digest.
    void rememberUnreadable(
        const QString &sheet, const QString &object, const QByteArray &shown = {});
    void forget(const QString &sheet, const QString &object);

    // The sheet holds for it what the export put there.
    bool untouched(const QString &sheet, const QString &object, const QByteArray &shown) const;
    bool unreadable(const QString &sheet, const QString &object) const;

private:
    struct Entry
    {
        QByteArray shown;
        bool unreadable = false;
    };
    static QString key(const QString &sheet, const QString &object);
    QHash<QString, Entry> m_entries;
};
