#include "tests/datawindow/DragTables.h"

#include "datawindow/TForm1.h"
#include "datawindow/grid/DBGrid.h"
#include "picture/StoredPicture.h"
#include "tests/datawindow/DataFixture.h"

#include <QFile>
#include <QStringList>

namespace {

QString pictureLiteral(QColor color, int code)
{
    QImage image(6, 5, QImage::Format_RGB32);
    image.fill(color);
    return QStringLiteral("X'%1'").arg(
        QString::fromLatin1(StoredPicture::encode(image, code).toHex()));
}

QString createTable(const QString &name, const QString &check)
{
    return QStringLiteral("CREATE TABLE %1 (Name VARCHAR(20), Qty INTEGER, Notes MEMO,"
                          " Photo GRAPHIC, Raw BLOB, Capped INTEGER %2)")
        .arg(name, check);
}

QString logUpdates(const QString &name)
{
    return QStringLiteral("CREATE TRIGGER %1Log AFTER UPDATE ON %1 BEGIN"
                          " INSERT INTO Log VALUES ('%1 ' || old.rowid); END")
        .arg(name);
}

} // namespace

DragTables::DragTables()
{
    QStringList sql {createTable(QStringLiteral("Things"), QStringLiteral("CHECK (Capped < 100)")),
        createTable(QStringLiteral("Others"), QString()),
        QStringLiteral("CREATE TABLE Log (Entry TEXT)"), logUpdates(QStringLiteral("Things")),
        logUpdates(QStringLiteral("Others"))};
    sql << QStringLiteral("INSERT INTO Things VALUES ('Ann', 10, 'first note', %1, %2, 5),"
                          " ('Bob', 20, NULL, NULL, NULL, NULL),"
                          " ('Cy', 300, 'third note', X'424D0102', NULL, 7)")
               .arg(pictureLiteral(Qt::red, 17), pictureLiteral(Qt::blue, 15))
        << QStringLiteral("INSERT INTO Others VALUES ('Oda', 111, 'other note', %1, NULL, 500),"
                          " ('Pia', 222, NULL, NULL, %2, NULL),"
                          " ('Quin', 333, 'q note', NULL, NULL, NULL)")
               .arg(pictureLiteral(Qt::green, 17), pictureLiteral(Qt::yellow, 15));
    m_path = DataFixture::makeDatabase(QStringLiteral("Drag"), sql);
    m_frozen = DataFixture::makeDatabase(QStringLiteral("Frozen"), sql);
    QFile::setPermissions(m_frozen, QFileDevice::ReadOwner | QFileDevice::ReadGroup);
    DataFixture::writeAliases(
        {{QStringLiteral("Drag"), m_path}, {QStringLiteral("Frozen"), m_frozen}});
}

QVariant DragTables::value(const QString &table, int rowid, const QString &column) const
{
    return DataFixture::scalar(m_path,
        QStringLiteral("SELECT \"%1\" FROM %2 WHERE rowid=%3").arg(column, table).arg(rowid));
}

QByteArray DragTables::bytes(const QString &table, int rowid, const QString &column) const
{
    return DataFixture::blob(m_path,
        QStringLiteral("SELECT \"%1\" FROM %2 WHERE rowid=%3").arg(column, table).arg(rowid));
}

QImage DragTables::picture(const QString &table, int rowid, const QString &column) const
{
    const QByteArray stored = bytes(table, rowid, column);
    return stored.isEmpty() ? QImage() : StoredPicture::decode(stored);
}

QStringList DragTables::updates() const
{
    QStringList entries;
    const int count
        = DataFixture::scalar(m_path, QStringLiteral("SELECT count(*) FROM Log")).toInt();
    for (int i = 1; i <= count; ++i)
        entries << DataFixture::scalar(
            m_path, QStringLiteral("SELECT Entry FROM Log WHERE rowid=%1").arg(i))
                       .toString();
    return entries;
}

QColor DragTables::cellBackground(TForm1 *form, int col, int row)
{
    DBGrid *grid = form->DBGrid1;
    const QImage shot = grid->grab().toImage();
    const QRect r = grid->cellRect(col, row);
    return shot.pixelColor(r.right() - 3, r.top() + 3);
}
