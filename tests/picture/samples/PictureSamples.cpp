#include "PictureSamples.h"

#include <libexif/exif-data.h>

#include <QBuffer>
#include <QtEndian>
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
    int maskCount = 0;
    quint32 masks[4] = {0, 0, 0, 0};
};

Format formatOf(BmpKind kind)
{
    Format f;
    switch (kind) {
    case BmpKind::Indexed1:
        f.bitCount = 1;
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

// One row of run-length data: equal pixels as runs, changing ones as literal runs (three or more)
// or single-pixel runs.
void writeRunLengthRow(Writer &w, const std::vector<int> &indices, bool rle4)
{
    const int width = int(indices.size());
    int i = 0;
    while (i < width) {
        int run = 1;
        while (i + run < width && run < 255 && indices[i + run] == indices[i])
            ++run;
        if (run >= 2) {
            w.u8(run);
            w.u8(rle4 ? indices[i] << 4 | indices[i] : indices[i]);
            i += run;
            continue;
        }
        int j = i;
        while (j < width && j - i < 255 && (j + 1 >= width || indices[j] != indices[j + 1]))
            ++j;
        const int literal = j - i;
        if (literal >= 3) {
            w.u8(0);
            w.u8(literal);
            const qsizetype start = w.size();
            for (int k = 0; k < literal; k += rle4 ? 2 : 1) {
                if (rle4)
                    w.u8(indices[i + k] << 4 | (k + 1 < literal ? indices[i + k + 1] : 0));
                else
                    w.u8(indices[i + k]);
            }
            w.padTo(2, start);
        } else {
            for (int k = 0; k < literal; ++k) {
                w.u8(1);
                w.u8(rle4 ? indices[i + k] << 4 : indices[i + k]);
            }
        }
        i = j;
    }
}

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

QByteArray bmp(const QImage &source, BmpKind kind)
{
    const Format f = formatOf(kind);
    const QImage image
        = source.convertToFormat(f.masks[3] ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    const int width = image.width(), height = image.height();

    QList<QRgb> palette;
    if (f.bitCount <= 8) {
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                if (!palette.contains(image.pixel(x, y)))
                    palette.append(image.pixel(x, y));
        Q_ASSERT(palette.size() <= (1 << f.bitCount));
        if (f.fullPalette)
            while (palette.size() < (1 << f.bitCount))
                palette.append(qRgb(0, 0, 0));
    }

    Writer pixels;
    const bool rle = f.compression == 1 || f.compression == 2;
    for (int r = 0; r < height; ++r) {
        const int y = f.topDown ? r : height - 1 - r;
        if (rle) {
            std::vector<int> indices;
            for (int x = 0; x < width; ++x)
                indices.push_back(int(palette.indexOf(image.pixel(x, y))));
            writeRunLengthRow(pixels, indices, f.compression == 2);
            pixels.u8(0);
            pixels.u8(r == height - 1 ? 1 : 0); // end of line, or of the bitmap after the last
        } else {
            writeRow(pixels, image, y, f, palette);
        }
    }

    const int paletteEntry = f.os2 ? 3 : 4;
    const int maskBytes = f.masksAfterHeader ? f.maskCount * 4 : 0;
    const quint32 dataOffset
        = quint32(14 + f.headerSize + maskBytes + palette.size() * paletteEntry);
    Writer w;
    w.u8('B');
    w.u8('M');
    w.u32(dataOffset + quint32(pixels.size()));
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
            w.u32(0x73524742); // 'sRGB'
        w.zeros(start + f.headerSize - w.size()); // colour space fields, OS/2 2.x extras
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
    return w.bytes();
}

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
