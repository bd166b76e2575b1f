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

class KyCServeControlTest : public ::testing::Test {
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

// One catalogue through several removals: each position is counted in the catalogue as it is
// after the removals before it.
TEST_F(KyCServeControlTest, RemoveTakesTheEntryAtTheViewsPositionOrNothing) {
    KyCServeControl control(*m_pComponent, *m_pController);
    const struct {
        const char* pszView;
        const char* pszPosition;
        const char* pszName;
        int nStatus;
        std::set<std::string> left;
    } steps[] = {
        {"picture", "1", "d.jpg", 409, {"a.jpg", "b.avi", "c.jpg", "d.jpg"}},  // that is c.jpg
        {"all", "1", "b.avi", 200, {"a.jpg", "c.jpg", "d.jpg"}},
        {"picture", "1", "", 200, {"a.jpg", "d.jpg"}},
        {"video", "0", "", 404, {"a.jpg", "d.jpg"}},
        {"movies", "0", "", 400, {"a.jpg", "d.jpg"}},
        {"all", "../a.jpg", "", 400, {"a.jpg", "d.jpg"}},
    };
    for (const auto& step : steps) {
        EXPECT_EQ(control.Remove(step.pszView, step.pszPosition, step.pszName), step.nStatus)
            << step.pszView << " " << step.pszPosition;
        EXPECT_EQ(onDisk(), step.left);
        EXPECT_EQ(control.GetState().arrCatalogue.size(), step.left.size());
    }
}

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
