#pragma once

#include <QComboBox>

// The drive list: the mounted volumes, by their root paths.
class DriveComboBox : public QComboBox
{
    Q_OBJECT
public:
    explicit DriveComboBox(QWidget *parent = nullptr);

    QString drive() const; // the chosen volume's root path
    // Selects the volume that holds path (the deepest mount point above it); no change signal.
    void selectDriveOf(const QString &path);

signals:
    void driveChanged(); // the user chose another volume

private:
    void readVolumes();
};
