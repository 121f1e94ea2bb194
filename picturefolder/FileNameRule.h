#pragma once

#include "picture/PictureFile.h"

#include <QByteArray>
#include <QString>

// How a record's name becomes a picture file's name, and how a file's name is matched back to a
// record. Export and load use the same rule, so an exported folder loads back into its records.
//
// The rule, in order:
// 1. Text that should be UTF-8 but is not: each byte that is no UTF-8 becomes "_" (and so does
//    U+FFFD, the mark that stands for such bytes), so every name written is UTF-8 and the same
//    bytes always give the same name.
// 2. Characters no common file system takes, or that would change the name's meaning, become "_":
//    control characters (U+0000–U+001F, U+007F–U+009F) and / \ : * ? " < > |.
// 3. Spaces at either end and dots at the end go (Windows drops them); a dot at the start becomes
//    "_" (no hidden files, no "." or "..").
// 4. A name that Windows reserves for a device (CON, PRN, AUX, NUL, COM1–COM9, LPT1–LPT9, in any
//    letter case, also before a dot) gets "_" after its device part.
// 5. At most MaxBaseBytes bytes of UTF-8, cut between whole characters (a letter and its accents
//    stay together), so a number and an extension always fit the 255 bytes of a file name.
// 6. A name that is empty after this is "record-" and the record's rowid.
// 7. Names that clash — equal without regard to letter case, as on FAT, NTFS and macOS disks —
//    are numbered "name (2)", "name (3)", ... in record order.
// Text is compared in Unicode's composed form (NFC), as macOS hands names out decomposed.
namespace FileNameRule {

inline constexpr int MaxBaseBytes = 200;

QString fromBytes(const QByteArray &bytes); // step 1
QString safeBase(const QString &name); // steps 2–5 (NFC); empty when nothing is left
QString emptyBase(qint64 rowid); // step 6
QString numbered(const QString &base, int n); // step 7, n ≥ 2
QString clashKey(const QString &base); // equal keys clash (step 7)

// The extension a picture of this format is written with ("jpg", "png", "gif", "bmp").
QString extensionFor(PictureFile::Format format);
// The extensions a bulk load looks at: jpg, jpeg, jpe, png, gif and bmp in any letter case.
bool isPictureSuffix(const QString &suffix);

} // namespace FileNameRule
