// Exceptions of the RUX component framework; thrown by value.
#pragma once

#include <string>

#include "CbException.h"
#include "KyHostApi.h"

namespace RUXComponentFactory {

class KYHOST_API KyCExceptionRUX : public CbException {
public:
    KyCExceptionRUX(const std::wstring& strFile, unsigned nNumber, const char* pszText);
    ~KyCExceptionRUX() override;
    unsigned GetNumber() const { return m_nNumber; }

private:
    unsigned m_nNumber;
};

// A device value the component factory refuses (number 101).
class KYHOST_API KyCExceptionRUXComponentFactory : public KyCExceptionRUX {
public:
    KyCExceptionRUXComponentFactory(const std::wstring& strFile, unsigned nNumber);
    ~KyCExceptionRUXComponentFactory() override;
};

}  // namespace RUXComponentFactory
