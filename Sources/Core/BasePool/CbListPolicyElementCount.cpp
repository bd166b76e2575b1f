// Element count policy of the list templates: construction.
#include "CbListPolicyElementCount.h"

CbListPolicyElementCount::CbListPolicyElementCount(int /*nOption*/, int /*nReserved*/)
    : m_nCount(0) {}
