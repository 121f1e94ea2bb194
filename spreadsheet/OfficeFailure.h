#pragma once

#include <QCoreApplication>
#include <QString>

// Says in words why the spreadsheet application refused a call. Its own text names an error
// class ("… 0x11b(Error Area:Io Class:Abort Code:27)"); that class alone decides the words, and
// the raw text goes to the log only.
class OfficeFailure
{
    Q_DECLARE_TR_FUNCTIONS(OfficeFailure)

public:
    // The error class the office's text names ("Abort", "Write", ...); empty when it names none.
    static QString errorClassIn(const QString &officeText);
    // A clause for the user ("another program is using the file").
    static QString reason(const QString &officeText);
};
