#include "KyICameraVideo.h"

// Out of line, so that the interfaces' type information lives in this library alone.
KyICameraVideo::~KyICameraVideo() = default;
KyICameraVideoVDX::~KyICameraVideoVDX() = default;
