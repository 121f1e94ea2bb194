// The file thumbnail strip: a run of the file worker, the thumbnails it hands back, presses on
// them and the strip's scroll bar.
#include "DBInputPic/TFDBInputPic.h"

#include "DBInputPic/FileListBox.h"
#include "DBInputPic/FileThumbPanel.h"
#include "DBInputPic/RunCursor.h"
#include "DBInputPic/TFileImgThread.h"
#include "common/SharedState.h"
#include "controls/TScrollBar.h"

#include <QPushButton>

bool TFDBInputPic::fileRunInProgress() const
{
    return m_fileCursorHeld;
}

void TFDBInputPic::StartPicThreadClick()
{
    StartPicThread->hide();
    QStringList paths;
    for (int i = 0; i < FileListBox1->count(); ++i)
        paths << FileListBox1->filePath(i);
    retire(std::move(FileImgThread));
    FileThreadBusy = true;
    RunCursor::begin(m_fileCursorHeld);
    FileImgThread = std::make_unique<TFileImgThread>(++m_fileGeneration, paths);
    connect(
        FileImgThread.get(), &TFileImgThread::thumbnailReady, this, &TFDBInputPic::DrawFileThumb);
    connect(FileImgThread.get(), &TFileImgThread::runFinished, this, &TFDBInputPic::finishFileRun);
    FileImgThread->start();
}

void TFDBInputPic::DrawFileThumb(quint64 generation, int fileIndex, const QByteArray &thumbnail)
{
    if (generation != m_fileGeneration || !m_fileCursorHeld)
        return;
    if (FileImgThread)
        FileImgThread->thumbnailTaken();
    ++FileThumbLast;
    FileThumbs.append({fileIndex, thumbnail});
    PanFileThreadPic->updateThumb(FileThumbLast);
}

void TFDBInputPic::finishFileRun(quint64 generation)
{
    if (generation != m_fileGeneration || !m_fileCursorHeld)
        return;
    const int clientHeight = PanFileThreadPic->contentsRect().height();
    if (FileThumbLast >= 0 && clientHeight < fileStripContentHeight()) {
        FileThreadPicRoll->setParams(0, fileStripContentHeight(), clientHeight);
        FileThreadPicRoll->setEnabled(true);
    }
    RunCursor::end(m_fileCursorHeld);
    FileThreadBusy = false;
}

void TFDBInputPic::stopFileThumbRun()
{
    FileThreadBusy = false;
    ++m_fileGeneration; // whatever the worker still delivers is dropped
    if (FileImgThread)
        FileImgThread->abort();
    retire(std::move(FileImgThread));
    RunCursor::end(m_fileCursorHeld);
}

void TFDBInputPic::freeStrip()
{
    FileThumbs.clear();
    FileThumbLast = -1;
    PanFileThreadPic->resetScrollOffset();
    PanFileThreadPic->update();
}

void TFDBInputPic::PanThreadImgsMouseDown(
    int thumb, Qt::MouseButton button, Qt::KeyboardModifiers shift)
{
    if (thumb < 0 || thumb > FileThumbLast)
        return;
    FileListBox1->setItemIndex(FileThumbs.at(thumb).Tag);
    FileListBox1Change();
    if (button == Qt::RightButton && (shift & Qt::ControlModifier) && (shift & Qt::AltModifier))
        stripOrListCopy(true);
    else
        DBPicFuYuanExit();
}

void TFDBInputPic::FileThreadPicRollChange(int position)
{
    const int d = FileThumbScroll - position;
    if (d > 0) {
        PanFileThreadPic->scrollContents(d);
        FileThumbScroll = position;
    } else if (d < 0) {
        if (position > FileThreadPicRoll->Max() - PanFileThreadPic->contentsRect().height()) {
            FileThreadPicRoll->setValue(FileThumbScroll);
            return;
        }
        PanFileThreadPic->scrollContents(d);
        FileThumbScroll = position;
    }
}
