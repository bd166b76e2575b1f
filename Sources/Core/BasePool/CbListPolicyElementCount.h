// Element count policy of the list templates.
#pragma once

#include "KyHostApi.h"

// Counts the elements of a list. The list constructs it with 1 and 0; both are options of the
// base library's policy that this count does not use. The count is 0 on construction.
// Not thread-safe: it belongs to its list.
class KYHOST_API CbListPolicyElementCount {
public:
    CbListPolicyElementCount(int nOption, int nReserved);

    unsigned int GetCount() const { return m_nCount; }
    void Increment() { ++m_nCount; }
    void Decrement() { --m_nCount; }

private:
    unsigned int m_nCount;
};
