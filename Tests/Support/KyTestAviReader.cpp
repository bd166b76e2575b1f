// A small reader of AVI files (RIFF, with OpenDML extensions) for checking what writers produce.
#include "KyTestAviReader.h"

#include <filesystem>

namespace {

std::uint32_t le32(const unsigned char* p) {
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

std::uint64_t le64(const unsigned char* p) {
    return static_cast<std::uint64_t>(le32(p)) | static_cast<std::uint64_t>(le32(p + 4)) << 32;
}

const std::uint32_t kRiff = KyTestAviReader::FourCC("RIFF");
const std::uint32_t kList = KyTestAviReader::FourCC("LIST");

}  // namespace

bool KyTestAviReader::fail(const std::string& strError) {
    if (m_strError.empty())
        m_strError = strError;
    return false;
}

bool KyTestAviReader::readAt(std::uint64_t nOffset, void* pData, std::size_t nSize) {
    if (nOffset + nSize > m_nFileSize)
        return fail("read past the end of the file at " + std::to_string(nOffset));
    m_File.clear();
    m_File.seekg(static_cast<std::streamoff>(nOffset));
    m_File.read(static_cast<char*>(pData), static_cast<std::streamsize>(nSize));
    if (!m_File)
        return fail("read error at " + std::to_string(nOffset));
    return true;
}

std::uint32_t KyTestAviReader::u32At(std::uint64_t nOffset) {
    unsigned char bytes[4] = {};
    readAt(nOffset, bytes, 4);
    return le32(bytes);
}

bool KyTestAviReader::Open(const std::wstring& strPath) {
    *this = KyTestAviReader();
    m_File.open(std::filesystem::path(strPath), std::ios::binary);
    if (!m_File)
        return fail("cannot open the file");
    m_File.seekg(0, std::ios::end);
    m_nFileSize = static_cast<std::uint64_t>(m_File.tellg());

    std::uint64_t nOffset = 0;
    while (nOffset + 12 <= m_nFileSize) {
        const std::uint32_t nSize = u32At(nOffset + 4);
        const std::uint32_t nType = u32At(nOffset + 8);
        const bool bFirst = m_nRiffCount == 0;
        if (u32At(nOffset) != kRiff && !bFirst) {
            // Bytes after the last RIFF part are no part of the file's content; some writers
            // leave a few behind.
            m_nTrailingBytes = m_nFileSize - nOffset;
            break;
        }
        if (u32At(nOffset) != kRiff)
            return fail("no RIFF chunk at " + std::to_string(nOffset));
        if (nType != FourCC(bFirst ? "AVI " : "AVIX"))
            return fail("unexpected RIFF form at " + std::to_string(nOffset));
        const std::uint64_t nEnd = nOffset + 8 + nSize;
        if (nEnd > m_nFileSize)
            return fail("RIFF part runs past the end of the file");
        if (!parseRiff(nOffset + 12, nEnd, bFirst))
            return false;
        ++m_nRiffCount;
        nOffset = nEnd + (nSize & 1);
    }
    if (m_nTrailingBytes == 0 && nOffset < m_nFileSize)
        m_nTrailingBytes = m_nFileSize - nOffset;
    if (m_nRiffCount == 0)
        return fail("not a RIFF file");
    if (m_nVideoStream < 0)
        return fail("no video stream");
    if (!readOpenDmlIndex())
        return false;
    if (!m_bOpenDmlIndex)
        m_arrIndexed = m_arrIdx1;
    return m_strError.empty();
}

bool KyTestAviReader::parseRiff(std::uint64_t nStart, std::uint64_t nEnd, bool bFirst) {
    for (std::uint64_t nPos = nStart; nPos + 8 <= nEnd;) {
        const std::uint32_t nId = u32At(nPos), nSize = u32At(nPos + 4);
        const std::uint64_t nData = nPos + 8, nNext = nData + nSize + (nSize & 1);
        if (nData + nSize > nEnd)
            return fail("chunk runs past its RIFF part at " + std::to_string(nPos));
        if (nId == kList && nSize >= 4) {
            const std::uint32_t nType = u32At(nData);
            if (nType == FourCC("hdrl") && bFirst && !parseHeaderList(nData + 4, nData + nSize))
                return false;
            if (nType == FourCC("movi")) {
                if (bFirst && m_nFirstMovi == 0)
                    m_nFirstMovi = nData;
                if (!scanMovi(nData + 4, nData + nSize))
                    return false;
            }
        } else if (nId == FourCC("idx1") && bFirst) {
            if (!readIdx1(nData, nSize))
                return false;
        }
        nPos = nNext;
    }
    return m_strError.empty();
}

bool KyTestAviReader::parseHeaderList(std::uint64_t nStart, std::uint64_t nEnd) {
    for (std::uint64_t nPos = nStart; nPos + 8 <= nEnd;) {
        const std::uint32_t nId = u32At(nPos), nSize = u32At(nPos + 4);
        const std::uint64_t nData = nPos + 8;
        if (nData + nSize > nEnd)
            return fail("header chunk runs past its list");
        if (nId == FourCC("avih") && nSize >= 20) {
            m_nAvihFrames = u32At(nData + 16);
        } else if (nId == kList && nSize >= 4 && u32At(nData) == FourCC("strl")) {
            if (!parseStreamList(nData + 4, nData + nSize))
                return false;
        } else if (nId == kList && nSize >= 16 && u32At(nData) == FourCC("odml") &&
                   u32At(nData + 4) == FourCC("dmlh")) {
            m_nDmlhFrames = u32At(nData + 12);
        }
        nPos = nData + nSize + (nSize & 1);
    }
    return m_strError.empty();
}

bool KyTestAviReader::parseStreamList(std::uint64_t nStart, std::uint64_t nEnd) {
    const int nStream = m_nStreams++;
    bool bOurs = false;
    for (std::uint64_t nPos = nStart; nPos + 8 <= nEnd;) {
        const std::uint32_t nId = u32At(nPos), nSize = u32At(nPos + 4);
        const std::uint64_t nData = nPos + 8;
        if (nData + nSize > nEnd)
            return fail("stream chunk runs past its list");
        if (nId == FourCC("strh") && nSize >= 36 && u32At(nData) == FourCC("vids") &&
            m_nVideoStream < 0) {
            bOurs = true;
            m_nVideoStream = nStream;
            m_nHandler = u32At(nData + 4);
            m_nScale = u32At(nData + 20);
            m_nRate = u32At(nData + 24);
            m_nStreamLength = u32At(nData + 32);
        } else if (nId == FourCC("strf") && bOurs && nSize >= 20) {
            m_nWidth = u32At(nData + 4);
            m_nHeight = static_cast<std::int32_t>(u32At(nData + 8));
            m_nCompression = u32At(nData + 16);
        } else if (nId == FourCC("indx") && bOurs && nSize >= 24) {
            m_nSuperIndex = nData;
            m_nSuperIndexSize = nSize;
        }
        nPos = nData + nSize + (nSize & 1);
    }
    return m_strError.empty();
}

bool KyTestAviReader::isFrameChunk(std::uint32_t nId) const {
    const char c0 = static_cast<char>(nId & 0xFF), c1 = static_cast<char>((nId >> 8) & 0xFF);
    const char c2 = static_cast<char>((nId >> 16) & 0xFF), c3 = static_cast<char>(nId >> 24);
    if (c0 < '0' || c0 > '9' || c1 < '0' || c1 > '9' || c2 != 'd' || (c3 != 'c' && c3 != 'b'))
        return false;
    return (c0 - '0') * 10 + (c1 - '0') == m_nVideoStream;
}

bool KyTestAviReader::scanMovi(std::uint64_t nStart, std::uint64_t nEnd) {
    for (std::uint64_t nPos = nStart; nPos + 8 <= nEnd;) {
        const std::uint32_t nId = u32At(nPos), nSize = u32At(nPos + 4);
        const std::uint64_t nData = nPos + 8;
        if (nData + nSize > nEnd)
            return fail("movi chunk runs past its list at " + std::to_string(nPos));
        if (nId == kList && nSize >= 4 && u32At(nData) == FourCC("rec ")) {
            if (!scanMovi(nData + 4, nData + nSize))
                return false;
        } else if (isFrameChunk(nId)) {
            m_arrScanned.push_back(Frame{nData, nSize});
        }
        nPos = nData + nSize + (nSize & 1);
    }
    return m_strError.empty();
}

bool KyTestAviReader::readIdx1(std::uint64_t nStart, std::uint32_t nSize) {
    m_bIdx1 = true;
    std::vector<unsigned char> entries(nSize / 16 * 16);
    if (!entries.empty() && !readAt(nStart, entries.data(), entries.size()))
        return false;
    for (std::size_t i = 0; i < entries.size(); i += 16) {
        const std::uint32_t nId = le32(&entries[i]);
        if (!isFrameChunk(nId))
            continue;
        const std::uint64_t nOffset = le32(&entries[i + 8]);
        // Offsets count from the "movi" fourcc; a few writers use file offsets instead.
        std::uint64_t nChunk = m_nFirstMovi + nOffset;
        if (u32At(nChunk) != nId)
            nChunk = nOffset;
        if (u32At(nChunk) != nId)
            return fail("idx1 entry " + std::to_string(i / 16) + " points at no frame chunk");
        m_arrIdx1.push_back(Frame{nChunk + 8, le32(&entries[i + 12])});
    }
    return m_strError.empty();
}

bool KyTestAviReader::readOpenDmlIndex() {
    if (m_nSuperIndex == 0)
        return true;
    unsigned char header[24];
    if (!readAt(m_nSuperIndex, header, sizeof(header)))
        return false;
    const std::uint32_t nEntries = le32(header + 4);
    if (nEntries == 0)
        return true;
    if (24 + static_cast<std::uint64_t>(nEntries) * 16 > m_nSuperIndexSize)
        return fail("super index holds more entries than fit");
    m_bOpenDmlIndex = true;
    for (std::uint32_t e = 0; e < nEntries; ++e) {
        unsigned char entry[16];
        if (!readAt(m_nSuperIndex + 24 + e * 16, entry, sizeof(entry)))
            return false;
        const std::uint64_t nChunk = le64(entry);
        unsigned char ix[32];
        if (!readAt(nChunk, ix, sizeof(ix)))
            return false;
        const std::uint32_t nCount = le32(ix + 8 + 4);
        const std::uint64_t nBase = le64(ix + 8 + 12);
        if (le32(ix + 4) < 24 + static_cast<std::uint64_t>(nCount) * 8)
            return fail("standard index " + std::to_string(e) + " is too short");
        std::vector<unsigned char> items(static_cast<std::size_t>(nCount) * 8);
        if (!items.empty() && !readAt(nChunk + 32, items.data(), items.size()))
            return false;
        for (std::size_t i = 0; i < items.size(); i += 8)
            m_arrIndexed.push_back(
                Frame{nBase + le32(&items[i]), le32(&items[i + 4]) & 0x7FFFFFFFu});
    }
    return true;
}

bool KyTestAviReader::IndexMatchesScan() const {
    return m_arrIndexed == m_arrScanned;
}

std::vector<unsigned char> KyTestAviReader::ReadFrame(std::size_t n) {
    std::vector<unsigned char> bytes;
    if (n >= m_arrIndexed.size())
        return bytes;
    bytes.resize(m_arrIndexed[n].nSize);
    if (!bytes.empty() && !readAt(m_arrIndexed[n].nOffset, bytes.data(), bytes.size()))
        bytes.clear();
    return bytes;
}
