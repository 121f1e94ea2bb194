#include "picture/JpegCodec.h"

#include <QCoreApplication>

#include "picture/Exif.h"
#include "picture/JpegFailure.h"
#include "picture/PictureError.h"
#include "picture/PictureLimits.h"

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
// jpeglib.h first: it brings the configuration that jerror.h's message list depends on.
#include <jpeglib.h>
// After jpeglib.h: the warning codes depend on the configuration it reads.
#include <jerror.h>

// libjpeg reports errors by calling error_exit, which must not return; we longjmp back to the
// function that started the libjpeg call. The functions that call setjmp (readHeader, readPixels,
// writeAll) therefore hold only plain C data: a longjmp must not skip a C++ destructor. Everything
// that owns memory (the QImage, the cleanup guards) lives in the callers' frames above them.

namespace JpegCodec {

namespace {

#if Q_BYTE_ORDER == Q_LITTLE_ENDIAN
constexpr J_COLOR_SPACE Rgb32Space
    = JCS_EXT_BGRX; // QImage::Format_RGB32 is 0xffRRGGBB in memory order B G R X
#else
constexpr J_COLOR_SPACE Rgb32Space = JCS_EXT_XRGB;
#endif

struct ErrorManager
{
    jpeg_error_mgr pub;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX]; // libjpeg's text, for the log
    int code; // its J_MESSAGE_CODE, for the user's message
};

[[noreturn]] void failWithMessage(j_common_ptr info)
{
    auto *err = reinterpret_cast<ErrorManager *>(info->err);
    (*info->err->format_message)(info, err->message);
    err->code = info->err->msg_code;
    std::longjmp(err->jump, 1);
}

// Warnings that mean image data is missing or unreadable become errors: libjpeg would otherwise
// fill the rest of the picture with grey. Others (extraneous bytes, odd markers) leave a whole
// picture and are ignored, as are trace messages.
void emitMessage(j_common_ptr info, int level)
{
    if (level >= 0)
        return;
    switch (info->err->msg_code) {
    case JWRN_JPEG_EOF:
    case JWRN_HIT_MARKER:
    case JWRN_HUFF_BAD_CODE:
    case JWRN_ARITH_BAD_CODE:
        failWithMessage(info);
    default:
        ++info->err->num_warnings;
    }
}

void installErrorManager(ErrorManager *err)
{
    jpeg_std_error(&err->pub);
    err->pub.error_exit = failWithMessage;
    err->pub.emit_message = emitMessage;
    err->message[0] = '\0';
    err->code = 0;
}

// The whole file in memory. Running out of data is an error ("Premature end of JPEG file"),
// except in the one case where it provably loses nothing: a single-scan Huffman file whose last
// scan ends without its end marker. There the source supplies the marker, and if the decoder still
// needed image data it says so (JWRN_HIT_MARKER), which is an error again. Arithmetic decoding pads
// missing data silently and progressive files may lack whole scans, so they get no such grace.
struct MemorySource
{
    jpeg_source_mgr pub;
    bool endMarkerMayBeMissing;
};

const JOCTET EndMarker[2] = {0xff, JPEG_EOI};

void initSource(j_decompress_ptr)
{ }
void termSource(j_decompress_ptr)
{ }

boolean fillInputBuffer(j_decompress_ptr cinfo)
{
    auto *src = reinterpret_cast<MemorySource *>(cinfo->src);
    if (!src->endMarkerMayBeMissing)
        WARNMS(cinfo, JWRN_JPEG_EOF); // escalated to an error by emitMessage
    src->pub.next_input_byte = EndMarker;
    src->pub.bytes_in_buffer = sizeof EndMarker;
    return TRUE;
}

void skipInputData(j_decompress_ptr cinfo, long count)
{
    jpeg_source_mgr *src = cinfo->src;
    if (count <= 0)
        return;
    while (size_t(count) > src->bytes_in_buffer) {
        count -= long(src->bytes_in_buffer);
        fillInputBuffer(cinfo);
    }
    src->next_input_byte += count;
    src->bytes_in_buffer -= size_t(count);
}

struct Decoder
{
    jpeg_decompress_struct cinfo;
    ErrorManager err;
    MemorySource source;
};

// Destroys the decompressor (a no-op when it was never created: the struct starts zeroed).
class DecoderGuard
{
public:
    explicit DecoderGuard(Decoder &d) : m_d(d) { }
    ~DecoderGuard() { jpeg_destroy_decompress(&m_d.cinfo); }
    DecoderGuard(const DecoderGuard &) = delete;
    DecoderGuard &operator=(const DecoderGuard &) = delete;

private:
    Decoder &m_d;
};

const unsigned char *bytesOf(const QByteArray &file)
{
    return reinterpret_cast<const unsigned char *>(file.constData());
}

unsigned long sizeOf(const QByteArray &file)
{
    return static_cast<unsigned long>(file.size());
}

void throwIfEmpty(const QByteArray &file)
{
    if (file.isEmpty())
        throw PictureError(QCoreApplication::translate("JpegCodec", "The JPEG file is empty."));
}

[[noreturn]] void throwDecodeError(const Decoder &d)
{
    qWarning("JPEG not read: %s", d.err.message);
    throw PictureError(QCoreApplication::translate("JpegCodec", "The picture cannot be read as JPEG: %1.")
                           .arg(JpegFailure::reason(d.err.code)));
}

// Creates the decompressor over the bytes and reads the header; with a maximum size, also picks
// the DCT scale. Returns false after a libjpeg error (the message is in d->err). d must be
// zero-initialised: the guard then destroys it safely whether or not creation got that far.
bool readHeader(
    Decoder *d, const unsigned char *data, unsigned long size, int maxWidth, int maxHeight)
{
    if (setjmp(d->err.jump))
        return false;
    d->cinfo.err = &d->err.pub;
    jpeg_create_decompress(&d->cinfo);
    MemorySource *src = &d->source;
    src->pub.next_input_byte = data;
    src->pub.bytes_in_buffer = size;
    src->pub.init_source = initSource;
    src->pub.fill_input_buffer = fillInputBuffer;
    src->pub.skip_input_data = skipInputData;
    src->pub.resync_to_restart = jpeg_resync_to_restart;
    src->pub.term_source = termSource;
    src->endMarkerMayBeMissing = false;
    d->cinfo.src = &src->pub;
    jpeg_read_header(&d->cinfo, TRUE);
    const J_COLOR_SPACE in = d->cinfo.jpeg_color_space;
    d->cinfo.out_color_space = (in == JCS_CMYK || in == JCS_YCCK) ? JCS_CMYK : Rgb32Space;
    if (maxWidth > 0 && maxHeight > 0) {
        // Only the power-of-two scales have SIMD inverse transforms; the caller's final scaling
        // costs less than the slower N/8 ones would.
        static const unsigned int denominators[] = {8, 4, 2};
        d->cinfo.scale_num = 1;
        for (const unsigned int denom : denominators) {
            d->cinfo.scale_denom = denom;
            jpeg_calc_output_dimensions(&d->cinfo);
            if (d->cinfo.output_width >= JDIMENSION(maxWidth)
                && d->cinfo.output_height >= JDIMENSION(maxHeight))
                return true;
        }
        d->cinfo.scale_denom = 1;
    }
    jpeg_calc_output_dimensions(&d->cinfo);
    return true;
}

// Photoshop and every other Adobe-marked writer store CMYK inverted (0 = full ink); libjpeg hands
// both CMYK and YCCK files back as CMYK values in the file's convention.
void cmykToRgb32(const JSAMPLE *in, uchar *out, JDIMENSION width, bool inverted)
{
    auto *px = reinterpret_cast<QRgb *>(out);
    for (JDIMENSION x = 0; x < width; ++x, in += 4) {
        unsigned c = in[0], m = in[1], y = in[2], k = in[3];
        if (!inverted) {
            c = 255 - c;
            m = 255 - m;
            y = 255 - y;
            k = 255 - k;
        }
        px[x] = qRgb(int((c * k + 127) / 255), int((m * k + 127) / 255), int((y * k + 127) / 255));
    }
}

// Decodes every scanline into rows of the given stride. Returns false after a libjpeg error.
bool readPixels(Decoder *d, uchar *bits, qsizetype bytesPerLine)
{
    if (setjmp(d->err.jump))
        return false;
    jpeg_decompress_struct *cinfo = &d->cinfo;
    jpeg_start_decompress(cinfo);
    d->source.endMarkerMayBeMissing = !cinfo->arith_code && !jpeg_has_multiple_scans(cinfo);
    if (cinfo->out_color_space == JCS_CMYK) {
        JSAMPARRAY row = (*cinfo->mem->alloc_sarray)(
            reinterpret_cast<j_common_ptr>(cinfo), JPOOL_IMAGE, cinfo->output_width * 4, 1);
        const bool inverted = cinfo->saw_Adobe_marker;
        while (cinfo->output_scanline < cinfo->output_height) {
            uchar *dest = bits + qsizetype(cinfo->output_scanline) * bytesPerLine;
            jpeg_read_scanlines(cinfo, row, 1);
            cmykToRgb32(row[0], dest, cinfo->output_width, inverted);
        }
    } else {
        constexpr int Batch = 16;
        JSAMPROW rows[Batch];
        while (cinfo->output_scanline < cinfo->output_height) {
            const JDIMENSION first = cinfo->output_scanline;
            const JDIMENSION count = qMin<JDIMENSION>(Batch, cinfo->output_height - first);
            for (JDIMENSION i = 0; i < count; ++i)
                rows[i] = bits + qsizetype(first + i) * bytesPerLine;
            jpeg_read_scanlines(cinfo, rows, count);
        }
    }
    // No jpeg_finish_decompress: every scanline is in, and reading on to the end marker could
    // only find trailing garbage.
    return true;
}

} // namespace

QImage decode(const QByteArray &file, QSize maxSize)
{
    // A camera stores a portrait photo lying on its side and says so in EXIF: the scaled decode
    // works on the stored picture, so the size it must cover turns with it.
    const int orientation = Exif::read(file).orientation;
    return Exif::oriented(
        decodeAsStored(file, Exif::orientedSize(maxSize, orientation)), orientation);
}

QImage decodeAsStored(const QByteArray &file, QSize maxSize)
{
    throwIfEmpty(file);
    Decoder d {};
    installErrorManager(&d.err);
    DecoderGuard guard(d);
    if (!readHeader(&d, bytesOf(file), sizeOf(file), maxSize.isValid() ? maxSize.width() : 0,
            maxSize.isValid() ? maxSize.height() : 0))
        throwDecodeError(d);
    // The declared size bounds libjpeg's own buffers (a progressive file keeps every coefficient),
    // so it is checked even when the output is scaled down.
    PictureLimits::check(d.cinfo.image_width, d.cinfo.image_height, "JPEG");
    QImage image(int(d.cinfo.output_width), int(d.cinfo.output_height), QImage::Format_RGB32);
    if (image.isNull())
        throw PictureError(QCoreApplication::translate("JpegCodec", "There is not enough memory for a %1 × %2 picture.")
                               .arg(d.cinfo.output_width)
                               .arg(d.cinfo.output_height));
    if (!readPixels(&d, image.bits(), image.bytesPerLine()))
        throwDecodeError(d);
    return image;
}

QSize imageSize(const QByteArray &file)
{
    throwIfEmpty(file);
    Decoder d {};
    installErrorManager(&d.err);
    DecoderGuard guard(d);
    if (!readHeader(&d, bytesOf(file), sizeOf(file), 0, 0))
        throwDecodeError(d);
    return Exif::orientedSize(QSize(int(qMin<JDIMENSION>(d.cinfo.image_width, INT_MAX)),
                                  int(qMin<JDIMENSION>(d.cinfo.image_height, INT_MAX))),
        Exif::read(file).orientation);
}

namespace {

struct Encoder
{
    jpeg_compress_struct cinfo;
    ErrorManager err;
    unsigned char *buffer;
    unsigned long size;
};

bool writeAll(Encoder *e, const QImage *image, int quality)
{
    if (setjmp(e->err.jump))
        return false;
    jpeg_compress_struct *cinfo = &e->cinfo;
    cinfo->err = &e->err.pub;
    jpeg_create_compress(cinfo);
    jpeg_mem_dest(cinfo, &e->buffer, &e->size);
    cinfo->image_width = JDIMENSION(image->width());
    cinfo->image_height = JDIMENSION(image->height());
    cinfo->input_components = 4;
    cinfo->in_color_space = Rgb32Space;
    jpeg_set_defaults(cinfo);
    jpeg_set_quality(cinfo, quality, TRUE);
    jpeg_start_compress(cinfo, TRUE);
    while (cinfo->next_scanline < cinfo->image_height) {
        JSAMPROW row = const_cast<uchar *>(image->constScanLine(int(cinfo->next_scanline)));
        jpeg_write_scanlines(cinfo, &row, 1);
    }
    jpeg_finish_compress(cinfo);
    return true;
}

class EncoderGuard
{
public:
    explicit EncoderGuard(Encoder &e) : m_e(e) { }
    ~EncoderGuard()
    {
        jpeg_destroy_compress(&m_e.cinfo);
        std::free(m_e.buffer);
    }
    EncoderGuard(const EncoderGuard &) = delete;
    EncoderGuard &operator=(const EncoderGuard &) = delete;

private:
    Encoder &m_e;
};

} // namespace

QByteArray encode(const QImage &source, int quality)
{
    if (source.isNull())
        throw PictureError(QCoreApplication::translate("JpegCodec", "An empty picture cannot be written as JPEG."));
    const QImage image = source.convertToFormat(QImage::Format_RGB32);
    Encoder e {};
    installErrorManager(&e.err);
    EncoderGuard guard(e);
    if (!writeAll(&e, &image, qBound(1, quality, 100)))
        throw PictureError(QCoreApplication::translate("JpegCodec", "The picture cannot be written as JPEG: %1.")
                               .arg(JpegFailure::reason(e.err.code)));
    return QByteArray(reinterpret_cast<const char *>(e.buffer), qsizetype(e.size));
}

} // namespace JpegCodec
