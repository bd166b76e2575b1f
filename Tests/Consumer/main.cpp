// Uses the installed library through its umbrella header and CMake package; exits 0 on success.
#include <KyCameraVideo/KyCameraVideo.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <thread>

int main() {
    int nFailures = 0;
    auto check = [&](bool bOk, const char* pszWhat) {
        std::printf("%s: %s\n", bOk ? "ok  " : "FAIL", pszWhat);
        if (!bOk)
            ++nFailures;
    };

    // Host layer: an image and its JPEG.
    KyCFieldBase field(KyCRect2(KyCSize2(64, 48)), 4, 0);
    check(!field.IsEmpty() && field.m_nPitch == 256, "KyCFieldBase of 64 x 48 BGRA");
    CbArray<unsigned char> jpeg;
    check(KyCJPGCodec::Encode(field, ePixelFormatBGRA32, 0.9f, jpeg) && jpeg.GetCount() > 2,
          "KyCJPGCodec::Encode");

    // The component, through the factory and its interface only.
    {
        CbSmartPointer<KyICameraVideo> pVideo =
            RUXComponentFactory::GetCameraVideoPointer(eAcquireDeviceVDX);
        check(pVideo && pVideo->GetExtension("RUX.CameraVideoVDX", false) != nullptr,
              "device component answers RUX.CameraVideoVDX");
        int nCount = -1;

        // Camera mode on the built-in camera: a recording of a second.
        namespace fs = std::filesystem;
        const fs::path media = fs::temp_directory_path() / "kyconsumer-media";
        fs::remove_all(media);
        fs::create_directories(media);
        KyCSyntheticCamera& camera = RUXComponentFactory::GetBuiltInCamera();
        camera.SetFrameSize(KyCSize2(320, 240));
        camera.SetFrameRate(15.0f);
        KyCLiveDisplay& live = RUXComponentFactory::GetBuiltInLiveDisplay();
        live.SetBitmapSize(KyCSize2(320, 240));
        live.SetPixelFormat(15);
        check(pVideo->SetFilePath(media.wstring()), "media directory");
        check(pVideo->SetVideoMode(eVideoModeCamera, eVideoMediaTypeVideo) && pVideo->StartVideo(),
              "recording started");
        std::this_thread::sleep_for(std::chrono::milliseconds(1200));
        check(pVideo->StopVideo() && pVideo->HasData(eVideoMediaTypeVideo, &nCount) && nCount == 1,
              "recording filed");
        check(!KyCMessageDispatcher::TakeMessages().empty(), "state changes posted");
        const std::wstring strVideo = pVideo->GetFileName(eVideoMediaTypeVideo, nullptr);
        check(fs::file_size(strVideo) > 1000 && !fs::exists(media / "~video.avi"),
              "video on disk, no temporary file");
        check(pVideo->SetVideoMode(eVideoModeNone, eVideoMediaTypeNone), "camera off");
        camera.SetDisplaySource(nullptr);
        fs::remove_all(media);
    }
    RUXComponentFactory::ReleaseCameraVideo();

    return nFailures == 0 ? 0 : 1;
}
