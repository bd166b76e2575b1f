// The shape of the media directory's time-stamped names.
#include "KyTestMediaNames.h"

bool KyTestIsTimeStampedName(const std::string& strName, const std::string& strExtension) {
    const std::string strShape = "dddddddd-dddddd";
    if (strName.size() != strShape.size() + strExtension.size() ||
        strName.compare(strShape.size(), std::string::npos, strExtension) != 0)
        return false;
    for (size_t i = 0; i < strShape.size(); ++i) {
        const bool bDigit = strName[i] >= '0' && strName[i] <= '9';
        if (bDigit != (strShape[i] == 'd') || (!bDigit && strName[i] != '-'))
            return false;
    }
    return true;
}
