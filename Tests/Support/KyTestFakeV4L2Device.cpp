// The in-memory V4L2 device of the tests.
#include "KyTestFakeV4L2Device.h"

#include <algorithm>
#include <chrono>
#include <thread>

#include "CbArray.h"
#include "KyCFieldBase.h"
#include "KyCJPGCodec.h"
#include "KyCTestPattern.h"

namespace {

const unsigned kMaxBuffers = 4;

unsigned char clampByte(int n) {
    return static_cast<unsigned char>(std::min(255, std::max(0, n)));
}

// BT.601, limited range, as cameras send it.
void bgraToYuv(const unsigned char* p, int& nY, int& nU, int& nV) {
    const int b = p[0], g = p[1], r = p[2];
    nY = 16 + ((66 * r + 129 * g + 25 * b + 128) >> 8);
    nU = 128 + ((-38 * r - 74 * g + 112 * b + 128) >> 8);
    nV = 128 + ((112 * r - 94 * g - 18 * b + 128) >> 8);
}

}  // namespace

KyTestFakeV4L2Device::KyTestFakeV4L2Device(const Script& script) : m_Script(script) {
    if (m_Script.vecOffers.empty())
        m_Script.vecOffers = {{kV4L2FormatYUYV, "", {KyCSize2(640, 480), KyCSize2(320, 240)}},
                              {kV4L2FormatMJPEG, "", {KyCSize2(1280, 720), KyCSize2(640, 480)}}};
}

EV4L2Result KyTestFakeV4L2Device::Open(const std::string& strPath) {
    std::lock_guard<std::mutex> lock(m_Mutex);
    m_vecCalls.push_back("Open " + strPath);
    if (m_Script.eOpen != eV4L2Ok) {
        m_strError = "open: " + std::string(KyV4L2ResultText(m_Script.eOpen));
        return m_Script.eOpen;
    }
    m_bOpen = true;
    m_bGone = false;
    return eV4L2Ok;
}

void KyTestFakeV4L2Device::Close() {
    StopStreaming();
    std::lock_guard<std::mutex> lock(m_Mutex);
    if (m_bOpen)
        m_vecCalls.push_back("Close");
    m_bOpen = false;
}

std::vector<KyV4L2FormatOffer> KyTestFakeV4L2Device::GetFormatOffers() {
    std::lock_guard<std::mutex> lock(m_Mutex);
    m_vecCalls.push_back("GetFormatOffers");
    return m_Script.vecOffers;
}

EV4L2Result KyTestFakeV4L2Device::SetFormat(KyV4L2Format& format) {
    std::lock_guard<std::mutex> lock(m_Mutex);
    m_vecCalls.push_back("SetFormat " + KyV4L2FourCCText(format.nFourCC) + " " +
                         std::to_string(format.size.nWidth) + "x" +
                         std::to_string(format.size.nHeight));
    if (m_Script.forced.nFourCC != 0)
        format = m_Script.forced;
    format.nBytesPerLine = format.nFourCC == kV4L2FormatYUYV ? format.size.nWidth * 2 : 0;
    format.nImageBytes = static_cast<std::uint32_t>(format.size.nWidth * format.size.nHeight * 2);
    m_Format = format;
    return eV4L2Ok;
}

EV4L2Result KyTestFakeV4L2Device::SetFrameRate(float fFramesPerSecond) {
    std::lock_guard<std::mutex> lock(m_Mutex);
    m_vecCalls.push_back("SetFrameRate " + std::to_string(static_cast<int>(fFramesPerSecond)));
    return eV4L2Ok;
}

EV4L2Result KyTestFakeV4L2Device::StartStreaming(unsigned nBuffers) {
    std::lock_guard<std::mutex> lock(m_Mutex);
    m_vecCalls.push_back("StartStreaming " + std::to_string(nBuffers));
    if (!m_bOpen || m_bGone) {
        m_strError = "VIDIOC_REQBUFS: not open";
        return eV4L2Failed;
    }
    if (m_Script.eStart != eV4L2Ok) {
        m_strError = "VIDIOC_STREAMON: " + std::string(KyV4L2ResultText(m_Script.eStart));
        return m_Script.eStart;
    }
    const unsigned nCount = std::max(1u, std::min(nBuffers, kMaxBuffers));
    m_vecBuffers.assign(nCount, std::vector<unsigned char>());
    m_vecOut.assign(nCount, false);
    m_Counts.bStreaming = true;
    return eV4L2Ok;
}

EV4L2Result KyTestFakeV4L2Device::WaitFrame(unsigned nTimeoutMs, KyV4L2Frame& frame) {
    // The driver's pace; the script is fixed once the device is made.
    std::this_thread::sleep_for(std::chrono::milliseconds(
        m_Script.bSilent ? nTimeoutMs : std::min(nTimeoutMs, m_Script.nFrameIntervalMs)));
    std::lock_guard<std::mutex> lock(m_Mutex);
    if (!m_Counts.bStreaming) {
        m_strError = "VIDIOC_DQBUF: not streaming";
        return eV4L2Failed;
    }
    if (m_Script.nFramesBeforeGone >= 0 &&
        m_Counts.nHandedOut >= static_cast<unsigned>(m_Script.nFramesBeforeGone)) {
        m_bGone = true;
        m_strError = "VIDIOC_DQBUF: No such device";
        return eV4L2Gone;
    }
    if (m_Script.bSilent)
        return eV4L2Timeout;
    const auto it = std::find(m_vecOut.begin(), m_vecOut.end(), false);
    if (it == m_vecOut.end())
        return eV4L2Timeout;  // every buffer is with the host: nothing can be filled
    const unsigned nIndex = static_cast<unsigned>(it - m_vecOut.begin());
    const unsigned nNumber = m_nNextFrame++;
    m_vecBuffers[nIndex] = MakeFrame(m_Format, nNumber, 0);
    std::vector<unsigned char>& buffer = m_vecBuffers[nIndex];
    frame.pData = buffer.data();
    frame.nBytesUsed = buffer.size();
    if (static_cast<int>(nNumber) == m_Script.nDamagedFrame)
        frame.nBytesUsed /= 3;
    frame.nIndex = nIndex;
    m_vecOut[nIndex] = true;
    ++m_Counts.nHandedOut;
    const unsigned nOut = static_cast<unsigned>(std::count(m_vecOut.begin(), m_vecOut.end(), true));
    m_Counts.nMaxOut = std::max(m_Counts.nMaxOut, nOut);
    return eV4L2Ok;
}

EV4L2Result KyTestFakeV4L2Device::ReleaseFrame(const KyV4L2Frame& frame) {
    std::lock_guard<std::mutex> lock(m_Mutex);
    if (!m_Counts.bStreaming || frame.nIndex >= m_vecOut.size() || !m_vecOut[frame.nIndex]) {
        ++m_Counts.nBadReleases;
        m_strError = "VIDIOC_QBUF: Invalid argument";
        return eV4L2Failed;
    }
    m_vecOut[frame.nIndex] = false;
    return eV4L2Ok;
}

void KyTestFakeV4L2Device::StopStreaming() {
    std::lock_guard<std::mutex> lock(m_Mutex);
    if (!m_Counts.bStreaming)
        return;
    m_vecCalls.push_back("StopStreaming");
    m_Counts.bStreaming = false;
    m_vecBuffers.clear();
    m_vecOut.clear();
}

std::string KyTestFakeV4L2Device::GetErrorText() const {
    std::lock_guard<std::mutex> lock(m_Mutex);
    return m_strError;
}

std::vector<std::string> KyTestFakeV4L2Device::GetCalls() const {
    std::lock_guard<std::mutex> lock(m_Mutex);
    return m_vecCalls;
}

KyTestFakeV4L2Device::Counts KyTestFakeV4L2Device::GetCounts() const {
    std::lock_guard<std::mutex> lock(m_Mutex);
    return m_Counts;
}

std::vector<unsigned char> KyTestFakeV4L2Device::MakeFrame(const KyV4L2Format& format,
                                                           unsigned nNumber, int nPaddingPerLine) {
    const KyCSize2 size = format.size;
    if (size.nWidth <= 0 || size.nHeight <= 0)
        return {};
    const int nBgraPitch = size.nWidth * 4;
    std::vector<unsigned char> vecBgra(static_cast<size_t>(nBgraPitch) * size.nHeight);
    if (format.nFourCC == kV4L2FormatMJPEG) {
        // The encoder reads the first row as the bottom line: draw the picture bottom-up.
        KyCTestPattern::Draw(vecBgra.data() + static_cast<size_t>(nBgraPitch) * (size.nHeight - 1),
                             -nBgraPitch, size, 4, nNumber);
        KyCFieldBase field(vecBgra.data(), KyCRect2(size), 4, nBgraPitch);
        CbArray<unsigned char> arrJpeg;
        if (!KyCJPGCodec::Encode(field, ePixelFormatBGRA32, 0.9f, arrJpeg))
            return {};
        return std::vector<unsigned char>(arrJpeg.GetData(),
                                          arrJpeg.GetData() + arrJpeg.GetCount());
    }
    KyCTestPattern::Draw(vecBgra.data(), nBgraPitch, size, 4, nNumber);
    const int nLine = size.nWidth * 2 + nPaddingPerLine;
    std::vector<unsigned char> vecYuyv(static_cast<size_t>(nLine) * size.nHeight, 0xee);
    for (int nRow = 0; nRow < size.nHeight; ++nRow) {
        const unsigned char* pIn = vecBgra.data() + static_cast<size_t>(nRow) * nBgraPitch;
        unsigned char* pOut = vecYuyv.data() + static_cast<size_t>(nRow) * nLine;
        for (int nCol = 0; nCol + 1 < size.nWidth; nCol += 2) {
            int nY0, nU0, nV0, nY1, nU1, nV1;
            bgraToYuv(pIn + nCol * 4, nY0, nU0, nV0);
            bgraToYuv(pIn + nCol * 4 + 4, nY1, nU1, nV1);
            const int yuyv[4] = {nY0, (nU0 + nU1) / 2, nY1, (nV0 + nV1) / 2};
            for (int k = 0; k < 4; ++k)
                pOut[nCol * 2 + k] = clampByte(yuyv[k]);
        }
    }
    return vecYuyv;
}
