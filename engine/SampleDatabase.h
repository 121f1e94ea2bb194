#pragma once

#include <QImage>
#include <QSize>
#include <QString>

// What a first start gives the user to look at: a database of four tables with pictures, and a
// folder of picture files, all drawn by the program itself.
class SampleDatabase
{
public:
    // Builds the sample database at path (built aside, then moved in place, so a failure leaves
    // no half-built file). An existing file is kept as it is.
    static void build(const QString &path);
    // Writes the sample picture files into folder (made when missing); existing files are kept.
    static void writePictures(const QString &folder);

    // A picture that shows its number: colours and shapes differ from one number to the next.
    static QImage drawPicture(int number, QSize size);
};
