// A picture whose orientation can be recognised after encoding: top half red, bottom half blue,
// a green block in the top-left corner (grey pictures: bright top, dark bottom, mid-grey block).
#pragma once

#include <gtest/gtest.h>

#include "KyCFieldBase.h"

// Paints the picture into a field of pixel size 1, 3 or 4. bBottomUp: the field's first row is
// the picture's bottom line (bitmap order); otherwise its top line.
void KyTestPaintMarkedPicture(KyCFieldBase& field, bool bBottomUp);

// Checks a decoded top-down BGRA field (as KyCJPGCodec::Decode gives) for the picture, upright
// and unmirrored, of the given size, with a tolerance for JPEG losses.
::testing::AssertionResult KyTestIsMarkedPicture(const KyCFieldBase& decoded, int nWidth,
                                                 int nHeight, bool bGrey = false);

// Fills the field with the same value in every byte.
void KyTestFillField(KyCFieldBase& field, unsigned char nValue);
