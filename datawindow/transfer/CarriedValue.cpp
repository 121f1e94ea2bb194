#include "datawindow/transfer/CarriedValue.h"

#include "controls/DBImage.h"
#include "controls/DBMemo.h"
#include "datawindow/transfer/GridTransfer.h"
#include "engine/EngineError.h"
#include "engine/FieldType.h"
#include "engine/TField.h"
#include "picture/PictureError.h"
#include "picture/StoredPicture.h"

CarriedValue CarriedValue::take(const TField &field, const DBImage *image, const DBMemo *memo)
{
    CarriedValue v;
    v.fieldType = field.dataType();
    switch (fieldClassOf(v.fieldType)) {
    case FieldClass::PictureLike:
        if (image) {
            v.picture = image->picture();
            v.source = image->source();
            v.error = image->loadError();
        } else {
            try {
                const QByteArray value = field.asBytes();
                v.picture = StoredPicture::decode(value);
                if (!v.picture.isNull())
                    v.source = PictureSource::value(value);
            } catch (const PictureError &e) {
                v.error = e.message();
            }
        }
        break;
    case FieldClass::Memo:
        v.text = memo ? memo->toPlainText() : field.asString();
        break;
    case FieldClass::Ordinary:
        try {
            v.value = field.value();
        } catch (const EngineError &e) {
            v.error = e.message();
        }
        break;
    }
    return v;
}

void CarriedValue::refuseUnreadable(const TField &target) const
{
    if (error.isEmpty() || !GridTransfer::sameClass(fieldType, target.dataType()))
        return;
    if (isPictureLike(target.dataType()))
        throw PictureError(error);
    throw EngineError(error);
}

bool CarriedValue::putInto(TField &target, DBImage *image, DBMemo *memo) const
{
    if (!GridTransfer::sameClass(fieldType, target.dataType()))
        return false;
    refuseUnreadable(target);
    switch (fieldClassOf(target.dataType())) {
    case FieldClass::PictureLike: {
        // A picture carried without bytes of its own is stored from its pixels.
        const PictureSource from = source.isEmpty() ? PictureSource::picture(picture) : source;
        if (image)
            image->setPicture(picture, from);
        else
            target.setPicture(from);
        return true;
    }
    case FieldClass::Memo:
        if (memo)
            memo->setPlainText(text);
        else
            target.setValue(text);
        return true;
    case FieldClass::Ordinary:
        return GridTransfer::writeOrdinary(target, value);
    }
    return false;
}
