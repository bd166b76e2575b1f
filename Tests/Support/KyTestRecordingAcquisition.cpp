// A fake host acquisition that logs every call, in order.
#include "KyTestRecordingAcquisition.h"

#include "KyCAcquisitionCommon.h"

KyTestRecordingAcquisition::KyTestRecordingAcquisition() {
    RUXComponentFactory::SetAcquisition(this);
}

KyTestRecordingAcquisition::~KyTestRecordingAcquisition() {
    RUXComponentFactory::SetAcquisition(nullptr);
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
    const auto it = m_mapNames.find(pSource);
    const std::string strName = pSource == nullptr       ? "null"
                                : it == m_mapNames.end() ? "unnamed"
                                                         : it->second;
    m_arrCalls.push_back("SetDisplaySource(" + strName + ")");
    m_pSource = pSource;
}

int KyTestRecordingAcquisition::StartAcquisition(int nMode) {
    std::lock_guard<std::mutex> lock(m_Mutex);
    m_arrCalls.push_back("StartAcquisition(" + std::to_string(nMode) + ")");
    m_bRunning = true;
    return 0;
}

bool KyTestRecordingAcquisition::StopAcquisition(int nMode, int nFlags) {
    std::lock_guard<std::mutex> lock(m_Mutex);
    m_arrCalls.push_back("StopAcquisition(" + std::to_string(nMode) + "," + std::to_string(nFlags) +
                         ")");
    m_bRunning = false;
    return true;
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
