// A small reader of AVI files (RIFF, with OpenDML extensions) for checking what writers produce.
#pragma once

#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

// Reads the headers of the first video stream, its index (the OpenDML indexes when the file has
// them, else idx1) and, independently, every frame chunk found in the movi lists of all RIFF
// parts. Frames are read through the index.
class KyTestAviReader {
public:
    // False, with a reason in GetError(), when the file is missing or malformed.
    bool Open(const std::wstring& strPath);
    const std::string& GetError() const { return m_strError; }

    std::uint32_t GetWidth() const { return m_nWidth; }   // from the stream format
    std::int32_t GetHeight() const { return m_nHeight; }  // signed: negative means top-down
    std::uint32_t GetRate() const { return m_nRate; }     // frames per second = rate / scale
    std::uint32_t GetScale() const { return m_nScale; }
    std::uint32_t GetHandler() const { return m_nHandler; }              // stream header fourcc
    std::uint32_t GetCompression() const { return m_nCompression; }      // bitmap header fourcc
    std::uint32_t GetMainHeaderFrames() const { return m_nAvihFrames; }  // first RIFF part only
    std::uint32_t GetStreamLength() const { return m_nStreamLength; }
    std::uint32_t GetOpenDmlFrames() const { return m_nDmlhFrames; }  // 0 without OpenDML
    unsigned GetRiffCount() const { return m_nRiffCount; }
    bool HasOpenDmlIndex() const { return m_bOpenDmlIndex; }
    bool HasIdx1() const { return m_bIdx1; }
    std::uint64_t GetFileSize() const { return m_nFileSize; }
    // Bytes after the last RIFF part, ignored by readers.
    std::uint64_t GetTrailingBytes() const { return m_nTrailingBytes; }

    std::size_t GetIndexedFrameCount() const { return m_arrIndexed.size(); }
    std::size_t GetScannedFrameCount() const { return m_arrScanned.size(); }
    // True when index and scan name the same chunks in the same order.
    bool IndexMatchesScan() const;
    // The bytes of frame n, found through the index; empty when there is no such frame.
    std::vector<unsigned char> ReadFrame(std::size_t n);

    static std::uint32_t FourCC(const char* psz) {
        return static_cast<std::uint32_t>(static_cast<unsigned char>(psz[0])) |
               static_cast<std::uint32_t>(static_cast<unsigned char>(psz[1])) << 8 |
               static_cast<std::uint32_t>(static_cast<unsigned char>(psz[2])) << 16 |
               static_cast<std::uint32_t>(static_cast<unsigned char>(psz[3])) << 24;
    }

private:
    struct Frame {
        std::uint64_t nOffset;  // of the data, past the chunk header
        std::uint32_t nSize;
        bool operator==(const Frame& other) const {
            return nOffset == other.nOffset && nSize == other.nSize;
        }
    };

    bool fail(const std::string& strError);
    bool readAt(std::uint64_t nOffset, void* pData, std::size_t nSize);
    std::uint32_t u32At(std::uint64_t nOffset);
    bool parseRiff(std::uint64_t nStart, std::uint64_t nEnd, bool bFirst);
    bool parseHeaderList(std::uint64_t nStart, std::uint64_t nEnd);
    bool parseStreamList(std::uint64_t nStart, std::uint64_t nEnd);
    bool scanMovi(std::uint64_t nStart, std::uint64_t nEnd);
    bool readIdx1(std::uint64_t nStart, std::uint32_t nSize);
    bool readOpenDmlIndex();
    bool isFrameChunk(std::uint32_t nId) const;

    std::ifstream m_File;
    std::string m_strError;
    std::uint64_t m_nFileSize = 0;
    std::uint64_t m_nTrailingBytes = 0;
    std::uint32_t m_nWidth = 0;
    std::int32_t m_nHeight = 0;
    std::uint32_t m_nRate = 0;
    std::uint32_t m_nScale = 0;
    std::uint32_t m_nHandler = 0;
    std::uint32_t m_nCompression = 0;
    std::uint32_t m_nAvihFrames = 0;
    std::uint32_t m_nStreamLength = 0;
    std::uint32_t m_nDmlhFrames = 0;
    unsigned m_nRiffCount = 0;
    int m_nStreams = 0;               // strl lists seen; the first video one is ours
    int m_nVideoStream = -1;          // its number, for chunk ids "NNdc"
    std::uint64_t m_nFirstMovi = 0;   // offset of the first movi list's "movi" fourcc
    std::uint64_t m_nSuperIndex = 0;  // offset of the indx chunk's data, 0 without
    std::uint32_t m_nSuperIndexSize = 0;
    bool m_bOpenDmlIndex = false;
    bool m_bIdx1 = false;
    std::vector<Frame> m_arrIdx1;
    std::vector<Frame> m_arrIndexed;
    std::vector<Frame> m_arrScanned;
};
