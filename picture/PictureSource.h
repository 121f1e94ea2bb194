#pragma once

#include <QByteArray>
#include <QImage>

// How an alias keeps pictures in its picture-like fields: Bitmap is the stored form (a bitmap
// file, with the graphic header for the graphic and typed-binary codes); File keeps a picture
// file's own bytes (JPEG, PNG, GIF or bitmap, no header).
enum class PictureForm { Bitmap, File };

// A picture on its way into a field, as StoredPicture::valueFor takes it. Plain data.
struct PictureSource
{
    // File: a picture file the user chose (the bitmap form always converts it). Value: a value
    // read from a picture-like field (the bitmap form keeps a bitmap's bytes as they are).
    enum class Kind { File, Value };

    Kind kind = Kind::File;
    QByteArray bytes; // the picture's own bytes (a value may carry the graphic header); may be empty
    // What the bitmap form stores when it is not simply the picture the bytes hold: the file drawn
    // onto a bitmap, or scaled or cut by a gesture. Null: the bytes are the picture.
    QImage image;

    static PictureSource file(const QByteArray &bytes, const QImage &image = {})
    {
        return {Kind::File, bytes, image};
    }
    static PictureSource value(const QByteArray &bytes) { return {Kind::Value, bytes, {}}; }
    // A picture that has no bytes of its own (pasted from another program).
    static PictureSource picture(const QImage &image) { return {Kind::File, {}, image}; }

    bool isEmpty() const { return bytes.isEmpty() && image.isNull(); }
};
