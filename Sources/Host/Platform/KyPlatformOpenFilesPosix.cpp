// Files open for writing on POSIX, shared as Windows shares them: while the host layer holds a
// file open for writing, this process can neither delete nor move it.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <map>
#include <memory>
#include <utility>

#include "CbCriticalSection.h"
#include "KyPlatform.h"
#include "KyPlatformFaults.h"
#include "KyPlatformPosixDetail.h"

namespace KyPlatform {

using namespace Detail;

namespace {

// A file is known by its device and inode, so every spelling of its path ("dir//x", "dir\x",
// "./dir/../dir/x", a hard link) finds it; the inode cannot be reused while it is held open.
typedef std::pair<dev_t, ino_t> TFileId;

// The files open for writing. m_Lock is a leaf (nothing else is taken while it is held) and is
// held across the open, delete or rename it guards, so that for this process's threads the
// check and the act it permits are one step.
struct SOpenFiles {
    CbCriticalSection m_Lock;
    std::map<TFileId, unsigned> m_Handles KY_GUARDED_BY(m_Lock);  // open handles per file
};

SOpenFiles& openFiles() {
    static SOpenFiles* s_pOpenFiles = new SOpenFiles;  // never destroyed: in use until exit
    return *s_pOpenFiles;
}

bool isHeld(SOpenFiles& files, const std::string& strPath) KY_REQUIRES(files.m_Lock) {
    struct stat st;  // lstat: deleting or moving a link touches the link, not its target
    return ::lstat(strPath.c_str(), &st) == 0 &&
           files.m_Handles.count(TFileId(st.st_dev, st.st_ino)) != 0;
}

struct SFile {
    int nFd;
    TFileId id;
    std::wstring strPath;  // for the fault seam and the directory sync
    bool bDirectorySynced = false;
};

}  // namespace

namespace Detail {

unsigned unlessHeld(const std::string& strFirst, const std::string* pSecond,
                    const std::function<unsigned()>& operation) {
    SOpenFiles& files = openFiles();
    CbCriticalSectionLock lock(files.m_Lock);
    if (isHeld(files, strFirst) || (pSecond != nullptr && isHeld(files, *pSecond)))
        return kErrorSharingViolation;
    return operation();
}

}  // namespace Detail

bool IsFileOpenForWrite(const std::wstring& strPath) {
    const std::string strNative = toNative(strPath);
    {
        SOpenFiles& files = openFiles();
        CbCriticalSectionLock lock(files.m_Lock);
        if (isHeld(files, strNative))
            return true;
    }
    // Another process's writer: its advisory lock (see OpenFileForWrite) refuses ours.
    const int nFd = ::open(strNative.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (nFd < 0)
        return false;
    const bool bLocked = ::flock(nFd, LOCK_SH | LOCK_NB) != 0 && errno == EWOULDBLOCK;
    ::close(nFd);
    return bLocked;
}

KyFileHandle OpenFileForWrite(const std::wstring& strPath) {
    if (failWithFault(KyPlatformFaults::eOpenForWrite, strPath))
        return nullptr;
    const std::string strNative = toNative(strPath);
    SOpenFiles& files = openFiles();
    CbCriticalSectionLock lock(files.m_Lock);
    // A second writer of the same file is refused as on Windows, which shares reading only.
    if (isHeld(files, strNative))
        return failNull(kErrorSharingViolation);
    const int nFd = ::open(strNative.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (nFd < 0) {
        const int e = errno;
        return failNull(e == ENOENT ? kErrorPathNotFound : errorFromErrno(e));
    }
    struct stat st;
    if (::fstat(nFd, &st) != 0) {
        const unsigned nError = errorFromErrno(errno);
        ::close(nFd);
        return failNull(nError);
    }
    // Tells other processes that ask IsFileOpenForWrite (a recovery at their start, say) that
    // the file is being written; advisory only, so a failure changes nothing else.
    ::flock(nFd, LOCK_EX | LOCK_NB);
    const TFileId id(st.st_dev, st.st_ino);
    std::unique_ptr<SFile> pFile(new SFile{nFd, id, strPath});
    ++files.m_Handles[id];
    return pFile.release();
}

bool WriteFile(KyFileHandle hFile, const void* pData, std::size_t nBytes) {
    SFile* pFile = static_cast<SFile*>(hFile);
    if (pFile == nullptr || (pData == nullptr && nBytes != 0))
        return fail(pFile == nullptr ? kErrorInvalidHandle : kErrorInvalidParameter);
    if (failWithFault(KyPlatformFaults::eWrite, pFile->strPath))
        return false;
    const char* p = static_cast<const char*>(pData);
    while (nBytes > 0) {
        const ssize_t nWritten = ::write(pFile->nFd, p, nBytes);
        if (nWritten < 0) {
            if (errno == EINTR)
                continue;
            return fail(errorFromErrno(errno));
        }
        p += nWritten;
        nBytes -= static_cast<std::size_t>(nWritten);
    }
    return true;
}

std::int64_t SeekFile(KyFileHandle hFile, std::int64_t nOffset, int nOrigin) {
    SFile* pFile = static_cast<SFile*>(hFile);
    if (pFile == nullptr || nOrigin < 0 || nOrigin > 2) {
        fail(pFile == nullptr ? kErrorInvalidHandle : kErrorInvalidParameter);
        return -1;
    }
    const int nWhence = nOrigin == 0 ? SEEK_SET : nOrigin == 1 ? SEEK_CUR : SEEK_END;
    const off_t nPos = ::lseek(pFile->nFd, static_cast<off_t>(nOffset), nWhence);
    if (nPos < 0) {
        fail(errorFromErrno(errno));
        return -1;
    }
    return static_cast<std::int64_t>(nPos);
}

bool FlushFileToDisk(KyFileHandle hFile) {
    SFile* pFile = static_cast<SFile*>(hFile);
    if (pFile == nullptr)
        return fail(kErrorInvalidHandle);
    if (failWithFault(KyPlatformFaults::eFlush, pFile->strPath))
        return fail(GetLastError());
    // fdatasync carries the data and the size; the name of a new file lives in its directory,
    // which is synced once.
    if (::fdatasync(pFile->nFd) != 0)
        return fail(errorFromErrno(errno));
    if (!pFile->bDirectorySynced) {
        const int nDir =
            ::open(parentOf(toNative(pFile->strPath)).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (nDir >= 0) {
            // Some file systems cannot sync a directory (EINVAL); the data is safe all the same.
            ::fsync(nDir);
            ::close(nDir);
        }
        pFile->bDirectorySynced = true;
    }
    return true;
}

bool CloseFile(KyFileHandle hFile) {
    std::unique_ptr<SFile> pFile(static_cast<SFile*>(hFile));
    if (!pFile)
        return fail(kErrorInvalidHandle);
    SOpenFiles& files = openFiles();
    CbCriticalSectionLock lock(files.m_Lock);
    auto it = files.m_Handles.find(pFile->id);
    if (it != files.m_Handles.end() && --it->second == 0)
        files.m_Handles.erase(it);
    return ::close(pFile->nFd) == 0 || fail(errorFromErrno(errno));
}

}  // namespace KyPlatform
