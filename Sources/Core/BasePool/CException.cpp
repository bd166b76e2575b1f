#include "CException.h"

CException::CException() = default;
CException::~CException() = default;

void CException::Delete() {
    delete this;
}

COleException::COleException(SCODE sc) : m_sc(sc) {}
COleException::~COleException() = default;

void AfxThrowOleException(SCODE sc) {
    throw new COleException(sc);
}
