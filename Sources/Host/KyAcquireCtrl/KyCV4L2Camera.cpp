// The V4L2 camera: negotiation, streaming and its frame-delivery thread.
#include "KyCV4L2Camera.h"

#include "IAcquireDisplay.h"
#include "IAcquireDisplaySource.h"
#include "KyCV4L2FormatChoice.h"
#include "KyV4L2Converter.h"
#include "KyV4L2Device.h"

KyCV4L2Camera::KyCV4L2Camera() : KyCV4L2Camera(KyCreateV4L2Device()) {}

KyCV4L2Camera::KyCV4L2Camera(std::unique_ptr<KyV4L2Device> pDevice)
    : KyCCameraBase(L"V4L2Camera"), m_pDevice(std::move(pDevice)) {}

KyCV4L2Camera::~KyCV4L2Camera() {
    StopAcquisition(1, 0);
    Close();
    endThread();
}

EV4L2Result KyCV4L2Camera::Open(const std::string& strPath, KyCSize2 wished,
                                float fFramesPerSecond) {
    StopAcquisition(1, 0);
    Close();
    CbCriticalSectionLock device(m_DeviceLock);
    {
        CbCriticalSectionLock lock(m_Lock);
        m_strPath = strPath;
    }
    if (!m_pDevice) {
        setError(eV4L2NotSupported, std::string());
        return eV4L2NotSupported;
    }
    EV4L2Result eResult = m_pDevice->Open(strPath);
    if (eResult != eV4L2Ok) {
        setError(eResult, m_pDevice->GetErrorText());
        return eResult;
    }

    KyV4L2Format format;
    if (!KyCV4L2FormatChoice::Choose(m_pDevice->GetFormatOffers(), wished, format)) {
        m_pDevice->Close();
        setError(eV4L2UnsupportedFormat, std::string());
        return eV4L2UnsupportedFormat;
    }
    const KyV4L2Format asked = format;
    eResult = m_pDevice->SetFormat(format);
    std::string strDetail = m_pDevice->GetErrorText();
    if (eResult == eV4L2Ok) {
        if (KyCV4L2FormatChoice::IsUsable(format))
            m_pConverter = KyCreateV4L2Converter(format);
        if (!m_pConverter) {
            eResult = eV4L2UnsupportedFormat;
            strDetail = "asked for " + KyV4L2FourCCText(asked.nFourCC) + ", the driver gave " +
                        KyV4L2FourCCText(format.nFourCC) + " " +
                        std::to_string(format.size.nWidth) + "x" +
                        std::to_string(format.size.nHeight);
        }
    }
    if (eResult != eV4L2Ok) {
        m_pConverter.reset();
        m_pDevice->Close();
        setError(eResult, strDetail);
        return eResult;
    }
    if (fFramesPerSecond > 0.0f)
        m_pDevice->SetFrameRate(fFramesPerSecond);  // a driver without the setting keeps its own

    CbCriticalSectionLock lock(m_Lock);
    m_Format = format;
    m_strCard = m_pDevice->GetCardName();
    m_strError.clear();
    m_bOpen = true;
    m_bLost = false;
    return eV4L2Ok;
}

void KyCV4L2Camera::Close() {
    StopAcquisition(1, 0);
    CbCriticalSectionLock device(m_DeviceLock);
    if (m_pDevice)
        m_pDevice->Close();
    m_pConverter.reset();
    CbCriticalSectionLock lock(m_Lock);
    m_bOpen = false;
    m_Format = KyV4L2Format();
}

bool KyCV4L2Camera::IsOpen() const {
    CbCriticalSectionLock lock(m_Lock);
    return m_bOpen;
}

KyV4L2Format KyCV4L2Camera::GetFormat() const {
    CbCriticalSectionLock lock(m_Lock);
    return m_Format;
}

std::string KyCV4L2Camera::GetCardName() const {
    CbCriticalSectionLock lock(m_Lock);
    return m_strCard;
}

std::string KyCV4L2Camera::GetErrorText() const {
    CbCriticalSectionLock lock(m_Lock);
    return m_strError;
}

int KyCV4L2Camera::StartAcquisition(int) {
    CbCriticalSectionLock device(m_DeviceLock);
    {
        CbCriticalSectionLock lock(m_Lock);
        if (!m_bOpen || m_bLost)
            return -1;
    }
    if (!m_bStreaming) {
        const EV4L2Result eResult = m_pDevice->StartStreaming(kBufferCount);
        if (eResult != eV4L2Ok) {
            setError(eResult, m_pDevice->GetErrorText());
            return -1;
        }
        m_bStreaming = true;
    }
    {
        CbCriticalSectionLock lock(m_Lock);
        if (!startThreadLocked()) {
            m_pDevice->StopStreaming();
            m_bStreaming = false;
            m_strError = m_strPath + ": the camera's delivery thread could not be started";
            return -1;
        }
        m_bRunning = true;
    }
    m_Changed.NotifyAll();
    return 0;
}

bool KyCV4L2Camera::StopAcquisition(int, int) {
    {
        CbCriticalSectionLock lock(m_Lock);
        m_bRunning = false;
    }
    m_Changed.NotifyAll();
    // The thread holds the device lock across one wait and delivery: passing it waits for them.
    CbCriticalSectionLock device(m_DeviceLock);
    if (m_bStreaming) {
        m_pDevice->StopStreaming();
        m_bStreaming = false;
    }
    return true;
}

bool KyCV4L2Camera::IsAcquisitionRunning() const {
    CbCriticalSectionLock lock(m_Lock);
    return m_bRunning;
}

bool KyCV4L2Camera::IsAcquisitionReady() {
    CbCriticalSectionLock lock(m_Lock);
    return m_bOpen && !m_bLost;
}

bool KyCV4L2Camera::IsLost() const {
    CbCriticalSectionLock lock(m_Lock);
    return m_bLost;
}

bool KyCV4L2Camera::WaitForLost(unsigned nTimeoutMs) const {
    const auto deadline = CbCondition::After(nTimeoutMs);
    CbCriticalSectionLock lock(m_Lock);
    while (!m_bLost) {
        if (!m_Changed.WaitUntil(m_Lock, deadline))
            return m_bLost;
    }
    return true;
}

unsigned KyCV4L2Camera::GetFramesDamaged() const {
    CbCriticalSectionLock lock(m_Lock);
    return m_nDamaged;
}

unsigned KyCV4L2Camera::GetFramesRefused() const {
    CbCriticalSectionLock lock(m_Lock);
    return m_nRefused;
}

void KyCV4L2Camera::threadLoop() {
    for (;;) {
        {
            CbCriticalSectionLock lock(m_Lock);
            while (!quitRequestedLocked() && !m_bRunning)
                m_Changed.Wait(m_Lock);
            if (quitRequestedLocked())
                return;
        }
        try {
            serviceDevice();
        } catch (...) {
            // A display that throws loses this frame; the camera keeps running.
        }
    }
}

void KyCV4L2Camera::serviceDevice() {
    CbCriticalSectionLock device(m_DeviceLock);
    {
        CbCriticalSectionLock lock(m_Lock);
        if (!m_bRunning)
            return;  // stopped while this thread waited for the lock
    }
    if (!m_bStreaming)
        return;
    KyV4L2Frame frame;
    const EV4L2Result eResult = m_pDevice->WaitFrame(kWaitSliceMs, frame);
    if (eResult == eV4L2Timeout)
        return;
    if (eResult != eV4L2Ok) {
        loseDevice(eResult);
        return;
    }
    deliverFrame(frame.pData, frame.nBytesUsed);
    // A display that stopped acquisition from inside the delivery has already let the buffers go.
    if (m_bStreaming) {
        const EV4L2Result eRelease = m_pDevice->ReleaseFrame(frame);
        if (eRelease != eV4L2Ok)
            loseDevice(eRelease);
    }
}

void KyCV4L2Camera::deliverFrame(const unsigned char* pFrame, std::size_t nBytes) {
    CbCriticalSectionLock delivery(m_DeliveryLock);
    KyCSize2 size;
    {
        CbCriticalSectionLock lock(m_Lock);
        size = m_Format.size;
    }
    IAcquireDisplay* pDisplay = displayForDelivery();
    bool bBuffer = false, bValid = false;
    if (pDisplay) {
        int nPitch = 0;
        unsigned char* pFirstRow = pDisplay->GetBitmapBuffer(size, &nPitch, 32);
        if (pFirstRow) {
            bBuffer = true;
            if (nPitch == 0)
                nPitch = size.nWidth * 4;
            bValid = m_pConverter->Convert(pFrame, nBytes, pFirstRow, nPitch);
        }
        pDisplay->ReleaseBitmapBuffer(bValid);
    }
    {
        CbCriticalSectionLock lock(m_Lock);
        if (bValid)
            ++m_nDelivered;
        else if (bBuffer)
            ++m_nDamaged;
        else
            ++m_nRefused;
    }
    m_Changed.NotifyAll();
}

void KyCV4L2Camera::loseDevice(EV4L2Result eResult) {
    const std::string strDetail = m_pDevice->GetErrorText();
    m_pDevice->StopStreaming();
    m_bStreaming = false;
    // Whatever the device said, a camera that fails while streaming is gone for this host.
    setError(eV4L2Gone, strDetail.empty() ? std::string(KyV4L2ResultText(eResult)) : strDetail);
    {
        CbCriticalSectionLock lock(m_Lock);
        m_bRunning = false;
        m_bLost = true;
    }
    m_Changed.NotifyAll();
}

void KyCV4L2Camera::setError(EV4L2Result eResult, const std::string& strDetail) {
    CbCriticalSectionLock lock(m_Lock);
    m_strError = m_strPath + ": " + KyV4L2ResultText(eResult);
    if (!strDetail.empty())
        m_strError += " (" + strDetail + ")";
}
