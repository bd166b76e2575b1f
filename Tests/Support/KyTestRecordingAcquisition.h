// A fake host acquisition that logs every call, in order, for whole-sequence comparisons.
#pragma once

#include <map>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "KyIAcquisition.h"
#include "KyTestGuarded.h"

// The host acquisition (RUXComponentFactory::SetAcquisition) while it lives. Each call appends one
// line: "GetImageSize", "SetDisplaySource(<name>)", "StartAcquisition(1)", "StopAcquisition(1,0)",
// "IsAcquisitionRunning", "IsAcquisitionReady". A display source is logged by the name given to
// NameSource, "null", or "unnamed". Any thread may call.
class KyTestRecordingAcquisition : public KyIAcquisition, private KyTestGuarded {
public:
    KyTestRecordingAcquisition();
    ~KyTestRecordingAcquisition() override;

    void NameSource(const void* pSource, const std::string& strName) {
        locked([&] { m_mapNames[pSource] = strName; });
    }

    // Takes the log so far and empties it.
    std::vector<std::string> TakeCalls() {
        return locked([&] { return std::exchange(m_arrCalls, {}); });
    }
    IAcquireDisplaySource* GetDisplaySource() const { return get(m_pSource); }

    // Results of the next calls.
    void SetReady(bool bReady) { set(m_bReady, bReady); }
    void SetImageSize(int nWidth, int nHeight) {
        locked([&] { m_nWidth = nWidth, m_nHeight = nHeight; });
    }

    void GetImageSize(int* pnHeight, int* pnWidth) override;
    void SetDisplaySource(IAcquireDisplaySource* pSource) override;
    int StartAcquisition(int nMode) override;
    bool StopAcquisition(int nMode, int nFlags) override;
    bool IsAcquisitionRunning() const override;
    bool IsAcquisitionReady() override;

private:
    // Every field below is guarded by m_Mutex.
    mutable std::vector<std::string> m_arrCalls;
    std::map<const void*, std::string> m_mapNames;
    IAcquireDisplaySource* m_pSource = nullptr;
    bool m_bRunning = false;
    bool m_bReady = true;
    int m_nWidth = 640;
    int m_nHeight = 480;
};
