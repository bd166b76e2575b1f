// The V4L2 device on Linux: open, ioctl, memory-mapped streaming buffers and poll.
#include <fcntl.h>
#include <linux/videodev2.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstring>
#include <system_error>

#include "KyV4L2Device.h"

namespace {

// ioctl, repeated when a signal interrupted it.
int xioctl(int nFd, unsigned long nRequest, void* pArg) {
    int nResult;
    do {
        nResult = ioctl(nFd, nRequest, pArg);
    } while (nResult == -1 && errno == EINTR);
    return nResult;
}

EV4L2Result resultOfErrno(int nErrno) {
    switch (nErrno) {
        case ENOENT:
            return eV4L2NotFound;
        case EACCES:
        case EPERM:
            return eV4L2AccessDenied;
        case EBUSY:
            return eV4L2Busy;
        case ENOTTY:
            return eV4L2NotACamera;
        case ENODEV:
        case ENXIO:
            return eV4L2Gone;
        default:
            return eV4L2Failed;
    }
}

class KyV4L2DevicePosix final : public KyV4L2Device {
public:
    ~KyV4L2DevicePosix() override { Close(); }

    EV4L2Result Open(const std::string& strPath) override {
        Close();
        m_nFd = ::open(strPath.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
        if (m_nFd < 0) {
            const int nErrno = errno;
            const EV4L2Result eResult = resultOfErrno(nErrno);
            // A node without its device behind it is as good as missing.
            return fail(eResult == eV4L2Gone ? eV4L2NotFound : eResult, "open", nErrno);
        }
        v4l2_capability cap{};
        if (xioctl(m_nFd, VIDIOC_QUERYCAP, &cap) < 0) {
            const int nErrno = errno;
            closeFd();
            return fail(
                nErrno == ENOTTY || nErrno == EINVAL ? eV4L2NotACamera : resultOfErrno(nErrno),
                "VIDIOC_QUERYCAP", nErrno);
        }
        const unsigned nCaps =
            (cap.capabilities & V4L2_CAP_DEVICE_CAPS) ? cap.device_caps : cap.capabilities;
        m_strCard = reinterpret_cast<const char*>(cap.card);
        if (!(nCaps & V4L2_CAP_VIDEO_CAPTURE) || !(nCaps & V4L2_CAP_STREAMING)) {
            closeFd();
            m_strError = "no video capture with streaming I/O";
            return eV4L2NotACamera;
        }
        return eV4L2Ok;
    }

    void Close() override {
        StopStreaming();
        closeFd();
    }

    std::string GetCardName() const override { return m_strCard; }

    std::vector<KyV4L2FormatOffer> GetFormatOffers() override {
        std::vector<KyV4L2FormatOffer> vecOffers;
        if (m_nFd < 0)
            return vecOffers;
        for (unsigned nIndex = 0;; ++nIndex) {
            v4l2_fmtdesc desc{};
            desc.index = nIndex;
            desc.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
            if (xioctl(m_nFd, VIDIOC_ENUM_FMT, &desc) < 0)
                break;
            KyV4L2FormatOffer offer;
            offer.nFourCC = desc.pixelformat;
            offer.strDescription = reinterpret_cast<const char*>(desc.description);
            for (unsigned nSize = 0;; ++nSize) {
                v4l2_frmsizeenum frameSize{};
                frameSize.index = nSize;
                frameSize.pixel_format = desc.pixelformat;
                if (xioctl(m_nFd, VIDIOC_ENUM_FRAMESIZES, &frameSize) < 0 ||
                    frameSize.type != V4L2_FRMSIZE_TYPE_DISCRETE)
                    break;  // stepwise or continuous: any size, left to the driver
                offer.vecSizes.emplace_back(static_cast<int>(frameSize.discrete.width),
                                            static_cast<int>(frameSize.discrete.height));
            }
            vecOffers.push_back(offer);
        }
        return vecOffers;
    }

    EV4L2Result SetFormat(KyV4L2Format& format) override {
        if (m_nFd < 0)
            return notOpen();
        v4l2_format fmt{};
        fmt.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
        fmt.fmt.pix.width = static_cast<unsigned>(format.size.nWidth);
        fmt.fmt.pix.height = static_cast<unsigned>(format.size.nHeight);
        fmt.fmt.pix.pixelformat = format.nFourCC;
        fmt.fmt.pix.field = V4L2_FIELD_NONE;
        if (xioctl(m_nFd, VIDIOC_S_FMT, &fmt) < 0)
            return fail(resultOfErrno(errno), "VIDIOC_S_FMT", errno);
        format.nFourCC = fmt.fmt.pix.pixelformat;
        format.size =
            KyCSize2(static_cast<int>(fmt.fmt.pix.width), static_cast<int>(fmt.fmt.pix.height));
        format.nBytesPerLine = static_cast<int>(fmt.fmt.pix.bytesperline);
        format.nImageBytes = fmt.fmt.pix.sizeimage;
        return eV4L2Ok;
    }

    EV4L2Result SetFrameRate(float fFramesPerSecond) override {
        if (m_nFd < 0)
            return notOpen();
        if (!(fFramesPerSecond > 0.0f) || !std::isfinite(fFramesPerSecond))
            return eV4L2Failed;
        v4l2_streamparm parm{};
        parm.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
        if (xioctl(m_nFd, VIDIOC_G_PARM, &parm) < 0)
            return fail(resultOfErrno(errno), "VIDIOC_G_PARM", errno);
        if (!(parm.parm.capture.capability & V4L2_CAP_TIMEPERFRAME)) {
            m_strError = "the driver has no frame rate setting";
            return eV4L2Failed;
        }
        parm.parm.capture.timeperframe.numerator = 1000;
        parm.parm.capture.timeperframe.denominator =
            static_cast<unsigned>(std::lround(fFramesPerSecond * 1000.0f));
        if (xioctl(m_nFd, VIDIOC_S_PARM, &parm) < 0)
            return fail(resultOfErrno(errno), "VIDIOC_S_PARM", errno);
        return eV4L2Ok;
    }

    EV4L2Result StartStreaming(unsigned nBuffers) override {
        if (m_nFd < 0)
            return notOpen();
        StopStreaming();
        v4l2_requestbuffers req{};
        req.count = nBuffers;
        req.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
        req.memory = V4L2_MEMORY_MMAP;
        if (xioctl(m_nFd, VIDIOC_REQBUFS, &req) < 0)
            return fail(resultOfErrno(errno), "VIDIOC_REQBUFS", errno);
        if (req.count == 0) {
            m_strError = "the driver gave no buffers";
            return eV4L2Failed;
        }
        m_bBuffersRequested = true;
        for (unsigned nIndex = 0; nIndex < req.count; ++nIndex) {
            v4l2_buffer buf{};
            buf.index = nIndex;
            buf.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
            buf.memory = V4L2_MEMORY_MMAP;
            if (xioctl(m_nFd, VIDIOC_QUERYBUF, &buf) < 0)
                return failStreaming("VIDIOC_QUERYBUF", errno);
            void* pMapped =
                mmap(nullptr, buf.length, PROT_READ | PROT_WRITE, MAP_SHARED, m_nFd, buf.m.offset);
            if (pMapped == MAP_FAILED)
                return failStreaming("mmap", errno);
            m_vecBuffers.push_back(Buffer{pMapped, buf.length});
            if (xioctl(m_nFd, VIDIOC_QBUF, &buf) < 0)
                return failStreaming("VIDIOC_QBUF", errno);
        }
        v4l2_buf_type type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
        if (xioctl(m_nFd, VIDIOC_STREAMON, &type) < 0) {
            const int nErrno = errno;
            const EV4L2Result eResult = failStreaming("VIDIOC_STREAMON", nErrno);
            if (nErrno == ENOSPC)
                m_strError += " (not enough USB bandwidth: try a smaller size or MJPEG)";
            return eResult;
        }
        m_bStreaming = true;
        return eV4L2Ok;
    }

    EV4L2Result WaitFrame(unsigned nTimeoutMs, KyV4L2Frame& frame) override {
        if (!m_bStreaming)
            return notOpen();
        pollfd pfd{};
        pfd.fd = m_nFd;
        pfd.events = POLLIN;
        const int nReady = poll(&pfd, 1, static_cast<int>(nTimeoutMs));
        if (nReady < 0)
            return errno == EINTR ? eV4L2Timeout : fail(eV4L2Failed, "poll", errno);
        if (nReady == 0)
            return eV4L2Timeout;
        v4l2_buffer buf{};
        buf.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
        buf.memory = V4L2_MEMORY_MMAP;
        if (xioctl(m_nFd, VIDIOC_DQBUF, &buf) < 0) {
            const int nErrno = errno;
            if (nErrno == EAGAIN)
                return eV4L2Timeout;
            // A device that fails while streaming is gone for this host.
            fail(eV4L2Gone, "VIDIOC_DQBUF", nErrno);
            return eV4L2Gone;
        }
        if (buf.index >= m_vecBuffers.size())
            return fail(eV4L2Failed, "VIDIOC_DQBUF (bad buffer index)", EINVAL);
        frame.pData = static_cast<const unsigned char*>(m_vecBuffers[buf.index].pData);
        // A buffer that the driver flags as damaged is handed out empty.
        frame.nBytesUsed = (buf.flags & V4L2_BUF_FLAG_ERROR) ? 0 : buf.bytesused;
        frame.nIndex = buf.index;
        return eV4L2Ok;
    }

    EV4L2Result ReleaseFrame(const KyV4L2Frame& frame) override {
        if (!m_bStreaming || frame.nIndex >= m_vecBuffers.size())
            return notOpen();
        v4l2_buffer buf{};
        buf.index = frame.nIndex;
        buf.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
        buf.memory = V4L2_MEMORY_MMAP;
        if (xioctl(m_nFd, VIDIOC_QBUF, &buf) < 0) {
            const int nErrno = errno;
            const EV4L2Result eResult = resultOfErrno(nErrno);
            fail(eResult == eV4L2Gone ? eV4L2Gone : eV4L2Failed, "VIDIOC_QBUF", nErrno);
            return eResult == eV4L2Gone ? eV4L2Gone : eV4L2Failed;
        }
        return eV4L2Ok;
    }

    void StopStreaming() override {
        if (m_nFd < 0)
            return;
        if (m_bStreaming) {
            v4l2_buf_type type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
            xioctl(m_nFd, VIDIOC_STREAMOFF, &type);  // fails harmlessly on an unplugged device
            m_bStreaming = false;
        }
        for (const Buffer& buffer : m_vecBuffers)
            munmap(buffer.pData, buffer.nLength);
        m_vecBuffers.clear();
        if (m_bBuffersRequested) {
            v4l2_requestbuffers req{};
            req.count = 0;
            req.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
            req.memory = V4L2_MEMORY_MMAP;
            xioctl(m_nFd, VIDIOC_REQBUFS, &req);
            m_bBuffersRequested = false;
        }
    }

    std::string GetErrorText() const override { return m_strError; }

private:
    struct Buffer {
        void* pData;
        std::size_t nLength;
    };

    EV4L2Result fail(EV4L2Result eResult, const char* pszWhat, int nErrno) {
        m_strError = std::string(pszWhat) + ": " + std::system_category().message(nErrno);
        return eResult;
    }
    EV4L2Result failStreaming(const char* pszWhat, int nErrno) {
        const EV4L2Result eResult = fail(resultOfErrno(nErrno), pszWhat, nErrno);
        const std::string strError = m_strError;
        StopStreaming();
        m_strError = strError;
        return eResult;
    }
    EV4L2Result notOpen() {
        m_strError = "not streaming";
        return eV4L2Failed;
    }
    void closeFd() {
        if (m_nFd >= 0)
            ::close(m_nFd);
        m_nFd = -1;
    }

    std::string m_strCard;
    std::string m_strError;
    int m_nFd = -1;
    bool m_bStreaming = false;
    bool m_bBuffersRequested = false;
    std::vector<Buffer> m_vecBuffers;
};

}  // namespace

std::unique_ptr<KyV4L2Device> KyCreateV4L2Device() {
    return std::make_unique<KyV4L2DevicePosix>();
}
