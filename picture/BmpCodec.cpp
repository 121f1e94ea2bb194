#include "BmpCodec.h"

#include "PictureError.h"
#include "PictureLimits.h"

#include <QtEndian>
#include <bit>
#include <limits>

namespace BmpCodec {

namespace {

constexpr qsizetype FileHeaderSize = 14;
constexpr quint32 InfoHeaderSize = 40;

enum Compression : quint32 {
    BiRgb = 0,
    BiRle8 = 1,
    BiRle4 = 2,
    BiBitfields = 3,
    BiJpeg = 4,
    BiPng = 5,
    BiAlphaBitfields = 6,
};

constexpr QRgb Black = 0xff000000;

[[noreturn]] void fail(const QString &what)
{
    throw PictureError(QStringLiteral("The picture cannot be read as a bitmap: %1.").arg(what));
}

[[noreturn]] void failTruncated(const char *part)
{
    fail(QStringLiteral("the file is truncated (its %1 is incomplete)").arg(QLatin1String(part)));
}

// Little-endian reads that never leave the file: each checks its range first.
class Bytes
{
public:
    explicit Bytes(const QByteArray &file)
        : m_data(reinterpret_cast<const uchar *>(file.constData())), m_size(file.size())
    { }
    qsizetype size() const { return m_size; }
    bool has(qint64 at, qint64 count) const
    {
        return at >= 0 && count >= 0 && at <= m_size && count <= m_size - at;
    }
    void need(qint64 at, qint64 count, const char *part) const
    {
        if (!has(at, count))
            failTruncated(part);
    }
    const uchar *at(qsizetype offset) const { return m_data + offset; }
    quint8 u8(qsizetype offset) const { return m_data[offset]; }
    quint16 u16(qsizetype offset) const { return qFromLittleEndian<quint16>(m_data + offset); }
    quint32 u32(qsizetype offset) const { return qFromLittleEndian<quint32>(m_data + offset); }
    qint32 i32(qsizetype offset) const { return qFromLittleEndian<qint32>(m_data + offset); }

private:
    const uchar *m_data;
    qsizetype m_size;
};

// One channel of a bit-field mask, scaled to 0..255.
class Channel
{
public:
    Channel() = default;
    explicit Channel(quint32 mask)
        : m_mask(mask), m_shift(mask ? std::countr_zero(mask) : 0), m_max(mask >> m_shift)
    { }
    bool present() const { return m_mask != 0; }
    int value(quint32 pixel) const
    {
        if (!m_max)
            return 0;
        if (m_max == 255) // the usual 8-bit channel needs no scaling
            return int((pixel & m_mask) >> m_shift);
        const quint64 v = (pixel & m_mask) >> m_shift;
        return int((v * 255 + m_max / 2) / m_max);
    }

private:
    quint32 m_mask = 0;
    int m_shift = 0;
    quint32 m_max = 0;
};

struct Layout
{
    qint64 width = 0;
    qint64 height = 0; // always positive; topDown tells the row order
    bool topDown = false;
    int bitCount = 0;
    quint32 compression = BiRgb;
    quint32 masks[4] = {0, 0, 0, 0}; // red, green, blue, alpha
    qint64 paletteOffset = 0;
    int paletteEntrySize = 4;
    qint64 paletteCount = 0;
    qint64 pixelOffset = 0;
};

bool isWindowsHeader(quint32 size)
{
    return size == 40 || size == 52 || size == 56 || size == 108 || size == 124;
}

// Reads the file and information headers into a layout, checking everything later steps rely on.
Layout readLayout(const Bytes &in)
{
    if (in.size() < FileHeaderSize + 4)
        fail(QStringLiteral("the file is too short"));
    if (in.u8(0) != 'B' || in.u8(1) != 'M')
        fail(QStringLiteral("the file does not start with \"BM\""));
    const quint32 dataOffset = in.u32(10);
    const quint32 headerSize = in.u32(14);
    if (headerSize != 12 && (headerSize < 16 || (headerSize > 64 && !isWindowsHeader(headerSize))))
        fail(QStringLiteral("its information header has an unknown size (%1 bytes)")
                 .arg(headerSize));
    in.need(FileHeaderSize, headerSize, "information header");

    Layout l;
    qint64 colorsUsed = 0;
    qint64 maskBytes = 0;
    if (headerSize == 12) {
        // OS/2 1.x: 16-bit sizes, three-byte palette entries, no compression.
        l.width = in.u16(18);
        l.height = in.u16(20);
        l.bitCount = in.u16(24);
        l.paletteEntrySize = 3;
    } else {
        const bool windows = isWindowsHeader(headerSize);
        l.width = in.i32(18);
        const qint64 height = in.i32(22);
        l.topDown = height < 0;
        l.height = height < 0 ? -height : height;
        l.bitCount = in.u16(28);
        // OS/2 2.x headers may stop after any field; the missing ones are zero.
        l.compression = headerSize >= 20 ? in.u32(30) : BiRgb;
        colorsUsed = headerSize >= 36 ? in.u32(46) : 0;
        if (!windows && (l.compression == 3 || l.compression == 4))
            fail(
                QStringLiteral("OS/2 %1 compression is not supported")
                    .arg(l.compression == 3 ? QStringLiteral("Huffman") : QStringLiteral("RLE24")));
        if (l.compression == BiBitfields || l.compression == BiAlphaBitfields) {
            const int maskCount = l.compression == BiAlphaBitfields ? 4 : 3;
            // The masks follow the first 40 bytes: after the header when it is only 40 bytes
            // long, inside it for the larger ones.
            const qint64 maskAt = FileHeaderSize + 40;
            if (headerSize == 40)
                maskBytes = maskCount * 4;
            in.need(maskAt, maskCount * 4, "colour masks");
            for (int i = 0; i < maskCount; ++i)
                l.masks[i] = in.u32(maskAt + 4 * i);
            if (maskCount == 3 && headerSize >= 56)
                l.masks[3] = in.u32(maskAt + 12);
        }
    }

    switch (l.compression) {
    case BiRgb:
        if (l.bitCount != 1 && l.bitCount != 4 && l.bitCount != 8 && l.bitCount != 16
            && l.bitCount != 24 && l.bitCount != 32)
            fail(QStringLiteral("%1 bits per pixel is not supported").arg(l.bitCount));
        if (l.bitCount == 16) {
            l.masks[0] = 0x7c00;
            l.masks[1] = 0x03e0;
            l.masks[2] = 0x001f;
        } else if (l.bitCount == 32) {
            l.masks[0] = 0x00ff0000;
            l.masks[1] = 0x0000ff00;
            l.masks[2] = 0x000000ff;
        }
        l.masks[3] = 0; // an uncompressed file's fourth byte is padding, not alpha
        break;
    case BiRle8:
    case BiRle4:
        if (l.bitCount != (l.compression == BiRle8 ? 8 : 4))
            fail(QStringLiteral("RLE%1 compression with %2 bits per pixel is not valid")
                     .arg(l.compression == BiRle8 ? 8 : 4)
                     .arg(l.bitCount));
        break;
    case BiBitfields:
    case BiAlphaBitfields:
        if (l.bitCount != 16 && l.bitCount != 32)
            fail(QStringLiteral("bit-field masks with %1 bits per pixel are not supported")
                     .arg(l.bitCount));
        break;
    case BiJpeg:
    case BiPng:
        fail(QStringLiteral("embedded %1 data is not supported")
                 .arg(l.compression == BiJpeg ? QStringLiteral("JPEG") : QStringLiteral("PNG")));
    default:
        fail(QStringLiteral("compression method %1 is unknown").arg(l.compression));
    }

    PictureLimits::check(l.width, l.height, "bitmap");

    l.paletteOffset = FileHeaderSize + headerSize + maskBytes;
    if (l.bitCount <= 8) {
        const qint64 maxColors = qint64(1) << l.bitCount;
        l.paletteCount = (colorsUsed > 0 && colorsUsed < maxColors) ? colorsUsed : maxColors;
        in.need(l.paletteOffset, l.paletteCount * l.paletteEntrySize, "colour table");
    }
    // Some writers leave the pixel offset zero or point it into the headers; the pixels then
    // follow the colour table.
    l.pixelOffset = dataOffset;
    const qint64 headersEnd = FileHeaderSize + headerSize + maskBytes;
    if (dataOffset < headersEnd)
        l.pixelOffset = l.paletteOffset + l.paletteCount * l.paletteEntrySize;
    return l;
}

QList<QRgb> readPalette(const Bytes &in, const Layout &l)
{
    QList<QRgb> palette;
    palette.reserve(l.paletteCount);
    for (qint64 i = 0; i < l.paletteCount; ++i) {
        const uchar *e = in.at(l.paletteOffset + i * l.paletteEntrySize);
        palette.append(qRgb(e[2], e[1], e[0]));
    }
    return palette;
}

QImage allocate(const Layout &l, QImage::Format format)
{
    QImage image(int(l.width), int(l.height), format);
    if (image.isNull())
        fail(QStringLiteral("there is not enough memory for %1 × %2 pixels")
                 .arg(l.width)
                 .arg(l.height));
    return image;
}

QRgb *rowOf(QImage &image, const Layout &l, qint64 fileRow)
{
    const int y = int(l.topDown ? fileRow : l.height - 1 - fileRow);
    return reinterpret_cast<QRgb *>(image.scanLine(y));
}

QImage readUncompressed(const Bytes &in, const Layout &l)
{
    const qint64 bitsPerRow = l.width * l.bitCount;
    const qint64 stride = (bitsPerRow + 31) / 32 * 4;
    // The last row needs no padding: some writers leave it off.
    in.need(l.pixelOffset, stride * (l.height - 1) + (bitsPerRow + 7) / 8, "pixel data");

    const Channel red(l.masks[0]), green(l.masks[1]), blue(l.masks[2]), alpha(l.masks[3]);
    QImage image = allocate(l, alpha.present() ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    const QList<QRgb> palette = readPalette(in, l);
    const int width = int(l.width);
    bool anyAlpha = false;
    for (qint64 r = 0; r < l.height; ++r) {
        const uchar *src = in.at(l.pixelOffset + r * stride);
        QRgb *dst = rowOf(image, l, r);
        switch (l.bitCount) {
        case 1:
        case 4:
        case 8: {
            const int bits = l.bitCount;
            const int perByte = 8 / bits;
            const int valueMask = (1 << bits) - 1;
            for (int x = 0; x < width; ++x) {
                const int shift = 8 - bits * (x % perByte + 1);
                const int index = (src[x / perByte] >> shift) & valueMask;
                dst[x] = index < palette.size() ? palette[index] : Black;
            }
            break;
        }
        case 24:
            for (int x = 0; x < width; ++x, src += 3)
                dst[x] = qRgb(src[2], src[1], src[0]);
            break;
        case 16:
        case 32: {
            const int bytes = l.bitCount / 8;
            for (int x = 0; x < width; ++x, src += bytes) {
                const quint32 v = bytes == 2 ? qFromLittleEndian<quint16>(src)
                                             : qFromLittleEndian<quint32>(src);
                const int a = alpha.present() ? alpha.value(v) : 255;
                anyAlpha = anyAlpha || a != 0;
                dst[x] = qRgba(red.value(v), green.value(v), blue.value(v), a);
            }
            break;
        }
        }
    }
    if (alpha.present() && !anyAlpha) {
        for (int y = 0; y < image.height(); ++y) {
            QRgb *row = reinterpret_cast<QRgb *>(image.scanLine(y));
            for (int x = 0; x < width; ++x)
                row[x] |= Black;
        }
        image.reinterpretAsFormat(QImage::Format_RGB32);
    }
    return image;
}

// RLE8 and RLE4: runs of one index (two alternating ones for RLE4) and escapes for end of line,
// end of bitmap, a jump, and literal runs padded to 16 bits. Pixels the data never reaches stay
// black; pixels it places outside the picture are dropped.
QImage readRunLength(const Bytes &in, const Layout &l)
{
    const bool rle4 = l.compression == BiRle4;
    QImage image = allocate(l, QImage::Format_RGB32);
    image.fill(Black);
    const QList<QRgb> palette = readPalette(in, l);
    if (!in.has(l.pixelOffset, 0))
        failTruncated("pixel data");

    qint64 x = 0, y = 0; // y counts file rows, from the first stored one
    QRgb *row = rowOf(image, l, 0);
    auto put = [&](int index) {
        if (x < l.width && y < l.height)
            row[x] = index < palette.size() ? palette[index] : Black;
        ++x;
    };
    auto nextRow = [&](qint64 rows) {
        y += rows;
        if (y < l.height)
            row = rowOf(image, l, y);
    };

    qint64 pos = l.pixelOffset;
    const qint64 end = in.size();
    while (y < l.height) {
        if (pos + 2 > end)
            failTruncated("compressed pixel data");
        const int count = in.u8(pos);
        const int value = in.u8(pos + 1);
        pos += 2;
        if (count > 0) {
            for (int i = 0; i < count; ++i)
                put(rle4 ? (i % 2 == 0 ? value >> 4 : value & 0x0f) : value);
            continue;
        }
        if (value == 0) { // end of line
            x = 0;
            nextRow(1);
        } else if (value == 1) { // end of bitmap
            break;
        } else if (value == 2) { // jump right and up
            if (pos + 2 > end)
                failTruncated("compressed pixel data");
            x += in.u8(pos);
            const int down = in.u8(pos + 1);
            pos += 2;
            nextRow(down);
        } else { // a literal run of `value` pixels
            const qint64 bytes = rle4 ? (value + 1) / 2 : value;
            if (pos + bytes > end)
                failTruncated("compressed pixel data");
            for (int i = 0; i < value; ++i) {
                const int b = in.u8(pos + (rle4 ? i / 2 : i));
                put(rle4 ? (i % 2 == 0 ? b >> 4 : b & 0x0f) : b);
            }
            pos += bytes + (bytes & 1);
        }
    }
    return image;
}

void putU16(uchar *&p, quint16 v)
{
    qToLittleEndian(v, p);
    p += 2;
}

void putU32(uchar *&p, quint32 v)
{
    qToLittleEndian(v, p);
    p += 4;
}

} // namespace

QImage decode(const QByteArray &file)
{
    const Bytes in(file);
    const Layout layout = readLayout(in);
    if (layout.compression == BiRle8 || layout.compression == BiRle4)
        return readRunLength(in, layout);
    return readUncompressed(in, layout);
}

QByteArray encode(const QImage &source)
{
    if (source.isNull())
        throw PictureError(QStringLiteral("An empty picture cannot be written as a bitmap."));
    const QImage image = source.convertToFormat(QImage::Format_RGB32);
    const qint64 width = image.width();
    const qint64 height = image.height();
    const qint64 stride = (width * 3 + 3) / 4 * 4;
    const qint64 pixelBytes = stride * height;
    const qint64 dataOffset = FileHeaderSize + InfoHeaderSize;
    if (dataOffset + pixelBytes > qint64(std::numeric_limits<quint32>::max()))
        throw PictureError(QStringLiteral("A %1 × %2 picture is too large for a bitmap file.")
                               .arg(width)
                               .arg(height));

    QByteArray out(dataOffset + pixelBytes, '\0');
    uchar *p = reinterpret_cast<uchar *>(out.data());
    *p++ = 'B';
    *p++ = 'M';
    putU32(p, quint32(out.size()));
    putU32(p, 0); // reserved
    putU32(p, quint32(dataOffset));
    putU32(p, InfoHeaderSize);
    putU32(p, quint32(width));
    putU32(p, quint32(height)); // positive: bottom-up rows
    putU16(p, 1); // planes
    putU16(p, 24); // bits per pixel
    putU32(p, BiRgb);
    putU32(p, quint32(pixelBytes));
    putU32(p, quint32(qMax(0, image.dotsPerMeterX())));
    putU32(p, quint32(qMax(0, image.dotsPerMeterY())));
    putU32(p, 0); // colours used
    putU32(p, 0); // important colours
    for (qint64 y = height - 1; y >= 0; --y) {
        const QRgb *src = reinterpret_cast<const QRgb *>(image.constScanLine(int(y)));
        uchar *dst = p + (height - 1 - y) * stride;
        for (qint64 x = 0; x < width; ++x) {
            *dst++ = uchar(qBlue(src[x]));
            *dst++ = uchar(qGreen(src[x]));
            *dst++ = uchar(qRed(src[x]));
        }
        // The padding bytes are already zero.
    }
    return out;
}

} // namespace BmpCodec
