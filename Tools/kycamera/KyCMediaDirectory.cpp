// Creating and probing the media directory.
#include "KyCMediaDirectory.h"

#include <filesystem>
#include <system_error>

#include "CException.h"
#include "CbException.h"
#include "CyStreamWriteBinaryFile.h"
#include "KyCFilePath.h"
#include "KyStringConvert.h"

namespace fs = std::filesystem;

const char* const KyCMediaDirectory::kProbeName = ".kycamera-probe";

bool KyCMediaDirectory::Prepare(const std::string& strDirectory, std::wstring& strAbsolute,
                                std::string& strError) {
    if (strDirectory.empty()) {
        strError = "the media directory needs a name";
        return false;
    }
    const fs::path path = KyCFilePath::ToPath(KyUtf8ToWide(strDirectory));
    std::error_code error;
    const bool bExists = fs::exists(path, error);
    if (bExists && !fs::is_directory(path, error)) {
        strError = "the media directory " + strDirectory + " is not a directory";
        return false;
    }
    if (!bExists && !fs::create_directories(path, error)) {
        strError = "cannot create the media directory " + strDirectory + ": " +
                   (error ? error.message() : std::string("unknown error"));
        return false;
    }
    const fs::path absolute = fs::absolute(path, error);
    const std::wstring strPath = KyCFilePath::FromPath(error ? path : absolute.lexically_normal());

    // Written the way the component writes its pictures, so that what fails there fails here.
    const fs::path probe = KyCFilePath::ToPath(strPath) / kProbeName;
    bool bWritten = false;
    try {
        CyStreamWriteBinaryFile file(KyCFilePath::FromPath(probe), static_cast<EAccessMode>(0),
                                     static_cast<ECompressionMode>(0),
                                     static_cast<ECompressionLevel>(0));
        const char cByte = 'k';
        file.WriteBuffer(&cByte, 1);
        file.Close();
        bWritten = true;
    } catch (const CbException&) {
    } catch (CException* pException) {
        pException->Delete();
    }
    fs::remove(probe, error);
    if (!bWritten) {
        strError = "cannot write into the media directory " + strDirectory +
                   " (no permission, read-only or full?)";
        return false;
    }
    strAbsolute = strPath;
    // No trailing separator: the component composes its paths as directory + separator + name.
    while (strAbsolute.size() > 1 && (strAbsolute.back() == L'/' || strAbsolute.back() == L'\\'))
        strAbsolute.pop_back();
    return true;
}
