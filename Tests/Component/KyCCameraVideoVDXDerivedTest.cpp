// What the controller and its record worker offer a host's derived classes: catalogue and file
// operations on a catalogue built by a scan of real files, and the recording's own answers.
#include <gtest/gtest.h>

#include <climits>

#include "KyCCameraVideoRecord.h"
#include "KyTestComponent.h"
#include "KyTestRecordingAcquisition.h"
#include "KyTestRecordingDisplay.h"
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
    using KyCCameraVideoVDX::stopRecord;
};

class KyTestDerivedRecord : public KyCCameraVideoRecord {
public:
    KyTestDerivedRecord() : KyCCameraVideoRecord(eThreadPriorityNormal) {}
    using KyCCameraVideoRecord::savePicture;
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

TEST(KyCCameraVideoVDXDerivedStopTest, StopRecordFailsOutsideCameraModeAndHasNothingToStopInIt) {
    KyTestRecordingAcquisition acquisition;
    KyTestRecordingDisplay live;
    KyTestTempDir dir;
    KyTestDerivedVDX vdx;
    vdx.SetLiveBitmapHandler(&live);
    ASSERT_TRUE(vdx.SetFilePath(dir.Path()));
    EXPECT_FALSE(vdx.stopRecord());
    ASSERT_TRUE(vdx.SetVideoMode(eVideoModeCamera, eVideoMediaTypeVideo));
    EXPECT_TRUE(vdx.stopRecord());
    EXPECT_FALSE(vdx.GetState().bRecording);
    KyTestTakeVideoMessages();
}

TEST(KyCCameraVideoRecordDerivedTest, AnIdleWorkerCapturesNothingAndPicturesNeedBGRAPixels) {
    KyTestTempDir dir;
    KyTestDerivedRecord record;
    EXPECT_FALSE(record.CapturePicture(dir.File(L"idle.jpg")));
    const KyCFieldBase frame(KyCRect2(0, 0, 7, 7), 4, 0);
    EXPECT_FALSE(record.savePicture(dir.File(L"grey.jpg"), frame, 16, 0.9f));
    EXPECT_FALSE(record.savePicture(dir.File(L"empty.jpg"), KyCFieldBase(), 15, 0.9f));
    EXPECT_TRUE(record.savePicture(dir.File(L"bgra.jpg"), frame, 15, 0.9f));
    EXPECT_FALSE(KyTestFileExists(dir.File(L"idle.jpg")));
    EXPECT_FALSE(KyTestFileExists(dir.File(L"grey.jpg")));
    EXPECT_FALSE(KyTestFileExists(dir.File(L"empty.jpg")));
    EXPECT_TRUE(KyTestFileExists(dir.File(L"bgra.jpg")));
}

}  // namespace
