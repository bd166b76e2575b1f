// How a file stream opens its file; value 0 of each is the plain case.
#pragma once

enum EAccessMode {
    eAccessModeCreate = 0,  // create the file, or empty an existing one
};

enum ECompressionMode {
    eCompressionModeNone = 0,
};

enum ECompressionLevel {
    eCompressionLevelDefault = 0,
};
