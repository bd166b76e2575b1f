// JPEG pictures for the browser from top-first pictures, and thumbnails of stored media.
#pragma once

#include <string>

class KyCFieldBase;

class KyCServeJpeg {
public:
    static constexpr int kThumbnailWidth = 160;

    // Encodes a picture held top row first (as the live display copies it), 32 or 8 bits per
    // pixel. False (out empty) when the encoder refuses it.
    static bool EncodeTopFirst(const KyCFieldBase& picture, float fQuality, std::string& out);
    // The picture at most nWidth wide, by averaging boxes of pixels (32 bits per pixel).
    static bool ScaleDown(const KyCFieldBase& picture, int nWidth, KyCFieldBase& out);
    // A stored JPEG picture scaled down to the thumbnail width; false when it cannot be read.
    static bool PictureThumbnail(const std::string& strJpeg, std::string& out);
};
