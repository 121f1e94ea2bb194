#include "tests/picture/samples/PictureSamples.h"

#include <libexif/exif-data.h>

#include <QBuffer>
#include <QtEndian>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <jpeglib.h>
#include <vector>

namespace PictureSamples {

namespace {

const QRgb Pure[8] = {qRgb(0, 0, 0), qRgb(255, 255, 255), qRgb(255, 0, 0), qRgb(0, 255, 0),
    qRgb(0, 0, 255), qRgb(255, 255, 0), qRgb(0, 255, 255), qRgb(255, 0, 255)};

// Appends little-endian fields to a growing file.
class Writer
{
public:
    void u8(int v) { m_out.append(char(v)); }
    void u16(quint32 v)
    {
        u8(v & 0xff);
        u8((v >> 8) & 0xff);
    }
    void u32(quint32 v)
    {
        u16(v & 0xffff);
        u16(v >> 16);
    }
    void zeros(qsizetype n) { m_out.append(n, '\0'); }
    void padTo(qsizetype multiple, qsizetype from)
    {
        while ((m_out.size() - from) % multiple)
            u8(0);
    }
    qsizetype size() const { return m_out.size(); }
    QByteArray &bytes() { return m_out; }

private:
    QByteArray m_out;
};

struct Format
{
    int headerSize = 40;
    int bitCount = 24;
    quint32 compression = 0;
    bool topDown = false;
    bool os2 = false; // OS/2 1.x: 16-bit sizes and three-byte palette entries
    bool fullPalette = false; // the header cannot say how many colours are used
    bool masksAfterHeader = false;
    bool rle24 = false; // OS/2 2.x: compression 4 with 24 bits is RLE24, not JPEG
    int maskCount = 0;
    quint32 masks[4] = {0, 0, 0, 0};
    QByteArray profile; // an ICC profile, placed after the pixels (V5 header only)
};

Format formatOf(BmpKind kind)
{
    Format f;
    switch (kind) {
    case BmpKind::Indexed1:
        f.bitCount = 1;
        break;
    case BmpKind::Indexed2:
        f.bitCount = 2;
        break;
    case BmpKind::Indexed4:
        f.bitCount = 4;
        break;
    case BmpKind::Indexed8:
        f.bitCount = 8;
        break;
    case BmpKind::Rle4:
        f.bitCount = 4;
        f.compression = 2;
        break;
    case BmpKind::Rle8:
        f.bitCount = 8;
        f.compression = 1;
        break;
    case BmpKind::Rgb555:
        f.bitCount = 16;
        break;
    case BmpKind::Bitfields565:
        f.bitCount = 16;
        f.compression = 3;
        f.masksAfterHeader = true;
        f.maskCount = 3;
        f.masks[0] = 0xf800;
        f.masks[1] = 0x07e0;
        f.masks[2] = 0x001f;
        break;
    case BmpKind::Rgb24:
        break;
    case BmpKind::Rgb24TopDown:
        f.topDown = true;
        break;
    case BmpKind::Rgb32:
        f.bitCount = 32;
        break;
    case BmpKind::Bitfields32V4: // RGBA byte order, unlike the usual BGRA
        f.headerSize = 108;
        f.bitCount = 32;
        f.compression = 3;
        f.masks[0] = 0x000000ff;
        f.masks[1] = 0x0000ff00;
        f.masks[2] = 0x00ff0000;
        f.masks[3] = 0xff000000;
        break;
    case BmpKind::Bitfields32V5:
        f.headerSize = 124;
        f.bitCount = 32;
        f.compression = 3;
        f.masks[0] = 0x00ff0000;
        f.masks[1] = 0x0000ff00;
        f.masks[2] = 0x000000ff;
        f.masks[3] = 0xff000000;
        break;
    case BmpKind::AlphaBitfields: // 10-bit colour, 2-bit alpha
        f.bitCount = 32;
        f.compression = 6;
        f.masksAfterHeader = true;
        f.maskCount = 4;
        f.masks[0] = 0x3ff00000;
        f.masks[1] = 0x000ffc00;
        f.masks[2] = 0x000003ff;
        f.masks[3] = 0xc0000000;
        break;
    case BmpKind::Os2Core8:
        f.headerSize = 12;
        f.bitCount = 8;
        f.os2 = true;
        f.fullPalette = true;
        break;
    case BmpKind::Os2Core24:
        f.headerSize = 12;
        f.os2 = true;
        break;
    case BmpKind::Os2Version2Indexed8:
        f.headerSize = 64;
        f.bitCount = 8;
        break;
    case BmpKind::Os2Short4:
        f.headerSize = 16;
        f.bitCount = 4;
        f.fullPalette = true;
        break;
    case BmpKind::Os2Rle24:
        f.headerSize = 64;
        f.compression = 4;
        f.rle24 = true;
        break;
    case BmpKind::Rgba64:
        f.bitCount = 64;
        break;
    case BmpKind::EmbeddedJpeg:
    case BmpKind::EmbeddedPng:
        f.headerSize = 124;
        f.bitCount = 0;
        f.compression = kind == BmpKind::EmbeddedJpeg ? 4 : 5;
        break;
    }
    return f;
}

quint32 packMasked(QRgb c, const Format &f)
{
    quint32 v = 0;
    const int channels[4] = {qRed(c), qGreen(c), qBlue(c), qAlpha(c)};
    for (int i = 0; i < 4; ++i) {
        const quint32 mask = f.masks[i];
        if (!mask)
            continue;
        int shift = 0;
        while (!((mask >> shift) & 1))
            ++shift;
        const quint32 max = mask >> shift;
        v |= ((quint32(channels[i]) * max + 127) / 255) << shift;
    }
    return v;
}

// An sRGB channel as linear light in s2.13 fixed point.
quint16 linearFixed(int channel)
{
    const double v = channel / 255.0;
    const double linear = v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
    return quint16(std::lround(linear * 8192));
}

void writeRow(Writer &w, const QImage &image, int y, const Format &f, const QList<QRgb> &palette)
{
    const qsizetype start = w.size();
    const int width = image.width();
    if (f.bitCount <= 8) {
        int acc = 0, filled = 0;
        for (int x = 0; x < width; ++x) {
            acc = (acc << f.bitCount) | int(palette.indexOf(image.pixel(x, y)));
            filled += f.bitCount;
            if (filled == 8) {
                w.u8(acc);
                acc = filled = 0;
            }
        }
        if (filled)
            w.u8(acc << (8 - filled));
    } else {
        for (int x = 0; x < width; ++x) {
            const QRgb c = image.pixel(x, y);
            if (f.bitCount == 24) {
                w.u8(qBlue(c));
                w.u8(qGreen(c));
                w.u8(qRed(c));
            } else if (f.bitCount == 64) {
                w.u16(linearFixed(qBlue(c)));
                w.u16(linearFixed(qGreen(c)));
                w.u16(linearFixed(qRed(c)));
                w.u16(quint32(qAlpha(c) * 8192 + 127) / 255);
            } else if (f.bitCount == 16) {
                w.u16(f.compression == 3
                        ? packMasked(c, f)
                        : quint32((qRed(c) >> 3) << 10 | (qGreen(c) >> 3) << 5 | qBlue(c) >> 3));
            } else {
                w.u32(f.compression == 0 ? quint32(c & 0x00ffffff) : packMasked(c, f));
            }
        }
    }
    w.padTo(4, start);
}

enum class RunLength { Rle4, Rle8, Rle24 };

// A run's value: an index (RLE8), two copies of one (RLE4), or blue, green, red (RLE24).
void writeRunValue(Writer &w, int value, RunLength mode)
{
    if (mode == RunLength::Rle24) {
        w.u8(value & 0xff);
        w.u8((value >> 8) & 0xff);
        w.u8((value >> 16) & 0xff);
    } else {
        w.u8(mode == RunLength::Rle4 ? value << 4 | value : value);
    }
}

// One row of run-length data: equal pixels as runs, changing ones as literal runs (three or more)
// or single-pixel runs. Values below zero are transparent pixels: a jump passes over them, and
// the line end that follows the row skips those at its end.
void writeRunLengthRow(Writer &w, const std::vector<int> &values, RunLength mode)
{
    const int width = int(values.size());
    int i = 0;
    while (i < width) {
        if (values[i] < 0) {
            int gap = 0;
            while (i + gap < width && values[i + gap] < 0)
                ++gap;
            if (i + gap == width)
                return;
            for (int left = gap; left > 0; left -= 255) {
                w.u8(0);
                w.u8(2);
                w.u8(std::min(left, 255));
                w.u8(0);
            }
            i += gap;
            continue;
        }
        int run = 1;
        while (i + run < width && run < 255 && values[i + run] == values[i])
            ++run;
        if (run >= 2) {
            w.u8(run);
            writeRunValue(w, values[i], mode);
            i += run;
            continue;
        }
        int j = i;
        while (j < width && j - i < 255 && values[j] >= 0
            && (j + 1 >= width || values[j] != values[j + 1]))
            ++j;
        const int literal = j - i;
        if (literal >= 3) {
            w.u8(0);
            w.u8(literal);
            const qsizetype start = w.size();
            for (int k = 0; k < literal; k += mode == RunLength::Rle4 ? 2 : 1) {
                if (mode == RunLength::Rle4)
                    w.u8(values[i + k] << 4 | (k + 1 < literal ? values[i + k + 1] : 0));
                else if (mode == RunLength::Rle24)
                    writeRunValue(w, values[i + k], mode);
                else
                    w.u8(values[i + k]);
            }
            w.padTo(2, start);
        } else {
            for (int k = 0; k < literal; ++k) {
                w.u8(1);
                writeRunValue(w, values[i + k], mode);
            }
        }
        i = j;
    }
}

// All run-length rows, bottom row first unless top-down; the rows after the last one with an
// opaque pixel are left to an early end of bitmap.
void writeRunLength(Writer &w, const QImage &image, const Format &f, const QList<QRgb> &palette)
{
    const RunLength mode = f.rle24 ? RunLength::Rle24
        : f.compression == 2       ? RunLength::Rle4
                                   : RunLength::Rle8;
    const int height = image.height();
    std::vector<std::vector<int>> rows;
    int lastOpaqueRow = -1;
    for (int r = 0; r < height; ++r) {
        const int y = f.topDown ? r : height - 1 - r;
        std::vector<int> values;
        for (int x = 0; x < image.width(); ++x) {
            const QRgb c = image.pixel(x, y);
            if (qAlpha(c) == 0)
                values.push_back(-1);
            else
                values.push_back(
                    mode == RunLength::Rle24 ? int(c & 0xffffff) : int(palette.indexOf(c)));
        }
        if (std::any_of(values.begin(), values.end(), [](int v) { return v >= 0; }))
            lastOpaqueRow = r;
        rows.push_back(std::move(values));
    }
    for (int r = 0; r <= lastOpaqueRow; ++r) {
        writeRunLengthRow(w, rows[size_t(r)], mode);
        w.u8(0);
        w.u8(r == lastOpaqueRow ? 1 : 0); // end of line, or of the bitmap after the last
    }
    if (lastOpaqueRow < 0) {
        w.u8(0);
        w.u8(1);
    }
}

QByteArray bmpOf(const QImage &source, const Format &f);

} // namespace

QImage quadrants(QSize size)
{
    QImage image(size, QImage::Format_RGB32);
    const QList<QRgb> colours = quadrantColours();
    const int halfW = size.width() / 2, halfH = size.height() / 2;
    for (int y = 0; y < size.height(); ++y) {
        auto *row = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < size.width(); ++x)
            row[x] = colours[(y >= halfH ? 2 : 0) + (x >= halfW ? 1 : 0)];
    }
    return image;
}

QList<QRgb> quadrantColours()
{
    return {qRgb(255, 0, 0), qRgb(0, 255, 0), qRgb(0, 0, 255), qRgb(255, 255, 255)};
}

QImage solid(QSize size, QRgb colour)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

bool near(QRgb actual, QRgb expected, int tolerance)
{
    return qAbs(qRed(actual) - qRed(expected)) <= tolerance
        && qAbs(qGreen(actual) - qGreen(expected)) <= tolerance
        && qAbs(qBlue(actual) - qBlue(expected)) <= tolerance;
}

QImage stripes(QSize size, int colourCount)
{
    QImage image(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x)
            image.setPixel(x, y, Pure[(x < 4 ? y : x + y) % colourCount]);
    return image;
}

QByteArray jpeg(const QImage &source, JpegKind kind, int quality)
{
    const QImage image = source.convertToFormat(QImage::Format_RGB32);
    jpeg_compress_struct cinfo;
    jpeg_error_mgr err;
    cinfo.err = jpeg_std_error(&err); // a failure here is a broken fixture: libjpeg exits loudly
    jpeg_create_compress(&cinfo);
    unsigned char *buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &buffer, &size);
    cinfo.image_width = JDIMENSION(image.width());
    cinfo.image_height = JDIMENSION(image.height());
    const bool grey = kind == JpegKind::Greyscale;
    const bool plain = kind == JpegKind::CmykPlain;
    const bool cmyk = kind == JpegKind::Cmyk || kind == JpegKind::Ycck || plain;
    cinfo.input_components = grey ? 1 : 4;
    cinfo.in_color_space = grey ? JCS_GRAYSCALE : cmyk ? JCS_CMYK : JCS_EXT_BGRX;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, quality, TRUE);
    if (kind == JpegKind::Ycck)
        jpeg_set_colorspace(&cinfo, JCS_YCCK);
    if (plain)
        cinfo.write_Adobe_marker = FALSE;
    if (kind == JpegKind::Progressive)
        jpeg_simple_progression(&cinfo);
    if (kind == JpegKind::Arithmetic)
        cinfo.arith_code = TRUE;
    jpeg_start_compress(&cinfo, TRUE);
    std::vector<JSAMPLE> row(size_t(image.width()) * 4);
    while (cinfo.next_scanline < cinfo.image_height) {
        const auto *src
            = reinterpret_cast<const QRgb *>(image.constScanLine(int(cinfo.next_scanline)));
        JSAMPROW rowPointer = const_cast<JSAMPLE *>(image.constScanLine(int(cinfo.next_scanline)));
        if (grey || cmyk) {
            for (int x = 0; x < image.width(); ++x) {
                const QRgb c = src[x];
                if (grey) {
                    row[size_t(x)] = JSAMPLE(qGray(c));
                    continue;
                }
                // Adobe's inverted CMYK, as real CMYK files hold it: k' is the brightest channel.
                const int k = qMax(qRed(c), qMax(qGreen(c), qBlue(c)));
                JSAMPLE *px = &row[size_t(x) * 4];
                px[0] = JSAMPLE(k ? qRed(c) * 255 / k : 0);
                px[1] = JSAMPLE(k ? qGreen(c) * 255 / k : 0);
                px[2] = JSAMPLE(k ? qBlue(c) * 255 / k : 0);
                px[3] = JSAMPLE(k);
                if (plain)
                    for (int i = 0; i < 4; ++i)
                        px[i] = JSAMPLE(255 - px[i]);
            }
            rowPointer = row.data();
        }
        jpeg_write_scanlines(&cinfo, &rowPointer, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    QByteArray out(reinterpret_cast<const char *>(buffer), qsizetype(size));
    std::free(buffer);
    return out;
}

QByteArray bmp(const QImage &image, BmpKind kind)
{
    return bmpOf(image, formatOf(kind));
}

QByteArray bmpWithProfile(const QImage &image, const QByteArray &iccProfile)
{
    Format f;
    f.headerSize = 124;
    f.profile = iccProfile;
    return bmpOf(image, f);
}

namespace {

QByteArray bmpOf(const QImage &source, const Format &f)
{
    const QImage image = source.convertToFormat(QImage::Format_ARGB32);
    const int width = image.width(), height = image.height();
    const bool rle = f.compression == 1 || f.compression == 2 || f.rle24;

    QList<QRgb> palette;
    if (f.bitCount > 0 && f.bitCount <= 8) {
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                const QRgb c = image.pixel(x, y);
                Q_ASSERT(rle || qAlpha(c) == 255);
                if (qAlpha(c) != 0 && !palette.contains(c))
                    palette.append(c);
            }
        Q_ASSERT(palette.size() <= (1 << f.bitCount));
        if (f.fullPalette)
            while (palette.size() < (1 << f.bitCount))
                palette.append(qRgb(0, 0, 0));
    }

    Writer pixels;
    if (f.compression == 4 && !f.rle24) {
        pixels.bytes() = jpeg(image, JpegKind::Baseline);
    } else if (f.compression == 5) {
        pixels.bytes() = png(source);
    } else if (rle) {
        writeRunLength(pixels, image, f, palette);
    } else {
        for (int r = 0; r < height; ++r)
            writeRow(pixels, image, f.topDown ? r : height - 1 - r, f, palette);
    }

    const int paletteEntry = f.os2 ? 3 : 4;
    const int maskBytes = f.masksAfterHeader ? f.maskCount * 4 : 0;
    const quint32 dataOffset
        = quint32(14 + f.headerSize + maskBytes + palette.size() * paletteEntry);
    Writer w;
    w.u8('B');
    w.u8('M');
    w.u32(dataOffset + quint32(pixels.size() + f.profile.size()));
    w.u32(0);
    w.u32(dataOffset);
    w.u32(quint32(f.headerSize));
    if (f.os2) {
        w.u16(quint32(width));
        w.u16(quint32(height));
        w.u16(1);
        w.u16(quint32(f.bitCount));
    } else {
        const qsizetype start = w.size() - 4;
        w.u32(quint32(width));
        w.u32(quint32(f.topDown ? -height : height));
        w.u16(1);
        w.u16(quint32(f.bitCount));
        if (f.headerSize > 16) {
            w.u32(f.compression);
            w.u32(quint32(pixels.size()));
            w.u32(2835);
            w.u32(2835);
            w.u32(quint32(palette.size()));
            w.u32(0);
        }
        if (f.headerSize >= 52 && !f.masksAfterHeader)
            for (int i = 0; i < (f.headerSize >= 56 ? 4 : 3); ++i)
                w.u32(f.masks[i]);
        if (f.headerSize >= 108)
            w.u32(f.profile.isEmpty() ? 0x73524742 : 0x4d424544); // 'sRGB' or 'MBED'
        w.zeros(start + f.headerSize - w.size()); // colour space fields, OS/2 2.x extras
        if (!f.profile.isEmpty()) {
            // Offset and size, the offset counted from the information header.
            qToLittleEndian(dataOffset + quint32(pixels.size()) - 14,
                reinterpret_cast<uchar *>(w.bytes().data()) + start + 112);
            qToLittleEndian(quint32(f.profile.size()),
                reinterpret_cast<uchar *>(w.bytes().data()) + start + 116);
        }
    }
    for (int i = 0; i < maskBytes / 4; ++i)
        w.u32(f.masks[i]);
    for (QRgb c : palette) {
        w.u8(qBlue(c));
        w.u8(qGreen(c));
        w.u8(qRed(c));
        if (!f.os2)
            w.u8(0);
    }
    Q_ASSERT(w.size() == dataOffset);
    w.bytes().append(pixels.bytes());
    w.bytes().append(f.profile);
    return w.bytes();
}

} // namespace

} // namespace PictureSamples

namespace PictureSamples {

namespace {

QByteArray insertApp1(const QByteArray &jpegFile, const QByteArray &payload)
{
    QByteArray segment("\xff\xe1", 2);
    const int length = int(payload.size()) + 2;
    segment.append(char(length >> 8)).append(char(length & 0xff)).append(payload);
    return jpegFile.left(2) + segment + jpegFile.mid(2);
}

} // namespace

QByteArray withExif(const QByteArray &jpegFile, int orientation, const QByteArray &thumbnail)
{
    ExifData *data = exif_data_new();
    exif_data_set_byte_order(data, EXIF_BYTE_ORDER_INTEL);
    if (orientation > 0) {
        ExifEntry *entry = exif_entry_new();
        exif_content_add_entry(data->ifd[EXIF_IFD_0], entry);
        exif_entry_initialize(entry, EXIF_TAG_ORIENTATION);
        exif_set_short(entry->data, EXIF_BYTE_ORDER_INTEL, ExifShort(orientation));
        exif_entry_unref(entry);
    }
    if (!thumbnail.isEmpty()) {
        // libexif frees this with the data.
        data->data = static_cast<unsigned char *>(malloc(size_t(thumbnail.size())));
        memcpy(data->data, thumbnail.constData(), size_t(thumbnail.size()));
        data->size = unsigned(thumbnail.size());
    }
    unsigned char *block = nullptr;
    unsigned int blockSize = 0;
    exif_data_save_data(data, &block, &blockSize);
    const QByteArray payload(reinterpret_cast<const char *>(block), int(blockSize));
    free(block);
    exif_data_unref(data);
    return insertApp1(jpegFile, payload);
}

QByteArray png(const QImage &image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

QByteArray gif(const QImage &source)
{
    const QImage image = source.convertToFormat(QImage::Format_RGB32);
    QList<QRgb> palette;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (!palette.contains(image.pixel(x, y)))
                palette << image.pixel(x, y);
    Q_ASSERT(palette.size() <= 256);
    int depth = 1; // bits of the colour table size, at least 2 entries
    while ((1 << depth) < palette.size())
        ++depth;
    palette.resize(1 << depth, qRgb(0, 0, 0));

    QByteArray out("GIF89a");
    const auto word = [&out](int v) {
        out.append(char(v & 0xff)).append(char(v >> 8));
    };
    word(image.width());
    word(image.height());
    out.append(char(0x80 | ((depth - 1) << 4) | (depth - 1))).append('\0').append('\0');
    for (QRgb c : palette)
        out.append(char(qRed(c))).append(char(qGreen(c))).append(char(qBlue(c)));
    out.append(',');
    word(0);
    word(0);
    word(image.width());
    word(image.height());
    out.append('\0');
    // LZW without compression: a clear code before every second pixel keeps the code width
    // fixed at one bit more than the minimum code size.
    const int minCodeSize = qMax(2, depth);
    const int width = minCodeSize + 1;
    const int clear = 1 << minCodeSize, end = clear + 1;
    QByteArray codes;
    quint32 bits = 0;
    int count = 0;
    const auto put = [&](int code) {
        bits |= quint32(code) << count;
        count += width;
        while (count >= 8) {
            codes.append(char(bits & 0xff));
            bits >>= 8;
            count -= 8;
        }
    };
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x, ++n) {
            if (n % 2 == 0)
                put(clear);
            put(int(palette.indexOf(image.pixel(x, y))));
        }
    put(end);
    if (count > 0)
        codes.append(char(bits & 0xff));
    out.append(char(minCodeSize));
    for (qsizetype i = 0; i < codes.size(); i += 255) {
        const QByteArray block = codes.mid(i, 255);
        out.append(char(block.size())).append(block);
    }
    out.append('\0').append(';');
    return out;
}

QByteArray withDamagedExif(const QByteArray &jpegFile)
{
    // "Exif", a TIFF header whose first directory lies far beyond the block, then a directory
    // entry count that runs past its end.
    QByteArray payload("Exif\0\0II*\0", 10);
    payload.append("\xf0\xff\x00\x00", 4);
    payload.append("\xff\x7f\x12\x01\x03\x00", 6);
    return insertApp1(jpegFile, payload);
}

} // namespace PictureSamples
