#include "DBInputPic/FilterComboBox.h"

#include "DBInputPic/FileListBox.h"

FilterComboBox::FilterComboBox(QWidget *parent) : QComboBox(parent)
{
    addItem(QStringLiteral("All [*.jpg;*.jpeg;*.bmp]"), QStringLiteral("*.jpg;*.jpeg;*.bmp"));
    addItem(QStringLiteral("JPEG Image File [*.jpg]"), QStringLiteral("*.jpg"));
    addItem(QStringLiteral("JPEG Image File [*.jpeg]"), QStringLiteral("*.jpeg"));
    addItem(QStringLiteral("Bitmaps [*.bmp]"), QStringLiteral("*.bmp"));
    connect(this, &QComboBox::activated, this, [this] {
        if (m_fileList)
            m_fileList->setMask(mask());
    });
}
