#pragma once

#include <QFile>

// A line of this process's /proc status in kB ("VmRSS", "VmHWM"), or -1 where it cannot be read.
inline qint64 statusKb(const char *name)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray prefix = QByteArray(name) + ':';
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(prefix))
            return line.mid(prefix.size()).trimmed().split(' ').first().toLongLong();
    }
    return -1;
}

// Resident memory of this process in kB, now and at its peak.
inline qint64 residentKb()
{
    return statusKb("VmRSS");
}

inline qint64 peakResidentKb()
{
    return statusKb("VmHWM");
}
