// A fake host acquisition that logs every call, in order.
#include "KyTestRecordingAcquisition.h"

#include "KyCAcquisitionCommon.h"

KyTestRecordingAcquisition::KyTestRecordingAcquisition() = default;

KyTestRecordingAcquisition::~KyTestRecordingAcquisition() {
    Uninstall();
}

void KyTestRecordingAcquisition::Install() {
    RUXComponentFactory::SetAcquisition(this);
    std::lock_guard<std::mutex> lock(m_Mutex);
    m_bInstalled = true;
}

void KyTestRecordingAcquisition::Uninstall() {
    bool bInstalled;
    {
        std::lock_guard<std::mutex> lock(m_Mutex);
        bInstalled = m_bInstalled;
        m_bInstalled = false;
    }
    if (bInstalled)
        RUXComponentFactory::SetAcquisition(nullptr);
}

void KyTestRecordingAcquisition::NameSource(const void* pSource, const std::string& strName) {
    std::lock_guard<std::mutex> lock(m_Mutex);
    m_mapNames[pSource] = strName;
}

std::vector<std::string> KyTestRecordingAcquisition::TakeCalls() {
    std::lock_guard<std::mutex> lock(m_Mutex);
    std::vector<std::string> arrCalls;
    arrCalls.swap(m_arrCalls);
    return arrCalls;
}

IAcquireDisplaySource* KyTestRecordingAcquisition::GetDisplaySource() const {
    std::lock_guard<std::mutex> lock(m_Mutex);
    return m_pSource;
}

void KyTestRecordingAcquisition::SetStartResult(int nResult) {
    std::lock_guard<std::mutex> lock(m_Mutex);
    m_nStartResult = nResult;
}

void KyTestRecordingAcquisition::SetStopResult(bool bResult) {
    std::lock_guard<std::mutex> lock(m_Mutex);
    m_bStopResult = bResult;
}

void KyTestRecordingAcquisition::SetReady(bool bReady) {
    std::lock_guard<std::mutex> lock(m_Mutex);
    m_bReady = bReady;
}

void KyTestRecordingAcquisition::SetImageSize(int nWidth, int nHeight) {
    std::lock_guard<std::mutex> lock(m_Mutex);
    m_nWidth = nWidth;
    m_nHeight = nHeight;
}

void KyTestRecordingAcquisition::GetImageSize(int* pnHeight, int* pnWidth) {
    std::lock_guard<std::mutex> lock(m_Mutex);
    m_arrCalls.push_back("GetImageSize");
    if (pnHeight != nullptr)
        *pnHeight = m_nHeight;
    if (pnWidth != nullptr)
        *pnWidth = m_nWidth;
}

void KyTestRecordingAcquisition::SetDisplaySource(IAcquireDisplaySource* pSource) {
    std::lock_guard<std::mutex> lock(m_Mutex);
    std::string strName = "unnamed";
    if (pSource == nullptr) {
        strName = "null";
    } else {
        auto it = m_mapNames.find(pSource);
        if (it != m_mapNames.end())
            strName = it->second;
    }
    m_arrCalls.push_back("SetDisplaySource(" + strName + ")");
    m_pSource = pSource;
}

int KyTestRecordingAcquisition::StartAcquisition(int nMode) {
    std::lock_guard<std::mutex> lock(m_Mutex);
    m_arrCalls.push_back("StartAcquisition(" + std::to_string(nMode) + ")");
    if (m_nStartResult == 0)
        m_bRunning = true;
    return m_nStartResult;
}

bool KyTestRecordingAcquisition::StopAcquisition(int nMode, int nFlags) {
    std::lock_guard<std::mutex> lock(m_Mutex);
    m_arrCalls.push_back("StopAcquisition(" + std::to_string(nMode) + "," + std::to_string(nFlags) +
                         ")");
    m_bRunning = false;
    return m_bStopResult;
}

bool KyTestRecordingAcquisition::IsAcquisitionRunning() const {
    std::lock_guard<std::mutex> lock(m_Mutex);
    m_arrCalls.push_back("IsAcquisitionRunning");
    return m_bRunning;
}

bool KyTestRecordingAcquisition::IsAcquisitionReady() {
    std::lock_guard<std::mutex> lock(m_Mutex);
    m_arrCalls.push_back("IsAcquisitionReady");
    return m_bReady;
}
