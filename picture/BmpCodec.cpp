#include "picture/BmpCodec.h"

#include "picture/JpegCodec.h"
#include "picture/PictureError.h"
#include "picture/PictureLimits.h"

#include <QCoreApplication>
#include <QBuffer>
#include <QColorSpace>
#include <QImageReader>
#include <QtEndian>
#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
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
    // OS/2 2.x gives 3 and 4 meanings of its own; they are kept apart from the Windows ones here.
    Os2Huffman = 0x10003,
    Os2Rle24 = 0x10004,
};

constexpr quint32 EmbeddedProfile = 0x4d424544; // 'MBED', a V5 header's colour space type

constexpr QRgb Black = 0xff000000;

[[noreturn]] void fail(const QString &what)
{
    throw PictureError(QCoreApplication::translate("BmpCodec", "The picture cannot be read as a bitmap: %1.").arg(what));
}

[[noreturn]] void failTruncated(const char *part)
{
    fail(QCoreApplication::translate("BmpCodec", "the file is truncated (its %1 is incomplete)")
             .arg(QCoreApplication::translate("BmpCodec", part)));
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
    qint64 imageSize = 0; // as declared; zero when the writer left it out
    qint64 profileOffset = 0; // an embedded ICC profile, when profileSize > 0
    qint64 profileSize = 0;
};

bool isWindowsHeader(quint32 size)
{
    return size == 40 || size == 52 || size == 56 || size == 108 || size == 124;
}

// Reads the file and information headers into a layout, checking everything later steps rely on.
Layout readLayout(const Bytes &in)
{
    if (in.size() < FileHeaderSize + 4)
        fail(QCoreApplication::translate("BmpCodec", "the file is too short"));
    if (in.u8(0) != 'B' || in.u8(1) != 'M')
        fail(QCoreApplication::translate("BmpCodec", "the file does not start with \"BM\""));
    const quint32 dataOffset = in.u32(10);
    const quint32 headerSize = in.u32(14);
    if (headerSize != 12 && (headerSize < 16 || (headerSize > 64 && !isWindowsHeader(headerSize))))
        fail(QCoreApplication::translate("BmpCodec", "its information header has an unknown size (%1 bytes)")
                 .arg(headerSize));
    in.need(FileHeaderSize, headerSize, QT_TRANSLATE_NOOP("BmpCodec", "information header"));

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
        l.imageSize = headerSize >= 24 ? in.u32(34) : 0;
        colorsUsed = headerSize >= 36 ? in.u32(46) : 0;
        if (!windows && (l.compression == 3 || l.compression == 4))
            l.compression = l.compression == 3 ? Os2Huffman : Os2Rle24;
        if (l.compression == BiBitfields || l.compression == BiAlphaBitfields) {
            const int maskCount = l.compression == BiAlphaBitfields ? 4 : 3;
            // The masks follow the first 40 bytes: after the header when it is only 40 bytes
            // long, inside it for the larger ones.
            const qint64 maskAt = FileHeaderSize + 40;
            if (headerSize == 40)
                maskBytes = maskCount * 4;
            in.need(maskAt, maskCount * 4, QT_TRANSLATE_NOOP("BmpCodec", "colour masks"));
            for (int i = 0; i < maskCount; ++i)
                l.masks[i] = in.u32(maskAt + 4 * i);
            if (maskCount == 3 && headerSize >= 56)
                l.masks[3] = in.u32(maskAt + 12);
        }
        if (headerSize == 124 && in.u32(FileHeaderSize + 56) == EmbeddedProfile) {
            // Its offset counts from the start of the information header.
            l.profileOffset = FileHeaderSize + qint64(in.u32(FileHeaderSize + 112));
            l.profileSize = in.u32(FileHeaderSize + 116);
        }
    }

    switch (l.compression) {
    case BiRgb:
        // Two bits per pixel is Windows CE's.
        if (l.bitCount != 1 && l.bitCount != 2 && l.bitCount != 4 && l.bitCount != 8
            && l.bitCount != 16 && l.bitCount != 24 && l.bitCount != 32 && l.bitCount != 64)
            fail(QCoreApplication::translate("BmpCodec", "%1 bits per pixel is not supported").arg(l.bitCount));
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
            fail(QCoreApplication::translate("BmpCodec", "RLE%1 compression with %2 bits per pixel is not valid")
                     .arg(l.compression == BiRle8 ? 8 : 4)
                     .arg(l.bitCount));
        break;
    case BiBitfields:
    case BiAlphaBitfields:
        if (l.bitCount != 16 && l.bitCount != 32)
            fail(QCoreApplication::translate("BmpCodec", "bit-field masks with %1 bits per pixel are not supported")
                     .arg(l.bitCount));
        break;
    case Os2Rle24:
        if (l.bitCount != 24)
            fail(QCoreApplication::translate("BmpCodec", "RLE24 compression with %1 bits per pixel is not valid")
                     .arg(l.bitCount));
        break;
    case Os2Huffman:
        fail(QCoreApplication::translate("BmpCodec", "OS/2 Huffman compression is not supported"));
    case BiJpeg:
    case BiPng:
        l.bitCount = 0; // the embedded file tells its own depth: no colour table here
        break;
    default:
        fail(QCoreApplication::translate("BmpCodec", "compression method %1 is unknown").arg(l.compression));
    }

    PictureLimits::check(l.width, l.height, "bitmap");

    l.paletteOffset = FileHeaderSize + headerSize + maskBytes;
    if (l.bitCount > 0 && l.bitCount <= 8) {
        const qint64 maxColors = qint64(1) << l.bitCount;
        l.paletteCount = (colorsUsed > 0 && colorsUsed < maxColors) ? colorsUsed : maxColors;
        in.need(l.paletteOffset, l.paletteCount * l.paletteEntrySize,
            QT_TRANSLATE_NOOP("BmpCodec", "colour table"));
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
        fail(QCoreApplication::translate("BmpCodec", "there is not enough memory for %1 × %2 pixels")
                 .arg(l.width)
                 .arg(l.height));
    return image;
}

QRgb *rowOf(QImage &image, const Layout &l, qint64 fileRow)
{
    const int y = int(l.topDown ? fileRow : l.height - 1 - fileRow);
    return reinterpret_cast<QRgb *>(image.scanLine(y));
}

// 64-bit pixels hold linear light in s2.13 fixed point (8192 is 1.0), blue, green, red, alpha;
// values outside 0..1 are clipped. Colours are brought to sRGB, alpha stays linear.
int fixedToByte(qint16 value)
{
    return (std::clamp<int>(value, 0, 8192) * 255 + 4096) / 8192;
}

int linearToSrgb(qint16 value)
{
    static const std::array<uchar, 8193> table = [] {
        std::array<uchar, 8193> t {};
        for (int i = 0; i <= 8192; ++i) {
            const double v = i / 8192.0;
            const double s = v <= 0.0031308 ? v * 12.92 : 1.055 * std::pow(v, 1 / 2.4) - 0.055;
            t[size_t(i)] = uchar(std::lround(s * 255));
        }
        return t;
    }();
    return table[size_t(std::clamp<int>(value, 0, 8192))];
}

QImage readUncompressed(const Bytes &in, const Layout &l)
{
    const qint64 bitsPerRow = l.width * l.bitCount;
    const qint64 stride = (bitsPerRow + 31) / 32 * 4;
    // The last row needs no padding: some writers leave it off.
    in.need(l.pixelOffset, stride * (l.height - 1) + (bitsPerRow + 7) / 8,
        QT_TRANSLATE_NOOP("BmpCodec", "pixel data"));

    const Channel red(l.masks[0]), green(l.masks[1]), blue(l.masks[2]), alpha(l.masks[3]);
    const bool hasAlpha = alpha.present() || l.bitCount == 64;
    QImage image = allocate(l, hasAlpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    const QList<QRgb> palette = readPalette(in, l);
    const int width = int(l.width);
    bool anyAlpha = false;
    for (qint64 r = 0; r < l.height; ++r) {
        const uchar *src = in.at(l.pixelOffset + r * stride);
        QRgb *dst = rowOf(image, l, r);
        switch (l.bitCount) {
        case 1:
        case 2:
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
        case 64:
            for (int x = 0; x < width; ++x, src += 8) {
                const auto channel = [src](int i) {
                    return qFromLittleEndian<qint16>(src + 2 * i);
                };
                const int a = fixedToByte(channel(3));
                anyAlpha = anyAlpha || a != 0;
                dst[x] = qRgba(linearToSrgb(channel(2)), linearToSrgb(channel(1)),
                    linearToSrgb(channel(0)), a);
            }
            break;
        }
    }
    if (hasAlpha && !anyAlpha) {
        for (int y = 0; y < image.height(); ++y) {
            QRgb *row = reinterpret_cast<QRgb *>(image.scanLine(y));
            for (int x = 0; x < width; ++x)
                row[x] |= Black;
        }
        image.reinterpretAsFormat(QImage::Format_RGB32);
    }
    return image;
}

QRgb bgrAt(const Bytes &in, qint64 at)
{
    return qRgb(in.u8(at + 2), in.u8(at + 1), in.u8(at));
}

bool hasTransparentPixels(const QImage &image)
{
    for (int y = 0; y < image.height(); ++y) {
        const auto *row = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        if (std::any_of(row, row + image.width(), [](QRgb c) { return qAlpha(c) == 0; }))
            return true;
    }
    return false;
}

// RLE8, RLE4 and OS/2's RLE24: runs of one value (two alternating indices for RLE4) and escapes
// for end of line, end of bitmap, a jump, and literal runs padded to 16 bits. Pixels the data
// never reaches are transparent (Format_ARGB32) in the colour of table entry 0, so that a copy
// without alpha (the stored form) shows them as most programs do; a picture whose every pixel is
// set stays Format_RGB32. Pixels placed outside the picture are dropped. Data that stops before
// its end-of-bitmap escape is an error, unless all it lacks is that escape.
QImage readRunLength(const Bytes &in, const Layout &l)
{
    const bool rle4 = l.compression == BiRle4;
    const bool rle24 = l.compression == Os2Rle24;
    const qint64 valueBytes = rle24 ? 3 : 1;
    const QList<QRgb> palette = readPalette(in, l);
    QImage image = allocate(l, QImage::Format_ARGB32);
    image.fill(palette.isEmpty() ? 0u : uint(palette.first() & 0x00ffffff));
    if (!in.has(l.pixelOffset, 0))
        failTruncated("pixel data");

    qint64 x = 0, y = 0; // y counts file rows, from the first stored one
    QRgb *row = rowOf(image, l, 0);
    auto colour = [&](int index) {
        return index < palette.size() ? palette[index] : Black;
    };
    auto put = [&](QRgb c) {
        if (x < l.width && y < l.height)
            row[x] = c;
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
        if (pos + 2 > end) {
            if (y == l.height - 1 && x >= l.width)
                break; // only the closing escape is missing
            failTruncated("compressed pixel data");
        }
        const int count = in.u8(pos);
        if (count > 0) { // a run
            if (pos + 1 + valueBytes > end)
                failTruncated("compressed pixel data");
            const int value = in.u8(pos + 1);
            const QRgb same = rle24 ? bgrAt(in, pos + 1) : colour(value);
            for (int i = 0; i < count; ++i)
                put(rle4 ? colour(i % 2 == 0 ? value >> 4 : value & 0x0f) : same);
            pos += 1 + valueBytes;
            continue;
        }
        const int code = in.u8(pos + 1);
        pos += 2;
        if (code == 0) { // end of line
            x = 0;
            nextRow(1);
        } else if (code == 1) { // end of bitmap
            break;
        } else if (code == 2) { // jump right and up
            if (pos + 2 > end)
                failTruncated("compressed pixel data");
            x += in.u8(pos);
            const int down = in.u8(pos + 1);
            pos += 2;
            nextRow(down);
        } else { // a literal run of `code` pixels
            const qint64 bytes = rle4 ? (code + 1) / 2 : code * valueBytes;
            if (pos + bytes > end)
                failTruncated("compressed pixel data");
            for (int i = 0; i < code; ++i) {
                if (rle24) {
                    put(bgrAt(in, pos + 3 * i));
                } else {
                    const int b = in.u8(pos + (rle4 ? i / 2 : i));
                    put(colour(rle4 ? (i % 2 == 0 ? b >> 4 : b & 0x0f) : b));
                }
            }
            pos += bytes + (bytes & 1);
        }
    }
    if (!hasTransparentPixels(image))
        image.reinterpretAsFormat(QImage::Format_RGB32);
    return image;
}

QImage readPng(const QByteArray &file)
{
    QBuffer buffer;
    buffer.setData(file);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "png");
    reader.setDecideFormatFromContent(false);
    const QSize declared = reader.size();
    if (!declared.isValid())
        throw PictureError(reader.errorString());
    PictureLimits::check(declared.width(), declared.height(), "PNG");
    QImage image;
    if (!reader.read(&image) || image.isNull())
        throw PictureError(reader.errorString());
    // The pixels as stored, like every other bitmap: without the colour space tag that a gamma or
    // colour chunk gives them.
    image.setColorSpace(QColorSpace());
    return image.convertToFormat(
        image.hasAlphaChannel() ? QImage::Format_ARGB32 : QImage::Format_RGB32);
}

// BI_JPEG and BI_PNG (meant for printers): the pixel data is a whole JPEG or PNG file, read by its
// own decoder and shown as that decoder gives it.
QImage readEmbedded(const QByteArray &file, const Bytes &in, const Layout &l)
{
    const bool jpeg = l.compression == BiJpeg;
    const QString name = jpeg ? QStringLiteral("JPEG") : QStringLiteral("PNG");
    // The image size field counts the embedded file; a writer that leaves it zero means the rest.
    const qint64 size = l.imageSize > 0 ? l.imageSize : in.size() - l.pixelOffset;
    if (!in.has(l.pixelOffset, size))
        failTruncated(jpeg ? "embedded JPEG file" : "embedded PNG file");
    const QByteArray embedded = file.mid(l.pixelOffset, size);
    if (!embedded.startsWith(jpeg ? "\xff\xd8\xff" : "\x89PNG\r\n\x1a\n"))
        fail(QCoreApplication::translate("BmpCodec", "its pixel data is not the %1 file its header announces").arg(name));
    try {
        return jpeg ? JpegCodec::decode(embedded) : readPng(embedded);
    } catch (const PictureError &e) {
        QString reason = e.message();
        if (reason.endsWith(u'.'))
            reason.chop(1);
        fail(QCoreApplication::translate("BmpCodec", "its embedded %1 file cannot be read (%2)").arg(name, reason));
    }
}

// A V5 header may carry an ICC profile: the pixels are brought from it to sRGB, the colour space
// of every other picture here. A profile that Qt cannot use is ignored, as most readers do; a
// linked one (a file name) is never followed.
void applyEmbeddedProfile(QImage &image, const QByteArray &file, const Bytes &in, const Layout &l)
{
    if (l.profileSize <= 0 || !in.has(l.profileOffset, l.profileSize))
        return;
    const QColorSpace profile
        = QColorSpace::fromIccProfile(file.mid(l.profileOffset, l.profileSize));
    if (!profile.isValid() || profile == QColorSpace(QColorSpace::SRgb))
        return;
    image.setColorSpace(profile);
    image.convertToColorSpace(QColorSpace::SRgb);
    image.setColorSpace(QColorSpace());
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
    QImage image;
    switch (layout.compression) {
    case BiRle8:
    case BiRle4:
    case Os2Rle24:
        image = readRunLength(in, layout);
        break;
    case BiJpeg:
    case BiPng:
        image = readEmbedded(file, in, layout);
        break;
    default:
        image = readUncompressed(in, layout);
    }
    applyEmbeddedProfile(image, file, in, layout);
    return image;
}

QByteArray encode(const QImage &source)
{
    if (source.isNull())
        throw PictureError(QCoreApplication::translate("BmpCodec", "An empty picture cannot be written as a bitmap."));
    const QImage image = source.convertToFormat(QImage::Format_RGB32);
    const qint64 width = image.width();
    const qint64 height = image.height();
    const qint64 stride = (width * 3 + 3) / 4 * 4;
    const qint64 pixelBytes = stride * height;
    const qint64 dataOffset = FileHeaderSize + InfoHeaderSize;
    if (dataOffset + pixelBytes > qint64(std::numeric_limits<quint32>::max()))
        throw PictureError(QCoreApplication::translate("BmpCodec", "A %1 × %2 picture is too large for a bitmap file.")
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
