// The catalogue as text: one line per file, oldest first, with the current file of each view.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "KyCCatalogueEntry.h"

class KyCCataloguePrinter {
public:
    // A heading with the counts, a column header and one line per entry:
    //   pos  type     time                 size        name                 current
    //     0  video    2024-01-31 10:15:00  1.2 MiB     20240131-101500.avi  all, video
    static std::vector<std::string> Format(const std::vector<KyCCatalogueEntry>& vecEntries,
                                           const std::wstring& strDirectory);

    // "512 B", "35.1 KiB", "1.2 MiB".
    static std::string FormatSize(std::uint64_t nBytes);
    // Local time "YYYY-MM-DD HH:MM:SS"; "(no time)" when it has none.
    static std::string FormatTime(std::int64_t nTime);
    // "video", "picture" or "none".
    static std::string TypeName(ERUXVideoMediaType eMediaType);
    // "1 video, 2 pictures".
    static std::string FormatCounts(int nVideos, int nPictures);
};
