// Uses the installed library through its umbrella header and CMake package; exits 0 on success.
#include <KyCameraVideo/KyCameraVideo.h>

#include <cstdio>

int main() {
    int nFailures = 0;
    auto check = [&](bool bOk, const char* pszWhat) {
        std::printf("%s: %s\n", bOk ? "ok  " : "FAIL", pszWhat);
        if (!bOk)
            ++nFailures;
    };

    // Host layer: an image, its JPEG, the message queue.
    KyCFieldBase field(KyCRect2(KyCSize2(64, 48)), 4, 0);
    check(!field.IsEmpty() && field.m_nPitch == 256, "KyCFieldBase of 64 x 48 BGRA");
    CbArray<unsigned char> jpeg;
    check(KyCJPGCodec::Encode(field, ePixelFormatBGRA32, 0.9f, jpeg) && jpeg.GetCount() > 2,
          "KyCJPGCodec::Encode");
    KyCMessageDispatcher::PostMessageW(
        L"main.cpp", __LINE__, L"main",
        CbSmartPointer<const CyMessage>(new CMessageWFARUXStateChanged(L"Video")));
    check(KyCMessageDispatcher::TakeMessages().size() == 1, "KyCMessageDispatcher queue");

    // The component, through the factory and its interface only.
    {
        CbSmartPointer<KyICameraVideo> pVideo =
            RUXComponentFactory::GetCameraVideoPointer(eAcquireDeviceVDX);
        check(pVideo && pVideo->GetExtension("RUX.CameraVideoVDX", false) != nullptr,
              "device component answers RUX.CameraVideoVDX");
        check(pVideo->SetVideoMode(eVideoModePlay, eVideoMediaTypeNone) &&
                  pVideo->GetVideoMode() == eVideoModePlay,
              "play mode");
        int nCount = -1;
        check(!pVideo->HasData(eVideoMediaTypeNone, &nCount) && nCount == 0, "empty catalogue");
        check(pVideo->SetVideoMode(eVideoModeNone, eVideoMediaTypeNone), "mode off");
        KyICameraVideo& nullVideo = RUXComponentFactory::GetCameraVideo(eAcquireDeviceNone);
        check(nullVideo.GetExtension("RUX.CameraVideoVDX", false) == nullptr, "null component");
    }
    RUXComponentFactory::ReleaseCameraVideo();

    return nFailures == 0 ? 0 : 1;
}
