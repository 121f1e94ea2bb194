#include "DBInputPic/DriveComboBox.h"

#include <QDir>
#include <QSignalBlocker>
#include <QStorageInfo>

DriveComboBox::DriveComboBox(QWidget *parent) : QComboBox(parent)
{
    readVolumes();
    connect(this, &QComboBox::activated, this, &DriveComboBox::driveChanged);
}

void DriveComboBox::readVolumes()
{
    const QSignalBlocker blocker(this);
    clear();
    QList<QStorageInfo> volumes = QStorageInfo::mountedVolumes();
    std::sort(volumes.begin(), volumes.end(),
        [](const QStorageInfo &a, const QStorageInfo &b) { return a.rootPath() < b.rootPath(); });
    for (const QStorageInfo &v : std::as_const(volumes)) {
        if (!v.isValid() || !v.isReady())
            continue;
        const QString name = v.name().isEmpty() ? QString() : QStringLiteral(" [%1]").arg(v.name());
        addItem(QDir::toNativeSeparators(v.rootPath()) + name, v.rootPath());
    }
}

QString DriveComboBox::drive() const
{
    return currentData().toString();
}

void DriveComboBox::selectDriveOf(const QString &path)
{
    const QString absolute = QDir(path).absolutePath();
    int best = -1;
    int bestLength = -1;
    for (int i = 0; i < count(); ++i) {
        QString root = itemData(i).toString();
        if (!root.endsWith(u'/'))
            root += u'/';
        if ((absolute + u'/').startsWith(root) && root.size() > bestLength) {
            best = i;
            bestLength = int(root.size());
        }
    }
    const QSignalBlocker blocker(this);
    setCurrentIndex(best);
}
