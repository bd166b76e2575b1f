// Parsing and installing an injected platform fault.
#include "KyCFaultOption.h"

#include <cstdlib>
#include <vector>

#include "KyPlatformFaults.h"
#include "KyStringConvert.h"

namespace {

std::vector<std::string> split(const std::string& str, char cSeparator) {
    std::vector<std::string> vecParts;
    size_t nStart = 0;
    for (;;) {
        const size_t nEnd = str.find(cSeparator, nStart);
        vecParts.push_back(str.substr(nStart, nEnd - nStart));
        if (nEnd == std::string::npos)
            return vecParts;
        nStart = nEnd + 1;
    }
}

bool parseUnsigned(const std::string& str, unsigned& nValue) {
    if (str.empty() || str.find_first_not_of("0123456789") != std::string::npos || str.size() > 9)
        return false;
    nValue = static_cast<unsigned>(std::strtoul(str.c_str(), nullptr, 10));
    return true;
}

}  // namespace

bool KyCFaultOption::Install(const std::string& strValue, std::string& strError) {
    const std::vector<std::string> vecParts = split(strValue, ':');
    strError = "--inject-fault needs OPERATIONS:SUFFIX[:ERROR[:TIMES]] (got '" + strValue + "')";
    if (vecParts.size() < 2 || vecParts.size() > 4 || vecParts[1].empty())
        return false;
    unsigned nOperations = 0;
    for (const std::string& strOperation : split(vecParts[0], '+')) {
        if (strOperation == "delete")
            nOperations |= KyPlatformFaults::eDelete;
        else if (strOperation == "move")
            nOperations |= KyPlatformFaults::eMove;
        else if (strOperation == "copy")
            nOperations |= KyPlatformFaults::eCopy;
        else if (strOperation == "open")
            nOperations |= KyPlatformFaults::eOpenForWrite;
        else if (strOperation == "write")
            nOperations |= KyPlatformFaults::eWrite;
        else if (strOperation == "mkdir")
            nOperations |= KyPlatformFaults::eCreateDirectory;
        else
            return false;
    }
    unsigned nError = 112, nTimes = 0;
    if ((vecParts.size() > 2 && !parseUnsigned(vecParts[2], nError)) ||
        (vecParts.size() > 3 && !parseUnsigned(vecParts[3], nTimes)) || nError == 0)
        return false;
    KyPlatformFaults::Inject(nOperations, KyUtf8ToWide(vecParts[1]), nError, nTimes);
    strError.clear();
    return true;
}
