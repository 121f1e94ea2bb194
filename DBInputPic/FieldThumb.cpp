#include "DBInputPic/FieldThumb.h"

#include "picture/Thumbnail.h"

QImage FieldThumb::picture() const
{
    return block && size > 0 ? Thumbnail::unpack(block->view(offset, size)) : QImage();
}

void FieldThumb::setPacked(const QByteArray &packed)
{
    block = packed.isEmpty() ? nullptr : std::make_shared<const ThumbBlock>(packed);
    offset = 0;
    size = qint32(packed.size());
}
