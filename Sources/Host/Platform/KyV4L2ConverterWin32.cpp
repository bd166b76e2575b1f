// Windows has no V4L2 cameras, so no converters for their frames.
#include "KyV4L2Converter.h"

std::unique_ptr<KyV4L2Converter> KyCreateV4L2Converter(const KyV4L2Format&) {
    return nullptr;
}

bool KyV4L2ConvertersAvailable() {
    return false;
}
