// Texts of the V4L2 results and format codes.
#include "KyV4L2Types.h"

const char* KyV4L2ResultText(EV4L2Result eResult) {
    switch (eResult) {
        case eV4L2Ok:
            return "ok";
        case eV4L2NotFound:
            return "no such device";
        case eV4L2AccessDenied:
            return "permission denied";
        case eV4L2Busy:
            return "device busy (another program is using the camera)";
        case eV4L2NotACamera:
            return "not a video capture device";
        case eV4L2UnsupportedFormat:
            return "the camera offers neither YUYV nor MJPEG";
        case eV4L2Timeout:
            return "no frame from the camera";
        case eV4L2Gone:
            return "the camera was unplugged";
        case eV4L2NotSupported:
            return "V4L2 cameras are available on Linux only";
        case eV4L2Failed:
            break;
    }
    return "camera error";
}

std::string KyV4L2FourCCText(std::uint32_t nFourCC) {
    std::string strText;
    for (int nShift = 0; nShift < 32; nShift += 8) {
        const char c = static_cast<char>((nFourCC >> nShift) & 0xff);
        strText += (c >= 0x20 && c < 0x7f) ? c : '?';
    }
    return strText;
}
