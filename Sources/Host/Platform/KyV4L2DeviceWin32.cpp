// Windows has no V4L2: no device.
#include "KyV4L2Device.h"

std::unique_ptr<KyV4L2Device> KyCreateV4L2Device() {
    return nullptr;
}
