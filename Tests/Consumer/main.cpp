// Uses the installed library through its umbrella header and CMake package; exits 0 on success.
#include <KyCameraVideo/KyCameraVideo.h>

#include <cstdio>

int main() {
    int nFailures = 0;
    auto check = [&](bool bOk, const char* pszWhat) {
        std::printf("%s: %s\n", bOk ? "ok  " : "FAIL", pszWhat);
        if (!bOk) ++nFailures;
    };

    // Host layer: an image, its JPEG, the message queue.
    KyCFieldBase field(KyCRect2(KyCSize2(64, 48)), 4, 0);
    check(!field.IsEmpty() && field.m_nPitch == 256, "KyCFieldBase of 64 x 48 BGRA");
    CbArray<unsigned char> jpeg;
    check(KyCJPGCodec::Encode(field, ePixelFormatBGRA32, 0.9f, jpeg) && jpeg.GetCount() > 2,
          "KyCJPGCodec::Encode");
    KyCMessageDispatcher::PostMessageW(L"main.cpp", __LINE__, L"main",
                                       CbSmartPointer<const CyMessage>(
                                           new CMessageWFARUXStateChanged(L"Video")));
    check(KyCMessageDispatcher::TakeMessages().size() == 1, "KyCMessageDispatcher queue");

    return nFailures == 0 ? 0 : 1;
}
