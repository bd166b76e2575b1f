// Four host threads drive the component with the built-in camera for KY_STRESS_SECONDS (60 by
// default): nothing crashes or hangs, no recording or picture is lost, every file is whole.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <thread>

#include "KyCAcquisitionCommon.h"
#include "KyCLiveDisplay.h"
#include "KyCMediaFileCheck.h"
#include "KyCMediaPath.h"
#include "KyCSyntheticCamera.h"
#include "KyCameraVideoFactory.h"
#include "KyStressHost.h"
#include "KyTestTempDir.h"

namespace {

namespace fs = std::filesystem;
typedef std::chrono::steady_clock Clock;

// A recording that ran this long has received frames from a camera at 30 per second, even on a
// busy machine under a sanitizer.
const std::chrono::milliseconds kSureOfFrames(500);

int stressSeconds() {
    const char* pszValue = std::getenv("KY_STRESS_SECONDS");
    const int nSeconds = pszValue != nullptr ? std::atoi(pszValue) : 0;
    return nSeconds > 0 ? nSeconds : 60;
}

std::vector<std::wstring> entryNames(const std::wstring& strDirectory) {
    std::vector<std::wstring> arrNames;
    for (const fs::directory_entry& entry : fs::directory_iterator(fs::path(strDirectory)))
        arrNames.push_back(entry.path().filename().wstring());
    return arrNames;
}

std::string narrow(const std::wstring& str) {
    return fs::path(str).string();
}

bool hasSuffix(const std::wstring& str, const std::wstring& strSuffix) {
    return str.size() >= strSuffix.size() &&
           str.compare(str.size() - strSuffix.size(), strSuffix.size(), strSuffix) == 0;
}

// Whether a file named for one of the seconds is in the directory or was removed by the host.
bool isAccountedFor(const KyStressHost& host, const std::wstring& strDirectory,
                    ERUXVideoMediaType eType, std::int64_t nFirst, std::int64_t nLast) {
    for (std::int64_t n = nFirst; n <= nLast; ++n) {
        const std::wstring strName = makeMediaFilename(eType, CTime(n));
        if (fs::exists(fs::path(makeFilePath(strDirectory, strName))) ||
            host.WasRemoved(strDirectory, strName))
            return true;
    }
    return false;
}

}  // namespace

TEST(KyStressTest, FourHostThreadsLoseNothing) {
    KyTestTempDir first, second;
    KyCSyntheticCamera& camera = RUXComponentFactory::GetBuiltInCamera();
    RUXComponentFactory::SetAcquisition(nullptr);
    camera.SetFrameSize(KyCSize2(64, 48));
    camera.SetFrameRate(30.0f);
    RUXComponentFactory::GetBuiltInLiveDisplay().SetBitmapSize(KyCSize2(64, 48));
    RUXComponentFactory::GetBuiltInLiveDisplay().SetPixelFormat(15);

    CbSmartPointer<KyICameraVideo> pVideo =
        RUXComponentFactory::GetCameraVideoPointer(eAcquireDeviceVDX);
    ASSERT_TRUE(pVideo);
    KyStressHost host(*pVideo, first.Path(), second.Path());

    const int nSeconds = stressSeconds();
    const Clock::time_point deadline = Clock::now() + std::chrono::seconds(nSeconds);
    std::vector<std::thread> arrThreads;
    for (unsigned n = 0; n < 4; ++n)
        arrThreads.emplace_back([&host, n, deadline] { host.RunThread(1000 + n, deadline); });
    for (std::thread& thread : arrThreads)
        thread.join();
    host.Finish();
    pVideo.Release();
    RUXComponentFactory::ReleaseCameraVideo();
    camera.StopAcquisition(1, 0);

    for (const std::string& strProblem : host.Problems())
        ADD_FAILURE() << strProblem;

    // Every file is whole and nothing temporary is left.
    unsigned nVideos = 0, nPictures = 0;
    for (const std::wstring& strDirectory : {first.Path(), second.Path()}) {
        for (const std::wstring& strName : entryNames(strDirectory)) {
            const std::wstring strPath = makeFilePath(strDirectory, strName);
            std::string strReason;
            unsigned nFrames = 0;
            EXPECT_NE(strName[0], L'~') << "left behind: " << narrow(strPath);
            if (hasSuffix(strName, L".avi")) {
                ++nVideos;
                EXPECT_TRUE(KyCMediaFileCheck::CheckVideo(strPath, nFrames, strReason))
                    << narrow(strPath) << ": " << strReason;
            } else if (hasSuffix(strName, L".jpg")) {
                ++nPictures;
                EXPECT_TRUE(KyCMediaFileCheck::CheckPicture(strPath, strReason))
                    << narrow(strPath) << ": " << strReason;
            }
        }
    }

    // Every recording that surely received frames is filed, recovered or removed by the host;
    // every picture reported taken is there or was removed.
    unsigned nSure = 0, nShortMissing = 0;
    for (const SStressRecording& recording : host.Recordings()) {
        const bool bSure = recording.ended - recording.started >= kSureOfFrames;
        const bool bFound = isAccountedFor(host, recording.strDirectory, eVideoMediaTypeVideo,
                                           recording.nFirstSecond, recording.nLastSecond);
        nSure += bSure ? 1 : 0;
        nShortMissing += !bSure && !bFound ? 1 : 0;
        EXPECT_TRUE(bFound || !bSure) << "lost the recording of " << recording.nFirstSecond
                                      << " in " << narrow(recording.strDirectory);
    }
    for (const SStressPicture& picture : host.Pictures()) {
        EXPECT_TRUE(isAccountedFor(host, picture.strDirectory, eVideoMediaTypePicture,
                                   picture.nFirstSecond, picture.nLastSecond))
            << "lost the picture of " << picture.nFirstSecond << " in "
            << narrow(picture.strDirectory);
    }
    unsigned nRecovered = 0;
    for (const SRecoveredVideo& recovered : host.Recovered())
        nRecovered += recovered.bRecovered ? 1 : 0;
    // Each start and each stop of video posts one.
    EXPECT_GE(host.Messages(), static_cast<int>(host.Recordings().size() + host.Pictures().size()));
    EXPECT_GT(host.Recordings().size(), 0u);

    std::cout << "stress: " << nSeconds << " s, " << host.Operations() << " operations ("
              << host.Operations() / 4 << " per thread), " << host.Recordings().size()
              << " recordings (" << nSure << " of 0.5 s or more, " << nShortMissing
              << " short ones without a file), " << host.Pictures().size() << " pictures, "
              << nRecovered << " recovered, " << host.RemovedCount() << " removed, " << nVideos
              << " videos and " << nPictures << " pictures checked, " << host.Messages()
              << " messages\n";
}
