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
    using KyCCameraVideoVDX::exitRecord;
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

TEST(KyCCameraVideoVDXDerivedTest, LookupsPositionsCopiesAndStoppingARecording) {
    KyTestRecordingAcquisition acquisition;
    KyTestRecordingDisplay live;
    KyTestTempDir dir;
    KyTestDerivedVDX vdx;
    vdx.SetLiveBitmapHandler(&live);
    ASSERT_TRUE(KyTestWriteMedia(dir.Path(), "V P V P"));
    ASSERT_TRUE(vdx.SetFilePath(dir.Path()));
    // Whole names, exactly.
    EXPECT_EQ(vdx.findMediaFilename(L"v0.avi"), 0);
    EXPECT_EQ(vdx.findMediaFilename(L"p3.jpg"), 3);
    for (const wchar_t* pszName : {L"V0.AVI", L"v0", L""})
        EXPECT_EQ(vdx.findMediaFilename(pszName), -1);
    // The previous file of a type before a start, clamped to the catalogue.
    EXPECT_EQ(vdx.getPreviousIndex(kAll, 99), 3);
    EXPECT_EQ(vdx.getPreviousIndex(kVideo, 99), 2);
    EXPECT_EQ(vdx.getPreviousIndex(kPicture, 3), 1);
    EXPECT_EQ(vdx.getPreviousIndex(kAll, 1), 0);
    for (int nStart : {0, -1, INT_MIN})
        EXPECT_EQ(vdx.getPreviousIndex(kAll, nStart), -1);
    EXPECT_EQ(vdx.getPreviousIndex(kOther, 3), -1);
    // A type's view only takes a file of its type; out of range is refused and moves nothing.
    EXPECT_TRUE(vdx.setCurrentIndex(kVideo, 0));
    EXPECT_TRUE(vdx.setCurrentIndex(kPicture, 1));
    EXPECT_TRUE(vdx.setCurrentIndex(kAll, 2));
    EXPECT_FALSE(vdx.setCurrentIndex(kAll, 4));
    EXPECT_FALSE(vdx.setCurrentIndex(kPicture, 30));
    EXPECT_EQ(KyTestViews(vdx.GetState()), "2/0/1");
    // Negative clears the view; another filter stores nothing and still answers true.
    EXPECT_TRUE(vdx.setCurrentIndex(kVideo, -5));
    EXPECT_TRUE(vdx.setCurrentIndex(kOther, 1));
    EXPECT_EQ(KyTestViews(vdx.GetState()), "2/-1/1");

    // Copies overwrite their target and refuse bad paths.
    ASSERT_TRUE(KyTestWriteFile(dir.File(L"a.avi"), "new"));
    ASSERT_TRUE(KyTestWriteFile(dir.File(L"b.avi"), "old"));
    EXPECT_TRUE(vdx.copyFile(dir.File(L"a.avi"), dir.File(L"b.avi")));
    EXPECT_EQ(KyTestReadFile(dir.File(L"b.avi")), "new");
    EXPECT_EQ(KyTestReadFile(dir.File(L"a.avi")), "new");
    EXPECT_FALSE(vdx.copyFile(L"", dir.File(L"c.avi")));
    EXPECT_FALSE(vdx.copyFile(dir.File(L"a.avi"), L""));
    EXPECT_FALSE(vdx.copyFile(dir.File(L"missing.avi"), dir.File(L"c.avi")));
    EXPECT_FALSE(KyTestFileExists(dir.File(L"c.avi")));

    // Stopping a recording fails outside camera mode and has nothing to stop in it.
    EXPECT_FALSE(vdx.stopRecord());
    ASSERT_TRUE(vdx.SetVideoMode(eVideoModeCamera, eVideoMediaTypeVideo));
    EXPECT_TRUE(vdx.stopRecord());
    EXPECT_FALSE(vdx.GetState().bRecording);
    EXPECT_TRUE(vdx.exitRecord());
    EXPECT_FALSE(vdx.GetState().bWorkerRunning);
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
