// Setting up the synthetic or the V4L2 camera as the host acquisition.
#include "KyCCamera.h"

#include <cmath>

#include "KyCAcquisitionCommon.h"
#include "KyCOptions.h"
#include "KyCSyntheticCamera.h"
#include "KyCV4L2Camera.h"
#include "KyIAcquisition.h"
#include "KyV4L2Device.h"

KyCCamera::KyCCamera() = default;

KyCCamera::~KyCCamera() {
    uninstall();
}

bool KyCCamera::Open(const KyCOptions& options, std::string& strError) {
    if (!options.IsSyntheticCamera())
        return OpenV4L2(KyCreateV4L2Device(), options, strError);
    uninstall();
    KyCSyntheticCamera& camera = RUXComponentFactory::GetBuiltInCamera();
    camera.SetFrameSize(options.m_Size);
    camera.SetFrameRate(options.m_fFramesPerSecond);
    camera.SetPixelFormat(15);
    camera.SetAcquisitionReady(true);
    m_fSyntheticRate = options.m_fFramesPerSecond;
    RUXComponentFactory::SetAcquisition(nullptr);
    strError.clear();
    return true;
}

bool KyCCamera::OpenV4L2(std::unique_ptr<KyV4L2Device> pDevice, const KyCOptions& options,
                         std::string& strError) {
    uninstall();
    auto pCamera = std::make_unique<KyCV4L2Camera>(std::move(pDevice));
    const float fRate = options.m_bFramesPerSecondGiven ? options.m_fFramesPerSecond : 0.0f;
    if (pCamera->Open(options.m_strCamera, options.m_Size, fRate) != eV4L2Ok) {
        strError = "camera " + pCamera->GetErrorText();
        return false;
    }
    m_pV4L2 = std::move(pCamera);
    m_strDevice = options.m_strCamera;
    RUXComponentFactory::SetAcquisition(m_pV4L2.get());
    strError.clear();
    return true;
}

std::string KyCCamera::Describe() const {
    const KyCSize2 size = GetSize();
    const std::string strSize = std::to_string(size.nWidth) + "x" + std::to_string(size.nHeight);
    if (m_pV4L2) {
        return m_strDevice + " (" + m_pV4L2->GetCardName() +
               "): " + KyV4L2FourCCText(m_pV4L2->GetFormat().nFourCC) + " " + strSize;
    }
    std::string strRate = std::to_string(static_cast<int>(std::lround(m_fSyntheticRate)));
    return "synthetic camera " + strSize + " at " + strRate + " fps";
}

KyCSize2 KyCCamera::GetSize() const {
    int nHeight = 0, nWidth = 0;
    RUXComponentFactory::GetAcquisition().GetImageSize(&nHeight, &nWidth);
    return KyCSize2(nWidth, nHeight);
}

bool KyCCamera::IsLost() const {
    return m_pV4L2 && m_pV4L2->IsLost();
}

std::string KyCCamera::GetLostText() const {
    return m_pV4L2 ? m_pV4L2->GetErrorText() : std::string();
}

void KyCCamera::uninstall() {
    if (!m_pV4L2)
        return;
    m_pV4L2->StopAcquisition(1, 0);
    RUXComponentFactory::SetAcquisition(nullptr);
    m_pV4L2.reset();
}
