#pragma once

#include <QColor>
#include <QImage>
#include <QString>
#include <QVariant>

class TForm1;

// The two tables the drag tests move values between, in alias "Drag", and a read-only copy of
// Others in alias "Frozen". Both have the grid columns 1 Name, 2 Qty, 3 Notes (memo), 4 Photo
// (graphic), 5 Raw (blob), 6 Capped; in Things, Capped must stay below 100.
//   Things: 1 Ann 10 'first note' red    blue   5  | Others: 1 Oda  111 'other note' green - 500
//           2 Bob 20  -           -      -      -  |         2 Pia  222  -           -  yellow -
//           3 Cy  300 'third note' (damaged) -   7 |         3 Quin 333 'q note'     -   -     -
// Every update of a record is logged, so a test can tell that nothing at all was written.
class DragTables
{
public:
    DragTables();

    QVariant value(const QString &table, int rowid, const QString &column) const;
    QImage picture(const QString &table, int rowid, const QString &column) const;
    QByteArray bytes(const QString &table, int rowid, const QString &column) const;
    QStringList updates() const; // "Things 2", in the order written
    QString frozenPath() const { return m_frozen; }

    // The colour of a data cell where its text does not reach (its right end).
    static QColor cellBackground(TForm1 *form, int col, int row);

private:
    QString m_path;
    QString m_frozen;
};
