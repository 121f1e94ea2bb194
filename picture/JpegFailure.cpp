#include "picture/JpegFailure.h"

#include <cstdio>
// jpeglib.h first: it brings the configuration that jerror.h's message list depends on.
#include <jpeglib.h>
#include <jerror.h>

QString JpegFailure::reason(int messageCode)
{
    switch (messageCode) {
    case JERR_NO_SOI:
        return tr("it is not a JPEG file");
    case JERR_INPUT_EMPTY:
    case JERR_INPUT_EOF:
    case JWRN_JPEG_EOF:
        return tr("the file ends before the picture does");
    case JERR_OUT_OF_MEMORY:
        return tr("there is not enough memory");
    case JERR_IMAGE_TOO_BIG:
    case JERR_WIDTH_OVERFLOW:
        return tr("the picture is too large");
    case JERR_CONVERSION_NOTIMPL:
    case JERR_NOT_COMPILED:
    case JERR_NOTIMPL:
    case JERR_BAD_J_COLORSPACE:
    case JERR_SOF_UNSUPPORTED:
        return tr("it uses a kind of JPEG that is not supported");
    case JWRN_HIT_MARKER:
    case JWRN_HUFF_BAD_CODE:
    case JWRN_ARITH_BAD_CODE:
        return tr("its picture data is damaged");
    default:
        return tr("the file is damaged");
    }
}
