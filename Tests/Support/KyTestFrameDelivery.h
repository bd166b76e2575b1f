// Frames written into a display the way a camera writes them.
#pragma once

#include "IAcquireDisplay.h"
#include "KyCGeometry.h"

// GetBitmapBuffer(size, &pitch, bytes × 8); when an address came back the picture is written row
// by row, top row first, with the returned pitch, and released valid; otherwise released invalid.
// True when the display took the frame.
//
// The marked picture of KyTestPaintMarkedPicture: top half red, bottom half blue, a green block
// top-left (grey levels for 1 byte per pixel).
bool KyTestDeliverMarked(IAcquireDisplay& display, KyCSize2 size, int nBytesPerPixel = 4);
