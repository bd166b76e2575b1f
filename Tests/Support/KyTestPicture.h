// A picture whose orientation survives encoding: red top, blue bottom, green top-left block.
#pragma once

#include <gtest/gtest.h>

#include "KyCFieldBase.h"

// Paints it into a field of pixel size 1, 3 or 4; bBottomUp: the first row is the bottom line.
void KyTestPaintMarkedPicture(KyCFieldBase& field, bool bBottomUp);

// A decoded top-down BGRA field holds it upright, unmirrored, at this size (JPEG losses allowed).
::testing::AssertionResult KyTestIsMarkedPicture(const KyCFieldBase& decoded, int nWidth,
                                                 int nHeight, bool bGrey = false);
