// Picture layer figures: per-file decoding times on a generated folder of camera-sized and HD
// JPEGs, and the stored-form round trip.
//
//   tabvale-bench-picture [folder] [camera files] [HD files]
//
// Without a folder the pictures go to a temporary one. Per file and per path the best of a few
// runs is kept (the least disturbed by other work on the machine); the table shows the mean of
// those over the files.
//   (a) full decode            JpegCodec::decode
//   (b) thumbnail path         Thumbnail::fromBytes to 58 × 58 (decode at 1/8, then smooth scaling)
//   (c) raw libjpeg-turbo 1/8  jpeg_read_header/start/read_scanlines into a plain buffer
// Goal: (b) within 1.25 × (c).
#include "picture/JpegCodec.h"
#include "picture/StoredPicture.h"
#include "picture/Thumbnail.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <jpeglib.h>
#include <vector>

namespace {

constexpr int Runs = 3;

// A photo-like picture: smooth colour gradients under per-pixel noise, which keeps a quality-90
// file as large as a camera's.
QImage noisyPicture(QSize size, quint32 seed)
{
    QImage image(size, QImage::Format_RGB32);
    QRandomGenerator random(seed);
    const int w = size.width(), h = size.height();
    for (int y = 0; y < h; ++y) {
        auto *row = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < w; ++x) {
            const quint32 noise = random.generate();
            auto channel = [&](int base, int shift) {
                return qBound(0, base + int((noise >> shift) & 63) - 32, 255);
            };
            row[x] = qRgb(channel(x * 255 / w, 0), channel(y * 255 / h, 8),
                channel((x + y) * 255 / (w + h), 16));
        }
    }
    return image;
}

// The reference: what libjpeg-turbo itself costs at 1/8, with nothing around it.
void rawEighthDecode(const QByteArray &bytes, std::vector<unsigned char> &buffer)
{
    jpeg_decompress_struct cinfo;
    jpeg_error_mgr err;
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, reinterpret_cast<const unsigned char *>(bytes.constData()),
        static_cast<unsigned long>(bytes.size()));
    jpeg_read_header(&cinfo, TRUE);
    cinfo.out_color_space = JCS_EXT_BGRX;
    cinfo.scale_num = 1;
    cinfo.scale_denom = 8;
    jpeg_start_decompress(&cinfo);
    const size_t stride = size_t(cinfo.output_width) * 4;
    buffer.resize(stride * cinfo.output_height);
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW row = buffer.data() + stride * cinfo.output_scanline;
        jpeg_read_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
}

double bestMilliseconds(const std::function<void()> &work, int runs = Runs)
{
    double best = 1e300;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        work();
        best = std::min(best, timer.nsecsElapsed() / 1e6);
    }
    return best;
}

struct Figures
{
    double full = 0, thumbnail = 0, thumbnailFromFile = 0, raw = 0;
};

Figures measure(const QStringList &paths)
{
    Figures sum;
    std::vector<unsigned char> buffer;
    for (const QString &path : paths) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            qFatal("cannot read %s", qPrintable(path));
        const QByteArray bytes = file.readAll();
        sum.full += bestMilliseconds([&] { JpegCodec::decode(bytes); });
        sum.thumbnail += bestMilliseconds([&] { Thumbnail::fromBytes(bytes); });
        sum.thumbnailFromFile += bestMilliseconds([&] { Thumbnail::fromFile(path); });
        sum.raw += bestMilliseconds([&] { rawEighthDecode(bytes, buffer); });
    }
    const double n = double(paths.size());
    return {sum.full / n, sum.thumbnail / n, sum.thumbnailFromFile / n, sum.raw / n};
}

QStringList generate(const QDir &dir, const char *prefix, QSize size, int count, qint64 &bytes)
{
    QStringList paths;
    for (int i = 0; i < count; ++i) {
        const QString path
            = dir.filePath(QStringLiteral("%1-%2.jpg").arg(QLatin1String(prefix)).arg(i));
        const QByteArray jpeg = JpegCodec::encode(noisyPicture(size, quint32(i + 1)), 90);
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(jpeg) != jpeg.size())
            qFatal("cannot write %s", qPrintable(path));
        bytes += jpeg.size();
        paths << path;
    }
    return paths;
}

void printRow(const char *name, QSize size, int count, qint64 bytes, const Figures &f)
{
    std::printf("%-8s %4d×%-4d %2d files, %5.2f MB avg | (a) full %7.1f ms | (b) thumbnail %6.2f ms"
                " (from file %6.2f) | (c) raw 1/8 %6.2f ms | b/c %.2f%s\n",
        name, size.width(), size.height(), count, bytes / 1e6 / count, f.full, f.thumbnail,
        f.thumbnailFromFile, f.raw, f.thumbnail / f.raw,
        f.thumbnail / f.raw <= 1.25 ? "  (goal ≤ 1.25 met)" : "  (goal ≤ 1.25 MISSED)");
}

void roundTrip(QSize size)
{
    const QImage picture = noisyPicture(size, 7);
    QByteArray value;
    QImage back;
    const int runs = size.width() * size.height() > 100000 ? 20 : 200;
    double encode = 0, decode = 0;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        value = StoredPicture::encode(picture, 17);
        encode += timer.nsecsElapsed() / 1e6;
        timer.restart();
        back = StoredPicture::decode(value);
        decode += timer.nsecsElapsed() / 1e6;
    }
    if (back != picture)
        qFatal("the stored-form round trip changed the %dx%d picture", size.width(), size.height());
    std::printf("stored form %4d×%-4d (%7lld bytes) | write %6.3f ms | read %6.3f ms | round trip "
                "%6.3f ms\n",
        size.width(), size.height(), static_cast<long long>(value.size()), encode / runs,
        decode / runs, (encode + decode) / runs);
}

} // namespace

int main(int argc, char **argv)
{
    QTemporaryDir temporary;
    const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : temporary.path();
    const int cameraCount = argc > 2 ? std::max(1, atoi(argv[2])) : 4;
    const int hdCount = argc > 3 ? std::max(1, atoi(argv[3])) : 4;
    QDir dir(folder);
    dir.mkpath(QStringLiteral("."));

    std::printf("Generating %d camera (4000×3000) and %d HD (1920×1080) JPEGs, quality 90, in %s\n",
        cameraCount, hdCount, qPrintable(folder));
    qint64 cameraBytes = 0, hdBytes = 0;
    const QStringList camera = generate(dir, "camera", QSize(4000, 3000), cameraCount, cameraBytes);
    const QStringList hd = generate(dir, "hd", QSize(1920, 1080), hdCount, hdBytes);

    std::printf("Per file, best of %d runs, mean over the files:\n", Runs);
    printRow("camera", QSize(4000, 3000), cameraCount, cameraBytes, measure(camera));
    printRow("HD", QSize(1920, 1080), hdCount, hdBytes, measure(hd));
    roundTrip(QSize(200, 200));
    roundTrip(QSize(1024, 768));
    return 0;
}
