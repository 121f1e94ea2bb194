#pragma once

#include <QImage>
#include <algorithm>

// Something like a photograph: smooth light, texture and a little grain, so the JPEG is of a
// camera's size and the decoder does a camera's work. The same seed gives the same picture.
inline QImage syntheticPhoto(QSize size, int seed)
{
    QImage image(size, QImage::Format_RGB32);
    quint32 noise = 2166136261u ^ quint32(seed);
    for (int y = 0; y < size.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < size.width(); ++x) {
            noise = noise * 1664525u + 1013904223u;
            const int grain = int(noise >> 28) - 8;
            const int texture = ((x / 7 + y / 5 + seed) % 23) * 3;
            const int r = std::clamp(x * 200 / size.width() + texture + grain, 0, 255);
            const int g = std::clamp(y * 180 / size.height() + 40 + grain, 0, 255);
            const int b = std::clamp(120 + texture - grain + seed * 13 % 60, 0, 255);
            line[x] = qRgb(r, g, b);
        }
    }
    return image;
}
