#pragma once

#include <QByteArray>
#include <QProcess>
#include <QString>

// Office "in use" marks beside workbooks, as an office writes them, and a process that looks like
// a running office to anyone reading the process table.
namespace OfficeMarks {

// The mark's text: name, login, host, time and profile, the way the office writes them.
QByteArray text(const QString &login, const QString &host, const QString &profileUrl,
    const QString &name = QString());
// Writes the mark for the workbook at path (the mark is beside it).
void write(const QString &workbookPath, const QByteArray &text);

// Runs as "soffice.bin" with the given profile on its command line until destroyed.
class PretendOffice
{
public:
    explicit PretendOffice(const QString &profileUrl);
    ~PretendOffice();
    PretendOffice(const PretendOffice &) = delete;
    PretendOffice &operator=(const PretendOffice &) = delete;
    void stop();

private:
    QProcess m_process;
};

} // namespace OfficeMarks
