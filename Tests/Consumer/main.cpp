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
        nFailures += !bOk;
    };
    KyCFieldBase field(KyCRect2(KyCSize2(64, 48)), 4, 0);
    CbArray<unsigned char> jpeg;
    check(KyCJPGCodec::Encode(field, ePixelFormatBGRA32, 0.9f, jpeg) && jpeg.GetCount() > 2,
          "host layer: KyCJPGCodec::Encode");

    // The component through the factory and its interface only: a second of recording from the
    // built-in camera.
    namespace fs = std::filesystem;
    const fs::path media = fs::temp_directory_path() / "kyconsumer-media";
    fs::remove_all(media);
    fs::create_directories(media);
    RUXComponentFactory::GetBuiltInCamera().SetFrameSize(KyCSize2(320, 240));
    RUXComponentFactory::GetBuiltInCamera().SetFrameRate(15.0f);
    RUXComponentFactory::GetBuiltInLiveDisplay().SetBitmapSize(KyCSize2(320, 240));
    RUXComponentFactory::GetBuiltInLiveDisplay().SetPixelFormat(15);
    {
        CbSmartPointer<KyICameraVideo> pVideo =
            RUXComponentFactory::GetCameraVideoPointer(eAcquireDeviceVDX);
        check(pVideo && pVideo->GetExtension("RUX.CameraVideoVDX", false) != nullptr,
              "device component answers RUX.CameraVideoVDX");
        check(pVideo->SetFilePath(media.wstring()) &&
                  pVideo->SetVideoMode(eVideoModeCamera, eVideoMediaTypeVideo) &&
                  pVideo->StartVideo(),
              "recording started");
        std::this_thread::sleep_for(std::chrono::milliseconds(1200));
        int nCount = -1;
        check(pVideo->StopVideo() && pVideo->HasData(eVideoMediaTypeVideo, &nCount) && nCount == 1,
              "recording filed");
        check(!KyCMessageDispatcher::TakeMessages().empty(), "state changes posted");
        const std::wstring strVideo = pVideo->GetFileName(eVideoMediaTypeVideo, nullptr);
        check(fs::file_size(strVideo) > 1000 && !fs::exists(media / "~video.avi"),
              "video on disk, no temporary file");
        check(pVideo->SetVideoMode(eVideoModeNone, eVideoMediaTypeNone), "camera off");
        RUXComponentFactory::GetBuiltInCamera().SetDisplaySource(nullptr);
    }
    RUXComponentFactory::ReleaseCameraVideo();
    fs::remove_all(media);
    return nFailures == 0 ? 0 : 1;
}
