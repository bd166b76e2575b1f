// Reads the media catalogue of the device controller that the factory handed out.
#pragma once

#include <vector>

#include "KyCCatalogueEntry.h"

class KyICameraVideo;

// The interface only browses one file at a time; the whole list with its times comes from the
// controller's state view, as an integrating host reads it. Each entry's size and existence are
// read from disk.
class KyCCatalogueReader {
public:
    // False (out emptied) when the component is not the device controller.
    static bool Read(KyICameraVideo& component, std::vector<KyCCatalogueEntry>& out);
};
