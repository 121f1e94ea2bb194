// The field picture column: the reference labels, a run of the field worker and the thumbnails it
// hands back, the field selections, the column's scroll bar and presses on its thumbnails.
#include "DBInputPic/TFDBInputPic.h"

#include "DBInputPic/FieldColumnPanel.h"
#include "DBInputPic/RunCursor.h"
#include "DBInputPic/TDataFieldPicThread.h"
#include "DBInputPic/TagControls.h"
#include "common/Prompts.h"
#include "common/SharedState.h"
#include "controls/DBImage.h"
#include "controls/TScrollBar.h"
#include "engine/Database.h"
#include "engine/Engine.h"
#include "engine/FieldBytesReader.h"
#include "engine/FieldType.h"
#include "engine/FieldValue.h"
#include "engine/TDataSource.h"
#include "engine/TTable.h"

#include <QComboBox>
#include <QLabel>
#include <QSignalBlocker>

namespace {

// The reference value of every record, as text (null gives ""). Ordinary values come from the
// table's value windows without moving it; memo texts are read record by record.
QStringList referenceTexts(TTable &table, const TField *field)
{
    const int count = table.recordCount();
    QStringList texts;
    texts.reserve(count);
    if (!field) {
        // No reference field (every field is picture-like): the labels stay empty.
        for (int r = 0; r < count; ++r)
            texts << QString();
        return texts;
    }
    const int code = field->dataType();
    if (code != ftMemo) {
        for (int r = 0; r < count; ++r)
            texts << FieldValue::displayText(table.valueAt(r, field->index()), code);
        return texts;
    }
    for (int r = 0; r < count; ++r) {
        table.moveTo(r);
        QString text;
        try {
            text = field->asString();
        } catch (const std::exception &) {
            // A memo that is not text labels its record with nothing.
        }
        texts << text;
    }
    return texts;
}

} // namespace

bool TFDBInputPic::fieldRunInProgress() const
{
    return m_fieldCursorHeld;
}

void TFDBInputPic::FillCanKaoLabels()
{
    CanKaoZiDuan->setText(ComboCanKao->currentText());
    CanKaoLabels.clear();
    CanKaoLabelLast = -1;
    PanDataThPic->update();
    if (NoPicField || CurrRow < 0 || !Table1->active())
        return;
    Table1->disableControls();
    struct ResumeUpdates
    {
        TTable *t;
        ~ResumeUpdates() { t->enableControls(); }
    } resume {Table1};
    Table1->first();
    if (Table1->recordCount() == 0)
        return;
    const TField *reference = Table1->findField(ComboCanKao->currentText());
    if (reference && isPictureLike(reference->dataType()))
        reference = nullptr;
    CanKaoLabels = referenceTexts(*Table1, reference);
    CanKaoLabelLast = int(CanKaoLabels.size()) - 1;
    Table1->moveTo(CurrRow);
    highlightRow(CurrRow);
}

void TFDBInputPic::highlightRow(int row)
{
    PanDataThPic->updateRow(row);
}

void TFDBInputPic::RestartFieldPicThread()
{
    if (ColumnOffset == 0) {
        FieldThumbScroll = 0;
        const QSignalBlocker blocker(DBPicScroll);
        DBPicScroll->setValue(0);
    }
    DBPicScroll->setEnabled(false);
    XiuGaiZiDuan->setText(ComboXiuGai->currentText());
    if (FieldThreadBusy) {
        try {
            stopFieldPicRun();
        } catch (const std::exception &) { }
    }
    freeColumnThumbs();
    if (NoPicField || CurrRow < 0 || !Table1->active())
        return;
    const TField *field = Table1->findField(ComboXiuGai->currentText());
    if (!field || !isPictureLike(field->dataType()))
        return; // a name being typed: no field to draw yet
    const RecordSource source = Table1->recordSource();
    retire(std::move(DataFieldPicThread));
    FieldThreadBusy = true;
    RunCursor::begin(m_fieldCursorHeld);
    m_fieldRunRows = Table1->recordCount();
    FieldThumbs.reserve(m_fieldRunRows); // grown once, not copied along as the run delivers
    DataFieldPicThread = std::make_unique<TDataFieldPicThread>(
        ++m_fieldGeneration, source, Table1->tableName(), field->fieldName(), Table1->bookmarks());
    connect(DataFieldPicThread.get(), &TDataFieldPicThread::thumbnailsReady, this,
        &TFDBInputPic::DrawFieldThumbs);
    connect(DataFieldPicThread.get(), &TDataFieldPicThread::runFinished, this,
        &TFDBInputPic::finishFieldRun);
    DataFieldPicThread->start();
}

void TFDBInputPic::DrawFieldThumbs(quint64 generation, const QList<FieldThumb> &batch)
{
    if (generation != m_fieldGeneration || !m_fieldCursorHeld)
        return;
    if (DataFieldPicThread)
        DataFieldPicThread->batchTaken();
    if (batch.isEmpty())
        return;
    const int first = FieldThumbLast + 1;
    FieldThumbs.append(batch);
    FieldThumbLast += int(batch.size());
    PanDataThPic->updateRows(first, FieldThumbLast);
}

void TFDBInputPic::finishFieldRun(quint64 generation, const QString &error)
{
    if (generation != m_fieldGeneration || !m_fieldCursorHeld)
        return;
    if (m_fieldRunRows > 0) {
        const int clientHeight = PanDataThPic->contentsRect().height();
        if (clientHeight < columnContentHeight()) {
            DBPicScroll->setParams(0, columnContentHeight(), clientHeight);
            DBPicScroll->setEnabled(true);
        } else {
            ResetDBPicScroll();
            DBPicScroll->setEnabled(false);
        }
    }
    RunCursor::end(m_fieldCursorHeld);
    FieldThreadBusy = false;
    if (!error.isEmpty())
        Prompts::showError(error);
}

void TFDBInputPic::ResetDBPicScroll()
{
    DBPicScroll->setValue(0);
}

void TFDBInputPic::stopFieldPicRun()
{
    FieldThreadBusy = false;
    ++m_fieldGeneration; // whatever the worker still delivers is dropped
    if (DataFieldPicThread)
        DataFieldPicThread->abort();
    retire(std::move(DataFieldPicThread));
    RunCursor::end(m_fieldCursorHeld);
}

void TFDBInputPic::freeColumnThumbs()
{
    FieldThumbs.clear();
    FieldThumbLast = -1;
    PanDataThPic->update();
}

void TFDBInputPic::ComboCanKaoChange()
{
    FillCanKaoLabels();
}

void TFDBInputPic::ComboXiuGaiChange()
{
    // The thumbnails are all drawn anew: a pending restore is settled first, so its buffer is
    // not lost with the rebinding below.
    DBPicFuYuanExit();
    if (!DataBaseFieldPicture2->dataSource())
        DataBaseFieldPicture2->setDataSource(DataBaseFieldPicture1->dataSource());
    setFieldsBound(ComboXiuGai->currentText());
    RestartFieldPicThread();
}

void TFDBInputPic::DBPicScrollChange(int position)
{
    const int d = FieldThumbScroll - position;
    if (d > 0) {
        ColumnOffset += d;
        PanDataThPic->scrollContents(d);
        FieldThumbScroll = position;
    } else if (d < 0) {
        if (position > DBPicScroll->Max() - PanDataThPic->contentsRect().height()) {
            DBPicScroll->setValue(FieldThumbScroll);
            return;
        }
        ColumnOffset += d;
        PanDataThPic->scrollContents(d);
        FieldThumbScroll = position;
    }
}

void TFDBInputPic::DataFieldImgsMouseDown(
    int thumb, Qt::MouseButton button, Qt::KeyboardModifiers shift)
{
    if (thumb < 0 || thumb > FieldThumbLast)
        return;
    if (restorePending())
        DBPicFuYuanExit();
    const int row = FieldThumbs.at(thumb).Tag;
    {
        Table1->disableControls();
        struct ResumeUpdates
        {
            TTable *t;
            ~ResumeUpdates() { t->enableControls(); }
        } resume {Table1};
        Table1->moveTo(row);
    }
    const int previous = CurrRow;
    CurrRow = row;
    highlightRow(previous);
    highlightRow(CurrRow);
    if (button == Qt::RightButton && (shift & Qt::ControlModifier))
        columnCopy();
}
