// Turns a picture into terminal text: 24-bit colour upper half blocks, two pixels per cell.
#pragma once

#include <string>
#include <vector>

#include "KyCGeometry.h"

class KyCFieldBase;

// Each character cell shows two picture samples stacked: the upper half block's foreground is
// the upper sample, the cell's background the lower one. Samples are box averages of the
// picture, so small details blend rather than flicker. Each row ends by resetting the colours.
class KyCPreviewRenderer {
public:
    // Text rows for a picture drawn nColumns wide, keeping its aspect (terminal cells are about
    // twice as tall as wide, which the two samples per cell make up for); at least 1.
    static int RowsFor(KyCSize2 picture, int nColumns);

    // The rows for a 32-bit BGRA or 8-bit grey picture, rows top first; empty for an empty
    // picture, another pixel size or fewer than 1 column.
    static std::vector<std::string> Render(const KyCFieldBase& picture, int nColumns);
};
