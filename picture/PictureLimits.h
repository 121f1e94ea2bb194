#pragma once

#include <QtGlobal>

// The size guard every decoder applies to the dimensions a file declares, before it allocates
// anything in proportion to them. A damaged or hostile file can declare any size in a few bytes;
// without this a 100,000 × 100,000 header asks for 40 GB.
namespace PictureLimits {

// 128 megapixels: a 512 MB RGB32 image. Far beyond any camera or scanner picture kept in a table,
// small enough that a decode cannot exhaust a desktop's memory. The fuzzer builds with a smaller
// limit so that inputs near it stay fast to run.
#ifndef TABVALE_PICTURE_MAX_MEGAPIXELS
#define TABVALE_PICTURE_MAX_MEGAPIXELS 128
#endif
constexpr qint64 MaxPixels = qint64(TABVALE_PICTURE_MAX_MEGAPIXELS) * 1024 * 1024;
// Neither side may exceed this (a 65,500-wide sliver would still fit MaxPixels).
constexpr qint64 MaxSide = 65500;

// Throws PictureError naming the format and the declared size when width × height is empty,
// negative or beyond the limits above.
void check(qint64 width, qint64 height, const char *format);

} // namespace PictureLimits
