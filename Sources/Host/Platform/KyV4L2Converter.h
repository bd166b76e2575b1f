// Turns captured V4L2 frames into 32-bit BGRA pictures.
#pragma once

#include <cstddef>
#include <memory>

#include "KyHostApi.h"
#include "KyV4L2Types.h"

// One converter per negotiated format and size. Output: rows top first, B G R A bytes (A 255),
// written from pBgra with nPitch bytes per row (at least width × 4). Not thread-safe.
class KYHOST_API KyV4L2Converter {
public:
    virtual ~KyV4L2Converter() = default;

    // False when the frame cannot be read (too short, damaged JPEG, other size); the picture is
    // then not usable, whatever was written.
    virtual bool Convert(const unsigned char* pFrame, std::size_t nBytes, unsigned char* pBgra,
                         int nPitch) = 0;
};

// A converter for the format (YUYV: libswscale, MJPEG: libjpeg-turbo on Linux); null for any
// other format, a bad size, or on a platform without the converters.
KYHOST_API std::unique_ptr<KyV4L2Converter> KyCreateV4L2Converter(const KyV4L2Format& format);
// True where KyCreateV4L2Converter can give converters at all.
KYHOST_API bool KyV4L2ConvertersAvailable();

// The two converters behind KyCreateV4L2Converter, defined on Linux only.
std::unique_ptr<KyV4L2Converter> KyCreateV4L2YuyvConverter(const KyV4L2Format& format);
std::unique_ptr<KyV4L2Converter> KyCreateV4L2MjpegConverter(const KyV4L2Format& format);
