// The message a component posts when its state changed; receivers ask the component what.
#pragma once

#include <string>

#include "CyMessage.h"
#include "KyHostApi.h"

class KYHOST_API CMessageWFARUXStateChanged : public CyMessageWorkflowAction {
public:
    explicit CMessageWFARUXStateChanged(const std::wstring& strText);
    ~CMessageWFARUXStateChanged() override;
    const std::wstring& GetText() const { return m_strText; }

private:
    std::wstring m_strText;
};
