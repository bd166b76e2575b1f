#include "CMessageWFARUXStateChanged.h"

CMessageWFARUXStateChanged::CMessageWFARUXStateChanged(const std::wstring& strText)
    : m_strText(strText) {}

CMessageWFARUXStateChanged::~CMessageWFARUXStateChanged() = default;
