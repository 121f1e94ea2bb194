// The copy gestures: the file picture into a record from the column (with a restore button to
// undo it once), from the strip and from the file list (moving on to the next record), and the
// restore and its commit.
#include "DBInputPic/TFDBInputPic.h"

#include "DBInputPic/FieldColumnPanel.h"
#include "DBInputPic/FileListBox.h"
#include "DBInputPic/PictureControl.h"
#include "DBInputPic/PictureToStore.h"
#include "DBInputPic/TagControls.h"
#include "common/SharedState.h"
#include "controls/DBImage.h"
#include "controls/TImage.h"
#include "controls/TScrollBar.h"
#include "engine/TDataSource.h"
#include "engine/TTable.h"
#include "picture/Thumbnail.h"

bool TFDBInputPic::restorePending() const
{
    return !DBPicFuYuan->isHidden();
}

QByteArray TFDBInputPic::fieldThumbOf(const QImage &picture) const
{
    return picture.isNull() ? QByteArray() : Thumbnail::pack(Thumbnail::fromImage(picture));
}

PictureSource TFDBInputPic::currentFileSource(const QImage &toStore) const
{
    if (toStore.isNull() || m_currentFileBytes.isEmpty())
        return PictureSource::picture(toStore);
    return PictureSource::file(m_currentFileBytes, toStore);
}

bool TFDBInputPic::storePicture(const QImage &shown, const PictureSource &source)
{
    Table1->edit();
    DataBaseFieldPicture1->setPicture(shown, source);
    try {
        Table1->post();
    } catch (...) {
        // The record and the picture stay as they were.
        Table1->cancel();
        throw;
    }
    return true;
}

void TFDBInputPic::columnCopy()
{
    if (FileThreadBusy || FieldThreadBusy)
        return;
    GTempImage->clearPicture();
    const QString field = DataBaseFieldPicture2->dataField();
    DataBaseFieldPicture2->setDataField(QString());
    DataBaseFieldPicture2->setDataSource(nullptr);
    DataBaseFieldPicture2->setPicture(
        DataBaseFieldPicture1->picture(), DataBaseFieldPicture1->source());
    const QImage picture = PictureToStore::forColumnCopy(
        currFilePic->picture(), SpeedButton1->Tag == 1, currFilePic->pos());
    if (picture.size() != currFilePic->picture().size())
        GTempImage->setPicture(picture);
    try {
        storePicture(picture, currentFileSource(picture));
    } catch (...) {
        // Nothing changed: the buffer goes back to its field.
        DataBaseFieldPicture2->clearPicture();
        DataBaseFieldPicture2->setDataSource(DataSource1);
        DataBaseFieldPicture2->setDataField(field);
        GTempImage->clearPicture();
        throw;
    }
    GTempImage->clearPicture();
    DBPicFuYuan->move(142, FieldColumnPanel::Grid.rowTop(CurrRow, ColumnOffset) + 19);
    DBPicFuYuan->Tag = CurrRow;
    DBPicFuYuan->show();
    Label2->Tag = 0;
    DBPicFuYuan->setFocus(Qt::OtherFocusReason);
}

void TFDBInputPic::stripOrListCopy(bool fromStrip)
{
    if (FileThreadBusy || FieldThreadBusy || CurrRow < 0 || restorePending())
        return;
    GTempImage->clearPicture();
    const QImage file = currFilePic->picture();
    const QImage fitted = PictureToStore::fitted(file);
    storePicture(fitted, currentFileSource(fitted));
    if (CurrRow <= FieldThumbLast) {
        FieldThumb &thumb = FieldThumbs[CurrRow];
        const bool noFile = !fromStrip && (FileListBox1->itemIndex() < 0 || FileListBox1->Tag == 1);
        thumb.setPacked(noFile ? QByteArray() : fieldThumbOf(file));
        thumb.unreadable = false;
        PanDataThPic->updateRow(CurrRow);
    }
    const int before = Table1->recNo();
    Table1->next();
    if (Table1->recNo() == before)
        return; // the last record: it stays current
    const int bottom = FieldColumnPanel::Grid.rowTop(CurrRow + 2, ColumnOffset) + 2;
    const int visible = PanDataThPic->contentsRect().height();
    if (bottom > visible)
        DBPicScroll->setValue(DBPicScroll->value() + bottom - visible);
    const int previous = CurrRow;
    ++CurrRow;
    highlightRow(previous);
    highlightRow(CurrRow);
}

void TFDBInputPic::DBPicFuYuanClick()
{
    if (!restorePending())
        return;
    // Written back first: a restore the engine refuses stays pending.
    storePicture(DataBaseFieldPicture2->picture(), DataBaseFieldPicture2->source());
    DBPicFuYuan->hide();
    Label2->Tag = 1;
    DataBaseFieldPicture2->setDataSource(DataSource1);
}

void TFDBInputPic::DBPicFuYuanExit()
{
    if (!restorePending())
        return;
    const int row = DBPicFuYuan->Tag;
    DBPicFuYuan->hide();
    Label2->Tag = 1;
    if (row >= 0 && row <= FieldThumbLast) {
        FieldThumbs[row].setPacked(fieldThumbOf(DataBaseFieldPicture1->picture()));
        FieldThumbs[row].unreadable = false;
        PanDataThPic->updateRow(row);
    }
    DataBaseFieldPicture2->clearPicture();
    DataBaseFieldPicture2->setDataSource(DataSource1);
}
