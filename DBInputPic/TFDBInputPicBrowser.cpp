// The file browser and the current file picture: drives, directories and files, the 200 × 200
// view fitted or at full size with its scroll bars, and the viewer on a release over it.
#include "DBInputPic/TFDBInputPic.h"

#include "DBInputPic/DirectoryListBox.h"
#include "DBInputPic/DriveComboBox.h"
#include "DBInputPic/FileListBox.h"
#include "DBInputPic/FileThumbPanel.h"
#include "DBInputPic/PictureControl.h"
#include "DBInputPic/TagControls.h"
#include "USeePicture/TSeePicture.h"
#include "common/SharedState.h"
#include "controls/TImage.h"
#include "controls/TScrollBar.h"
#include "picture/PictureFile.h"

#include <QCursor>
#include <QFileInfo>
#include <QPainter>
#include <QPushButton>

namespace {

const QColor FitColor(128, 128, 0); // olive
const QColor FullSizeColor(0, 128, 128); // teal

void setButtonFace(QLabel *label, const QString &caption, const QColor &color)
{
    label->setText(caption);
    QPalette p = label->palette();
    p.setColor(QPalette::Window, color);
    label->setPalette(p);
}

} // namespace

void TFDBInputPic::DriveComboBox1Change()
{
    DirectoryListBox1->setDirectory(DriveComboBox1->drive());
    FileListBox1->setDirectory(DirectoryListBox1->directory());
    DirectoryListBox1Change();
}

void TFDBInputPic::DirectoryListBox1Change()
{
    DriveComboBox1->selectDriveOf(DirectoryListBox1->directory());
    FileListBox1->setItemIndex(FileListBox1->count() > 0 ? 0 : -1);
    FileThumbScroll = 0;
    FileThreadPicRoll->setValue(0);
    FileThreadPicRoll->setEnabled(false);
    FileListBox1Change();
    if (FileThreadBusy)
        stopFileThumbRun();
    freeStrip();
    StartPicThread->move(192, 56);
    StartPicThread->show();
}

void TFDBInputPic::FileListBox1Change()
{
    FilePicScrollV = 0;
    FilePicScrollH = 0;
    for (TScrollBar *bar : {FilePicRollV, FilePicRollH}) {
        const QSignalBlocker blocker(bar);
        bar->setValue(0);
        bar->setEnabled(false);
    }
    currFilePic->move(0, 0);
    currFilePic->Tag = 0;
    PanFilePic->Tag = 0;
    Label2->hide();
    const int index = FileListBox1->itemIndex();
    m_currentFileBytes.clear();
    if (index < 0) {
        currFilePic->clearPicture();
        showNoPicture(QStringLiteral("无图形"));
        Label2->Tag = 1;
        return;
    }
    try {
        loadCurrentFile();
    } catch (const std::exception &) {
        currFilePic->clearPicture();
        FileListBox1->Tag = 1;
        showNoPicture(QStringLiteral("无效图形"));
        return;
    }
    const int w = currFilePic->picture().width();
    const int h = currFilePic->picture().height();
    FilePicOverflow = quint8(w > ViewSize && h > ViewSize ? 3
            : w > ViewSize                                ? 1
            : h > ViewSize                                ? 2
                                                          : 0);
    setOverflowBars(w, h);
}

void TFDBInputPic::loadCurrentFile()
{
    const QString path = FileListBox1->filePath(FileListBox1->itemIndex());
    const QByteArray bytes = PictureFile::read(path);
    if (QFileInfo(path).suffix().compare(u"bmp", Qt::CaseInsensitive) == 0) {
        currFilePic->setPicture(PictureFile::decodeNamed(bytes, path));
    } else {
        GTempImage->setPicture(PictureFile::decodeNamed(bytes, path));
        currFilePic->clearPicture();
        QImage bitmap(GTempImage->picture().size(), QImage::Format_RGB32);
        bitmap.fill(Qt::white);
        QPainter(&bitmap).drawImage(0, 0, GTempImage->picture());
        currFilePic->setPicture(bitmap);
        GTempImage->clearPicture();
    }
    // Kept for the copy gestures: an alias that keeps picture files stores these bytes, exactly
    // the file that is shown.
    m_currentFileBytes = bytes;
}

void TFDBInputPic::showNoPicture(const QString &text)
{
    Label2->setText(text);
    Label2->move(80, 80);
    Label2->show();
}

void TFDBInputPic::setOverflowBars(int w, int h)
{
    const bool fullSize = SpeedButton1->Tag == 0;
    auto setBar = [fullSize](TScrollBar *bar, int max) {
        bar->hide();
        bar->setMax(max);
        bar->setEnabled(fullSize);
        bar->show();
    };
    if (FilePicOverflow == 1 || FilePicOverflow == 3)
        setBar(FilePicRollH, w);
    if (FilePicOverflow == 2 || FilePicOverflow == 3)
        setBar(FilePicRollV, h);
}

void TFDBInputPic::moveFilePicture(int dx, int dy)
{
    for (QWidget *child : {static_cast<QWidget *>(currFilePic), static_cast<QWidget *>(Label2)})
        child->move(child->x() + dx, child->y() + dy);
}

void TFDBInputPic::FilePicRollVChange(int position)
{
    const int d = FilePicScrollV - position;
    if (d > 0) {
        moveFilePicture(0, d);
        FilePicScrollV = qint16(position);
    } else if (d < 0) {
        if (position > FilePicRollV->Max() - ViewSize) {
            FilePicRollV->setValue(FilePicScrollV);
            return;
        }
        moveFilePicture(0, d);
        FilePicScrollV = qint16(position);
    }
}

void TFDBInputPic::FilePicRollHChange(int position)
{
    const int d = FilePicScrollH - position;
    if (d > 0) {
        moveFilePicture(d, 0);
        FilePicScrollH = qint16(position);
    } else if (d < 0) {
        if (position > FilePicRollH->Max() - ViewSize) {
            FilePicRollH->setValue(FilePicScrollH);
            return;
        }
        moveFilePicture(d, 0);
        FilePicScrollH = qint16(position);
    }
}

void TFDBInputPic::SpeedButton1Click()
{
    if (SpeedButton1->Tag == 1) {
        SpeedButton1->Tag = 0;
        currFilePic->move(currFilePic->Tag, PanFilePic->Tag);
        currFilePic->setCenter(false);
        currFilePic->setProportional(false);
        currFilePic->setAutoSize(true);
        setButtonFace(SpeedButton1, QStringLiteral("图像原形"), FullSizeColor);
        if (FilePicOverflow == 1 || FilePicOverflow == 3)
            FilePicRollH->setEnabled(true);
        if (FilePicOverflow == 2 || FilePicOverflow == 3)
            FilePicRollV->setEnabled(true);
        return;
    }
    SpeedButton1->Tag = 1;
    FilePicRollV->setEnabled(false);
    FilePicRollH->setEnabled(false);
    currFilePic->Tag = currFilePic->x();
    PanFilePic->Tag = currFilePic->y();
    currFilePic->move(0, 0);
    currFilePic->setAutoSize(false);
    currFilePic->resize(ViewSize, ViewSize);
    currFilePic->setProportional(true);
    currFilePic->setCenter(true);
    setButtonFace(SpeedButton1, QStringLiteral("图像全貌"), FitColor);
}

void TFDBInputPic::FileListBox1MouseUp(
    Qt::MouseButton button, Qt::KeyboardModifiers shift, QPoint pos)
{
    if (button == Qt::RightButton) {
        FileListBox1->setItemIndex(FileListBox1->itemAtPos(pos));
        FileListBox1->Tag = 0;
        FileListBox1Change();
        if (!(shift & Qt::ControlModifier) || !(shift & Qt::AltModifier)) {
            DBPicFuYuanExit();
            return;
        }
        stripOrListCopy(false);
        return;
    }
    if (Label2->Tag == 1) {
        FileListBox1Change();
        Label2->Tag = 0;
    }
}

void TFDBInputPic::currFilePicMouseUp(Qt::MouseButton)
{
    if (FileThreadBusy || FieldThreadBusy)
        return;
    TSeePicture::clickOnPicture(currFilePic->picture());
}
