// The frame size that a JPEG's start-of-frame header declares, read without decoding.
#pragma once

#include <cstddef>

#include "KyHostApi.h"

// Walks the markers from the start-of-image to the first frame header and reads its width and
// height. False, with the sizes untouched, when there is none before the scan data or the end,
// or when the bytes are not a JPEG; any bytes are accepted.
KYHOST_API bool KyJpegFrameSize(const unsigned char* p, std::size_t nSize, unsigned& nWidth,
                                unsigned& nHeight);
