#include "datawindow/transfer/ClipboardTransfer.h"

#include "common/SharedState.h"
#include "controls/DBImage.h"
#include "controls/DBMemo.h"
#include "controls/PictureMime.h"
#include "datawindow/transfer/CarriedValue.h"
#include "datawindow/transfer/GridTransfer.h"
#include "engine/FieldType.h"
#include "engine/TField.h"

#include <QApplication>
#include <QClipboard>
#include <QMimeData>

namespace ClipboardTransfer {

void take(const TField &field, const DBImage *image, DBMemo *memo)
{
    DragFieldType = std::uint8_t(field.dataType());
    DragValue.clear();
    DragSourceEmpty = false;
    DragSourceError.clear();
    switch (fieldClassOf(field.dataType())) {
    case FieldClass::PictureLike: {
        const CarriedValue v = CarriedValue::take(field, image, memo);
        DragSourceError = v.error;
        DragSourceEmpty = v.error.isEmpty() && v.picture.isNull();
        if (!v.picture.isNull()) {
            auto *data = new QMimeData;
            PictureMime::put(*data, v.picture, v.source);
            QApplication::clipboard()->setMimeData(data);
        }
        break;
    }
    case FieldClass::Memo:
        if (memo) {
            memo->selectAll();
            memo->copy();
            DragSourceEmpty = memo->toPlainText().isEmpty();
        } else {
            const QString text = field.asString();
            DragSourceEmpty = text.isEmpty();
            if (!DragSourceEmpty)
                QApplication::clipboard()->setText(text);
        }
        break;
    case FieldClass::Ordinary: {
        const CarriedValue v = CarriedValue::take(field, image, memo);
        DragValue = v.value;
        DragSourceError = v.error;
        break;
    }
    }
}

bool drop(TField &target, DBImage *image, DBMemo *memo)
{
    if (!GridTransfer::sameClass(DragFieldType, target.dataType()))
        return false;
    const FieldClass kind = fieldClassOf(target.dataType());
    CarriedValue carried;
    carried.fieldType = DragFieldType;
    carried.error = DragSourceError;
    carried.refuseUnreadable(target);
    if (kind == FieldClass::Ordinary)
        return GridTransfer::writeOrdinary(target, DragValue);
    if (DragSourceEmpty) {
        CarriedValue nothing;
        nothing.fieldType = target.dataType();
        return nothing.putInto(target, image, memo);
    }
    const QMimeData *data = QApplication::clipboard()->mimeData();
    if (kind == FieldClass::PictureLike) {
        // Only a picture is pasted; whatever else the clipboard holds now writes nothing.
        CarriedValue v;
        v.fieldType = target.dataType();
        v.source = PictureMime::take(data, &v.picture);
        return !v.source.isEmpty() && v.putInto(target, image, memo);
    }
    if (!data || !data->hasText())
        return false;
    if (memo) {
        memo->pasteOver();
        return true;
    }
    target.setValue(data->text());
    return true;
}

} // namespace ClipboardTransfer
