// The page's catalogue operations against the real component: the entry named by view and
// position is the one selected or removed (the HTTP tests send the refusals).
#include <gtest/gtest.h>

#include <ctime>
#include <filesystem>
#include <set>

#include "KyCCameraVideoVDX.h"
#include "KyCServeControl.h"
#include "KyCameraVideoFactory.h"
#include "KyPlatform.h"
#include "KyPlatformTime.h"
#include "KyTestFiles.h"
#include "KyTestTempDir.h"

namespace {

const wchar_t* const kOldestFirst[] = {L"a.jpg", L"b.avi", L"c.jpg", L"d.jpg"};

struct SRemoveCase {
    const char* pszCase;
    const char* pszView;
    const char* pszPosition;
    const char* pszName;
    int nStatus;
    const char* pszRemoved;  // "" for none
};

// Listings and failures name the case, not its bytes.
void PrintTo(const SRemoveCase& c, std::ostream* pOut) {
    *pOut << c.pszCase;
}

class KyCServeControlTest : public ::testing::TestWithParam<SRemoveCase> {
protected:
    void SetUp() override {
        int nHoursAgo = 4;  // oldest first
        for (const wchar_t* pszName : kOldestFirst) {
            ASSERT_TRUE(KyTestWriteFile(m_Dir.File(pszName), "media"));
            const std::int64_t nUnix = std::time(nullptr) - nHoursAgo-- * 3600;
            ASSERT_TRUE(KyPlatform::SetFileLastWriteTime(m_Dir.File(pszName),
                                                         KyPlatform::KyFileTimeFromUnix(nUnix, 0)));
        }
        m_pComponent = RUXComponentFactory::GetCameraVideoPointer(eAcquireDeviceVDX);
        ASSERT_TRUE(m_pComponent->SetFilePath(m_Dir.Path()));
        m_pController = dynamic_cast<KyCCameraVideoVDX*>(
            m_pComponent->GetExtension(KyICameraVideoVDX::kExtensionName, false));
        ASSERT_NE(m_pController, nullptr);
    }
    void TearDown() override {
        m_pComponent->SetVideoMode(eVideoModeNone, eVideoMediaTypeNone);
        m_pComponent.Release();
        RUXComponentFactory::ReleaseCameraVideo();
    }
    std::set<std::string> onDisk() const {
        std::set<std::string> setNames;
        for (const auto& entry : std::filesystem::directory_iterator(m_Dir.Path()))
            setNames.insert(entry.path().filename().string());
        return setNames;
    }

    KyTestTempDir m_Dir;
    CbSmartPointer<KyICameraVideo> m_pComponent;
    KyCCameraVideoVDX* m_pController = nullptr;
};

TEST_P(KyCServeControlTest, RemoveTakesTheEntryAtTheViewsPositionOrNothing) {
    const SRemoveCase& test = GetParam();
    KyCServeControl control(*m_pComponent, *m_pController);
    EXPECT_EQ(control.Remove(test.pszView, test.pszPosition, test.pszName), test.nStatus);
    std::set<std::string> setExpected = {"a.jpg", "b.avi", "c.jpg", "d.jpg"};
    setExpected.erase(test.pszRemoved);
    EXPECT_EQ(onDisk(), setExpected);
    EXPECT_EQ(control.GetState().arrCatalogue.size(), setExpected.size());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, KyCServeControlTest,
    ::testing::Values(SRemoveCase{"SecondPicture", "picture", "1", "", 200, "c.jpg"},
                      SRemoveCase{"AllViewVideo", "all", "1", "", 200, "b.avi"},
                      SRemoveCase{"OnlyVideo", "video", "0", "b.avi", 200, "b.avi"},
                      SRemoveCase{"NameOfAnotherEntry", "picture", "1", "d.jpg", 409, ""}),
    [](const ::testing::TestParamInfo<SRemoveCase>& info) { return info.param.pszCase; });

TEST_F(KyCServeControlTest, SelectWalksTheViewToTheEntryAndBack) {
    KyCServeControl control(*m_pComponent, *m_pController);
    ASSERT_EQ(control.Select("all", "0", "a.jpg"), 200);
    EXPECT_EQ(m_pController->GetState().nCurrentIndex, 0);
    ASSERT_EQ(control.Select("picture", "1", "c.jpg"), 200);
    EXPECT_EQ(m_pController->GetState().nCurrentPictureIndex, 2);
    ASSERT_EQ(control.Select("all", "3", ""), 200);
    EXPECT_EQ(m_pController->GetState().nCurrentIndex, 3);
    EXPECT_EQ(control.Select("picture", "2", "a.jpg"), 409);
    EXPECT_EQ(m_pController->GetState().nCurrentPictureIndex, 3);
}

}  // namespace
