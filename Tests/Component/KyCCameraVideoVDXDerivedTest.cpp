// The catalogue and file operations the controller offers to a host's derived class, on a
// catalogue built by a scan of real files.
#include <gtest/gtest.h>

#include <climits>

#include "KyTestComponent.h"
#include "KyTestTempDir.h"

namespace {

const ERUXVideoMediaType kAll = eVideoMediaTypeNone;
const ERUXVideoMediaType kVideo = eVideoMediaTypeVideo;
const ERUXVideoMediaType kPicture = eVideoMediaTypePicture;
const ERUXVideoMediaType kOther = static_cast<ERUXVideoMediaType>(-2);

// A host's own controller: it calls what its base offers derived classes and reads no field.
class KyTestDerivedVDX : public KyCCameraVideoVDX {
public:
    using KyCCameraVideoVDX::copyFile;
    using KyCCameraVideoVDX::findMediaFilename;
    using KyCCameraVideoVDX::getPreviousIndex;
    using KyCCameraVideoVDX::setCurrentIndex;
};

class KyCCameraVideoVDXDerivedTest : public ::testing::Test {
protected:
    // "v0.avi p1.jpg v2.avi p3.jpg", oldest first; every view on its newest file.
    void SetUp() override {
        ASSERT_TRUE(KyTestWriteMedia(m_Dir.Path(), "V P V P"));
        ASSERT_TRUE(m_Vdx.SetFilePath(m_Dir.Path()));
        ASSERT_EQ(KyTestNames(m_Vdx.GetState()), "v0.avi p1.jpg v2.avi p3.jpg");
    }
    void TearDown() override { KyTestTakeVideoMessages(); }
    std::string views() const { return KyTestViews(m_Vdx.GetState()); }

    KyTestTempDir m_Dir;
    KyTestDerivedVDX m_Vdx;
};

TEST_F(KyCCameraVideoVDXDerivedTest, FindMediaFilenameMatchesWholeNamesExactly) {
    EXPECT_EQ(m_Vdx.findMediaFilename(L"v0.avi"), 0);
    EXPECT_EQ(m_Vdx.findMediaFilename(L"p3.jpg"), 3);
    EXPECT_EQ(m_Vdx.findMediaFilename(L"V0.AVI"), -1);
    EXPECT_EQ(m_Vdx.findMediaFilename(L"v0"), -1);
    EXPECT_EQ(m_Vdx.findMediaFilename(L""), -1);
}

TEST_F(KyCCameraVideoVDXDerivedTest, PreviousIndexClampsItsStartAndFilters) {
    EXPECT_EQ(m_Vdx.getPreviousIndex(kAll, 99), 3);
    EXPECT_EQ(m_Vdx.getPreviousIndex(kVideo, 99), 2);
    EXPECT_EQ(m_Vdx.getPreviousIndex(kPicture, 3), 1);
    EXPECT_EQ(m_Vdx.getPreviousIndex(kAll, 1), 0);
    EXPECT_EQ(m_Vdx.getPreviousIndex(kAll, 0), -1);
    EXPECT_EQ(m_Vdx.getPreviousIndex(kAll, -1), -1);
    EXPECT_EQ(m_Vdx.getPreviousIndex(kAll, INT_MIN), -1);
    EXPECT_EQ(m_Vdx.getPreviousIndex(kOther, 3), -1);
}

TEST_F(KyCCameraVideoVDXDerivedTest, SetCurrentIndexAnswersWhetherThePositionWasTaken) {
    ASSERT_EQ(views(), "3/2/3");
    // A type's view only takes a file of its type; out of range is refused and moves nothing.
    EXPECT_TRUE(m_Vdx.setCurrentIndex(kVideo, 0));
    EXPECT_TRUE(m_Vdx.setCurrentIndex(kPicture, 1));
    EXPECT_TRUE(m_Vdx.setCurrentIndex(kAll, 2));
    EXPECT_EQ(views(), "2/0/1");
    EXPECT_FALSE(m_Vdx.setCurrentIndex(kAll, 4));
    EXPECT_FALSE(m_Vdx.setCurrentIndex(kPicture, 30));
    EXPECT_EQ(views(), "2/0/1");
    // Negative clears the view; another filter stores nothing and still answers true.
    EXPECT_TRUE(m_Vdx.setCurrentIndex(kVideo, -5));
    EXPECT_TRUE(m_Vdx.setCurrentIndex(kOther, 1));
    EXPECT_EQ(views(), "2/-1/1");
}

TEST_F(KyCCameraVideoVDXDerivedTest, CopyFileOverwritesItsTargetAndRefusesBadPaths) {
    ASSERT_TRUE(KyTestWriteFile(m_Dir.File(L"a.avi"), "new"));
    ASSERT_TRUE(KyTestWriteFile(m_Dir.File(L"b.avi"), "old"));
    EXPECT_TRUE(m_Vdx.copyFile(m_Dir.File(L"a.avi"), m_Dir.File(L"b.avi")));
    EXPECT_EQ(KyTestReadFile(m_Dir.File(L"b.avi")), "new");
    EXPECT_EQ(KyTestReadFile(m_Dir.File(L"a.avi")), "new");
    EXPECT_FALSE(m_Vdx.copyFile(L"", m_Dir.File(L"c.avi")));
    EXPECT_FALSE(m_Vdx.copyFile(m_Dir.File(L"a.avi"), L""));
    EXPECT_FALSE(m_Vdx.copyFile(m_Dir.File(L"missing.avi"), m_Dir.File(L"c.avi")));
    EXPECT_FALSE(KyTestFileExists(m_Dir.File(L"c.avi")));
}

}  // namespace
