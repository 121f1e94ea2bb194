#pragma once

#include "picture/PictureSource.h"

#include <QImage>
#include <QString>
#include <QVariant>

class DBImage;
class DBMemo;
class TField;

// One cell's value on its way to another cell, held in memory by the field's class: a picture,
// a text or a variant. Picture and memo fields are read from and written through the window's
// control for the field. A picture carries its stored bytes too, and is stored in the target
// alias's picture form (bytes kept where that form allows it).
struct CarriedValue
{
    int fieldType = 0;
    QVariant value; // ordinary field
    QImage picture; // picture-like field: as shown; null = no picture
    PictureSource source; // what storing the picture starts from (the source's own bytes)
    QString text; // memo field
    QString error; // the source could not be read; writing it raises this

    // image and memo: the window's controls for field (nullptr: read the field itself).
    static CarriedValue take(const TField &field, const DBImage *image, const DBMemo *memo);
    // Raises the source's error when the value would go into target (same class) but could not
    // be read; a value that cannot be carried must not replace what the target holds.
    void refuseUnreadable(const TField &target) const;
    // Writes into target, whose record is being edited, when it is of the same class. An ordinary
    // value the target refuses leaves the old one. Returns whether anything was written.
    bool putInto(TField &target, DBImage *image, DBMemo *memo) const;
};
