// AVI writer on Windows: Video for Windows AVIFile with Motion JPEG frames compressed by WIC.
#include <windows.h>

#include <vfw.h>

#include <atomic>
#include <climits>
#include <string>

#include "CbException.h"
#include "KyJpegEncoder.h"
#include "KyStringConvert.h"
#include "KyVideoWriterBackend.h"

namespace {

// AVIFile writes a plain AVI (one RIFF part, idx1 index, 32-bit sizes): kept below 1 GiB,
// the size up to which every reader handles such files.
const unsigned long long kDefaultMaxBytes = 1ull << 30;
// Room for the headers that AVIFile writes in front of the frames.
const unsigned long long kHeaderBytes = 4096;

std::string hresultText(HRESULT hr) {
    char szText[16];
    wsprintfA(szText, "0x%08lX", static_cast<unsigned long>(hr));
    return szText;
}

class KyVideoWriterWin32 final : public KyVideoWriterBackend {
public:
    explicit KyVideoWriterWin32(const KyVideoWriterSettings& settings);
    ~KyVideoWriterWin32() override;

    bool WriteFrame(const unsigned char* p, int nPitch) override;
    bool WriteJpegFrame(const unsigned char* pJpeg, std::size_t nSize) override;
    unsigned GetFramesWritten() const override { return m_nFrames.load(); }
    unsigned long long GetBytesWritten() const override { return m_nBytes.load(); }
    void SetQuality(int nQuality) override { m_nQuality = nQuality; }
    void SetFileSizeLimit(unsigned long long nMaxBytes) override {
        m_nMaxBytes = nMaxBytes != 0 && nMaxBytes < kDefaultMaxBytes ? nMaxBytes : kDefaultMaxBytes;
    }

private:
    // Closes, removes the file when this writer created it, and throws.
    [[noreturn]] void fail(unsigned nLine, const std::string& strText);
    void close();

    const KyVideoWriterSettings m_Settings;
    PAVIFILE m_pFile = nullptr;      // the open file; released last
    PAVISTREAM m_pStream = nullptr;  // its video stream
    // AVIFileInit enters COM on the creating thread; AVIFileExit must run on that thread too.
    DWORD m_nInitThread = 0;
    KyJpegEncoder m_Encoder;
    int m_nQuality;
    unsigned long long m_nMaxBytes = kDefaultMaxBytes;
    // Written by the frame writer, read by anyone.
    std::atomic<unsigned> m_nFrames{0};
    std::atomic<unsigned long long> m_nBytes{kHeaderBytes};
};

KyVideoWriterWin32::KyVideoWriterWin32(const KyVideoWriterSettings& settings)
    : m_Settings(settings), m_nQuality(settings.nQuality) {
    AVIFileInit();
    m_nInitThread = GetCurrentThreadId();
    HRESULT hr = AVIFileOpenW(&m_pFile, settings.strFile.c_str(), OF_CREATE | OF_WRITE, nullptr);
    if (FAILED(hr))
        fail(__LINE__, "cannot create " + KyWideToUtf8(settings.strFile) + ": " + hresultText(hr));

    AVISTREAMINFOW info = {};
    info.fccType = streamtypeVIDEO;
    info.fccHandler = mmioFOURCC('M', 'J', 'P', 'G');
    info.dwScale = static_cast<DWORD>(settings.nRateDen);
    info.dwRate = static_cast<DWORD>(settings.nRateNum);
    info.dwQuality = static_cast<DWORD>(-1);
    info.dwSuggestedBufferSize = settings.nWidth * settings.nHeight * 3;
    SetRect(&info.rcFrame, 0, 0, static_cast<int>(settings.nWidth),
            static_cast<int>(settings.nHeight));
    hr = AVIFileCreateStreamW(m_pFile, &m_pStream, &info);
    if (FAILED(hr))
        fail(__LINE__, "cannot create the video stream: " + hresultText(hr));

    BITMAPINFOHEADER format = {};
    format.biSize = sizeof(format);
    format.biWidth = static_cast<LONG>(settings.nWidth);
    format.biHeight = static_cast<LONG>(settings.nHeight);
    format.biPlanes = 1;
    format.biBitCount = 24;
    format.biCompression = mmioFOURCC('M', 'J', 'P', 'G');
    format.biSizeImage = settings.nWidth * settings.nHeight * 3;
    hr = AVIStreamSetFormat(m_pStream, 0, &format, sizeof(format));
    if (FAILED(hr))
        fail(__LINE__, "cannot set the Motion JPEG format: " + hresultText(hr));
}

KyVideoWriterWin32::~KyVideoWriterWin32() {
    close();
}

void KyVideoWriterWin32::fail(unsigned nLine, const std::string& strText) {
    const bool bCreated = m_pFile != nullptr;
    close();
    if (bCreated)
        DeleteFileW(m_Settings.strFile.c_str());  // a file without its stream is of no use
    throw CbException(__FILE__, nLine, "KyCVideoCreator::KyCVideoCreator", strText.c_str());
}

void KyVideoWriterWin32::close() {
    // Releasing the stream and then the file writes the index and the final headers.
    if (m_pStream != nullptr)
        AVIStreamRelease(m_pStream);
    m_pStream = nullptr;
    if (m_pFile != nullptr)
        AVIFileRelease(m_pFile);
    m_pFile = nullptr;
    // On another thread the creating thread keeps its COM reference: better than leaving
    // this thread's apartment unbalanced.
    if (m_nInitThread != 0 && m_nInitThread == GetCurrentThreadId())
        AVIFileExit();
    m_nInitThread = 0;
}

bool KyVideoWriterWin32::WriteFrame(const unsigned char* p, int nPitch) {
    const int nPixelSize = KyVideoBytesPerPixel(m_Settings.nWidth, nPitch);
    if (p == nullptr || nPixelSize == 0 || m_pStream == nullptr)
        return false;
    KyJpegPicture picture;
    picture.pBottomRow = p;
    picture.nPitchUp = nPitch;
    picture.nWidth = static_cast<int>(m_Settings.nWidth);
    picture.nHeight = static_cast<int>(m_Settings.nHeight);
    picture.nPixelSize = nPixelSize;
    if (!m_Encoder.Encode(picture, m_nQuality))
        return false;
    return WriteJpegFrame(m_Encoder.GetData(), m_Encoder.GetSize());
}

bool KyVideoWriterWin32::WriteJpegFrame(const unsigned char* pJpeg, std::size_t nSize) {
    if (pJpeg == nullptr || nSize == 0 || nSize > LONG_MAX || m_pStream == nullptr)
        return false;
    const unsigned long long nFrameBytes = nSize;
    const unsigned nIndex = m_nFrames;
    // The chunk with its header and padding, and its idx1 entry, must still fit.
    const unsigned long long nNeeded =
        m_nBytes + 8 + nFrameBytes + (nFrameBytes & 1) + 16ull * (nIndex + 1);
    if (nNeeded > m_nMaxBytes)
        return false;
    LONG nWritten = 0;
    const HRESULT hr =
        AVIStreamWrite(m_pStream, static_cast<LONG>(nIndex), 1, const_cast<unsigned char*>(pJpeg),
                       static_cast<LONG>(nFrameBytes), AVIIF_KEYFRAME, nullptr, &nWritten);
    if (FAILED(hr))
        return false;
    m_nFrames = nIndex + 1;
    m_nBytes = m_nBytes + 8 + nFrameBytes + (nFrameBytes & 1);
    return true;
}

}  // namespace

unsigned long long KyVideoWriterDefaultSizeLimit() {
    return kDefaultMaxBytes;
}

std::unique_ptr<KyVideoWriterBackend> KyCreateVideoWriterBackend(
    const KyVideoWriterSettings& settings) {
    return std::unique_ptr<KyVideoWriterBackend>(new KyVideoWriterWin32(settings));
}
