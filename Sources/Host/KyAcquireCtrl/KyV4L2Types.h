// Plain types shared by the V4L2 camera, its device seam and its frame converters.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "KyCGeometry.h"
#include "KyHostApi.h"

// A pixel format code as V4L2 writes it: four characters, the first in the lowest byte.
constexpr std::uint32_t KyV4L2FourCC(char a, char b, char c, char d) {
    return static_cast<std::uint32_t>(static_cast<unsigned char>(a)) |
           static_cast<std::uint32_t>(static_cast<unsigned char>(b)) << 8 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(c)) << 16 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(d)) << 24;
}

// The two formats this host converts: packed 4:2:2 (Y0 U Y1 V) and Motion JPEG.
const std::uint32_t kV4L2FormatYUYV = KyV4L2FourCC('Y', 'U', 'Y', 'V');
const std::uint32_t kV4L2FormatMJPEG = KyV4L2FourCC('M', 'J', 'P', 'G');

// What a device operation came to. Each failure names something the user can act on.
enum EV4L2Result {
    eV4L2Ok = 0,
    eV4L2NotFound,           // no device node at the path
    eV4L2AccessDenied,       // no permission to open it
    eV4L2Busy,               // another program streams from it
    eV4L2NotACamera,         // not a video capture device with streaming I/O
    eV4L2UnsupportedFormat,  // offers neither YUYV nor MJPEG
    eV4L2Timeout,            // no frame within the wait
    eV4L2Gone,               // unplugged, or failed for good while streaming
    eV4L2NotSupported,       // no V4L2 on this platform
    eV4L2Failed,             // anything else
};

// One negotiated format: what the driver agreed to.
struct KyV4L2Format {
    std::uint32_t nFourCC = 0;
    KyCSize2 size;
    int nBytesPerLine = 0;          // of the captured frame; 0 for compressed formats
    std::uint32_t nImageBytes = 0;  // largest frame in bytes
};

// One pixel format a device offers, with its discrete frame sizes (none: any size, the driver
// adjusts what it is asked for).
struct KyV4L2FormatOffer {
    std::uint32_t nFourCC = 0;
    std::string strDescription;
    std::vector<KyCSize2> vecSizes;
};

// A captured frame, valid until it is handed back to the device.
struct KyV4L2Frame {
    const unsigned char* pData = nullptr;
    std::size_t nBytesUsed = 0;
    unsigned nIndex = 0;  // the device's buffer
};

// A short English phrase for a result ("device busy").
KYHOST_API const char* KyV4L2ResultText(EV4L2Result eResult);
// "YUYV"; unprintable characters as '?'.
KYHOST_API std::string KyV4L2FourCCText(std::uint32_t nFourCC);
