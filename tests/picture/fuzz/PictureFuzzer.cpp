// libFuzzer target over everything that reads untrusted picture bytes: the stored-form reader, the
// JPEG decoder (full size, scaled, header only) and the bitmap reader. A PictureError is the
// expected answer to bad input; anything else (a crash, a sanitizer report, another exception, a
// broken invariant) is a finding.
#include "picture/BmpCodec.h"
#include "picture/Exif.h"
#include "picture/JpegCodec.h"
#include "picture/PictureError.h"
#include "picture/StoredPicture.h"

#include <QByteArray>
#include <QImage>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

template<typename Decode>
bool attempt(Decode decode)
{
    try {
        decode();
        return true;
    } catch (const PictureError &) {
        return false;
    }
}

void require(bool condition, const char *what)
{
    if (!condition) {
        std::fprintf(stderr, "broken invariant: %s\n", what);
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // Not a copy: a read past the end lands in libFuzzer's exactly sized buffer, where ASan sees
    // it.
    const QByteArray bytes
        = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));

    attempt([&] { StoredPicture::decode(bytes); });
    const Exif::Info exif = Exif::read(bytes);
    require(exif.orientation >= 1 && exif.orientation <= 8, "orientation in range");

    QImage bitmap;
    if (attempt([&] { bitmap = BmpCodec::decode(bytes); })
        && bitmap.width() * bitmap.height() <= 65536) {
        // Whatever the reader accepts, the writer writes and the reader reads back unchanged.
        const QImage opaque = bitmap.convertToFormat(QImage::Format_RGB32);
        require(BmpCodec::decode(BmpCodec::encode(bitmap)) == opaque, "bitmap round trip");
    }

    QSize declared;
    if (attempt([&] { declared = JpegCodec::imageSize(bytes); })) {
        QImage full, scaled;
        if (attempt([&] { full = JpegCodec::decode(bytes); }))
            require(full.size() == declared, "full decode has the declared size");
        if (attempt([&] { scaled = JpegCodec::decode(bytes, QSize(58, 58)); }))
            require(scaled.size() == declared
                    || (scaled.width() >= 58 && scaled.height() >= 58
                        && scaled.width() <= declared.width()
                        && scaled.height() <= declared.height()),
                "scaled decode covers the request");
    } else {
        require(!attempt([&] { JpegCodec::decode(bytes); }), "a JPEG without a header decodes");
    }
    return 0;
}
