// One entry of the component's media catalogue as kycamera shows it.
#pragma once

#include <cstdint>
#include <string>

#include "KyICameraVideo.h"

struct KyCCatalogueEntry {
    int nPosition = -1;  // in the catalogue, oldest first
    ERUXVideoMediaType eMediaType = eVideoMediaTypeNone;
    std::int64_t nTime = 0;  // seconds since 1970 UTC
    std::wstring strName;    // bare file name
    std::wstring strPath;    // full path
    bool bExists = false;    // found on disk
    std::uint64_t nBytes = 0;
    bool bCurrentAll = false;  // current in the all-media view
    bool bCurrentVideo = false;
    bool bCurrentPicture = false;
};
