// The page's files (HTML, CSS, JavaScript), built into the program from Tools/kycamera/web.
#pragma once

#include <cstddef>
#include <string>

class KyCServePage {
public:
    struct SFile {
        const char* pszPath;  // "/app.js"
        const char* pszContentType;
        const unsigned char* pData;
        std::size_t nSize;
    };

    // The file served at the path ("/" is index.html); null for any other path.
    static const SFile* Find(const std::string& strPath);
};
