// The media catalogue: positions, views, counts and names over the list.
#include <gtest/gtest.h>

#include <climits>

#include "KyTestComponent.h"

namespace {

const ERUXVideoMediaType kAll = eVideoMediaTypeNone;
const ERUXVideoMediaType kVideo = eVideoMediaTypeVideo;
const ERUXVideoMediaType kPicture = eVideoMediaTypePicture;
// A value outside the named ones that the type can still hold.
const ERUXVideoMediaType kOther = static_cast<ERUXVideoMediaType>(-2);

}  // namespace

TEST(KyCCameraVideoVDXCatalogueTest, EmptyListAnswersNoneEverywhere) {
    KyTestCameraVideoVDX vdx;
    // Stored indices are not consulted while the list is empty.
    vdx.SetViews(3, 4, 5);
    for (ERUXVideoMediaType t : {kAll, kVideo, kPicture, kOther}) {
        SCOPED_TRACE(static_cast<int>(t));
        EXPECT_EQ(vdx.getCurrentIndex(t), -1);
        EXPECT_EQ(vdx.getFirstIndex(t), -1);
        EXPECT_EQ(vdx.getLastIndex(t), -1);
        EXPECT_EQ(vdx.getNextIndex(t, -1), -1);
        EXPECT_EQ(vdx.getPreviousIndex(t, 1), -1);
        for (int nPosition : {-1, 0, 1, 7})
            EXPECT_EQ(vdx.getMediaCount(t, nPosition), 0) << nPosition;
        EXPECT_EQ(vdx.getMediaFilename(t, 0), L"");
        EXPECT_EQ(vdx.getCurrentFilename(t), L"");
        std::wstring strName = L"x";
        EXPECT_FALSE(vdx.getCurrentFilename(t, strName));
        EXPECT_EQ(strName, L"");
        EXPECT_FALSE(vdx.hasData(t));
        EXPECT_FALSE(vdx.removeMediaFile(t, 0));
    }
    EXPECT_EQ(vdx.getMediaType(0), kAll);
}

TEST(KyCCameraVideoVDXCatalogueTest, StepsThroughVideoPictureVideo) {
    KyTestCameraVideoVDX vdx;
    vdx.AddEntries("V P V");
    EXPECT_EQ(vdx.getNextIndex(kVideo, 0), 2);
    EXPECT_EQ(vdx.getNextIndex(kPicture, 1), -1);
    EXPECT_EQ(vdx.getPreviousIndex(kPicture, 2), 1);
    EXPECT_EQ(vdx.getLastIndex(kPicture), 1);
    EXPECT_EQ(vdx.getFirstIndex(kVideo), 0);
    EXPECT_EQ(vdx.getFirstIndex(kPicture), 1);
    EXPECT_EQ(vdx.getLastIndex(kVideo), 2);
    EXPECT_EQ(vdx.getLastIndex(kAll), 2);
    EXPECT_EQ(vdx.getMediaCount(kVideo, 2), 2);
    EXPECT_EQ(vdx.getMediaCount(kAll, 7), 3);
    EXPECT_EQ(vdx.getFirstIndex(kOther), -1);
    EXPECT_EQ(vdx.getLastIndex(kOther), -1);
}

TEST(KyCCameraVideoVDXCatalogueTest, BrowsingStopsAtBothEndsWithoutWrapping) {
    KyTestCameraVideoVDX vdx;
    vdx.AddEntries("V P V");
    EXPECT_EQ(vdx.getNextIndex(kAll, 2), -1);
    EXPECT_EQ(vdx.getNextIndex(kVideo, 2), -1);
    EXPECT_EQ(vdx.getPreviousIndex(kAll, 0), -1);
    EXPECT_EQ(vdx.getPreviousIndex(kVideo, 0), -1);
    EXPECT_EQ(vdx.getNextIndex(kAll, INT_MAX), -1);
    EXPECT_EQ(vdx.getPreviousIndex(kAll, INT_MIN), -1);
}

TEST(KyCCameraVideoVDXCatalogueTest, NextAndPreviousClampTheirStart) {
    KyTestCameraVideoVDX vdx;
    vdx.AddEntries("P V P V");
    // Below -1 counts as -1; above the end counts as the end.
    EXPECT_EQ(vdx.getNextIndex(kAll, -9), 0);
    EXPECT_EQ(vdx.getNextIndex(kVideo, -9), 1);
    EXPECT_EQ(vdx.getPreviousIndex(kAll, 99), 3);
    EXPECT_EQ(vdx.getPreviousIndex(kPicture, 99), 2);
    EXPECT_EQ(vdx.getPreviousIndex(kAll, 1), 0);
    EXPECT_EQ(vdx.getNextIndex(kAll, 2), 3);
    EXPECT_EQ(vdx.getNextIndex(kOther, 0), -1);
    EXPECT_EQ(vdx.getPreviousIndex(kOther, 3), -1);
}

TEST(KyCCameraVideoVDXCatalogueTest, CountsAreOrdinalsAndTotals) {
    KyTestCameraVideoVDX vdx;
    vdx.AddEntries("V P V P P");
    // At an entry of the type: its 1-based ordinal among its type.
    EXPECT_EQ(vdx.getMediaCount(kPicture, 3), 2);
    EXPECT_EQ(vdx.getMediaCount(kPicture, 4), 3);
    EXPECT_EQ(vdx.getMediaCount(kVideo, 2), 2);
    // At the count or beyond: the totals.
    EXPECT_EQ(vdx.getMediaCount(kVideo, 5), 2);
    EXPECT_EQ(vdx.getMediaCount(kPicture, 500), 3);
    EXPECT_EQ(vdx.getMediaCount(kAll, 5), 5);
    EXPECT_EQ(vdx.getMediaCount(kAll, 1), 2);
    EXPECT_EQ(vdx.getMediaCount(kOther, 5), 0);
    // Before the list: nothing counted for a type; the plain position + 1 for all media.
    EXPECT_EQ(vdx.getMediaCount(kVideo, -1), 0);
    EXPECT_EQ(vdx.getMediaCount(kAll, -1), 0);
    EXPECT_EQ(vdx.getMediaCount(kAll, -5), -4);
    EXPECT_TRUE(vdx.hasData(kPicture));
    EXPECT_TRUE(vdx.hasData(kAll));
    EXPECT_FALSE(vdx.hasData(kOther));
}

TEST(KyCCameraVideoVDXCatalogueTest, CurrentIndexOfEachView) {
    KyTestCameraVideoVDX vdx;
    vdx.AddEntries("V P V");
    vdx.SetViews(1, 2, 1);
    EXPECT_EQ(vdx.getCurrentIndex(kAll), 1);
    EXPECT_EQ(vdx.getCurrentIndex(kVideo), 2);
    EXPECT_EQ(vdx.getCurrentIndex(kPicture), 1);
    EXPECT_EQ(vdx.getCurrentIndex(kOther), -1);
    EXPECT_TRUE(vdx.isValid(kAll));
    EXPECT_FALSE(vdx.isValid(kOther));
    vdx.SetViews(-1, 0, -1);
    EXPECT_FALSE(vdx.isValid(kAll));
    EXPECT_TRUE(vdx.isValid(kVideo));
    EXPECT_FALSE(vdx.isValid(kPicture));
}

TEST(KyCCameraVideoVDXCatalogueTest, IsValidReadsTheStoredIndexOnly) {
    KyTestCameraVideoVDX vdx;
    vdx.SetViews(0, 5, -1);  // on an empty list
    EXPECT_TRUE(vdx.isValid(kAll));
    EXPECT_TRUE(vdx.isValid(kVideo));
    EXPECT_FALSE(vdx.isValid(kPicture));
}

TEST(KyCCameraVideoVDXCatalogueTest, SetCurrentIndexOfATypeStaysOnItsType) {
    KyTestCameraVideoVDX vdx;
    vdx.AddEntries("V P V P");
    // Entry 1 is a picture: the video view takes the newest video instead.
    EXPECT_TRUE(vdx.setCurrentIndex(kVideo, 1));
    EXPECT_EQ(vdx.Views(), "-1/2/-1");
    EXPECT_TRUE(vdx.setCurrentIndex(kPicture, 3));
    EXPECT_EQ(vdx.Views(), "-1/2/3");
    EXPECT_TRUE(vdx.setCurrentIndex(kPicture, 0));
    EXPECT_EQ(vdx.Views(), "-1/2/3");
    // The all-media view takes any entry.
    EXPECT_TRUE(vdx.setCurrentIndex(kAll, 1));
    EXPECT_EQ(vdx.Views(), "1/2/3");
    // Another filter stores nothing but still answers true.
    EXPECT_TRUE(vdx.setCurrentIndex(kOther, 1));
    EXPECT_EQ(vdx.Views(), "1/2/3");
}

TEST(KyCCameraVideoVDXCatalogueTest, SetCurrentIndexOfATypeWithoutEntriesClearsIt) {
    KyTestCameraVideoVDX vdx;
    vdx.AddEntries("P P");
    vdx.SetViews(0, 1, 0);
    EXPECT_TRUE(vdx.setCurrentIndex(kVideo, 0));
    EXPECT_EQ(vdx.Views(), "0/-1/0");
}

TEST(KyCCameraVideoVDXCatalogueTest, SetCurrentIndexOutOfRange) {
    KyTestCameraVideoVDX vdx;
    vdx.AddEntries("V P V");
    vdx.SetViews(0, 2, 1);
    EXPECT_FALSE(vdx.setCurrentIndex(kAll, 3));
    EXPECT_FALSE(vdx.setCurrentIndex(kVideo, 3));
    EXPECT_FALSE(vdx.setCurrentIndex(kPicture, 30));
    EXPECT_EQ(vdx.Views(), "0/2/1");
    EXPECT_TRUE(vdx.setCurrentIndex(kVideo, -5));
    EXPECT_EQ(vdx.Views(), "0/-1/1");
    EXPECT_TRUE(vdx.setCurrentIndex(kAll, -1));
    EXPECT_TRUE(vdx.setCurrentIndex(kPicture, -2));
    EXPECT_EQ(vdx.Views(), "-1/-1/-1");
    vdx.SetViews(0, 2, 1);
    EXPECT_TRUE(vdx.setCurrentIndex(kOther, -1));
    EXPECT_EQ(vdx.Views(), "0/2/1");
}

TEST(KyCCameraVideoVDXCatalogueTest, NamesAndTypesByPosition) {
    KyTestCameraVideoVDX vdx;
    vdx.AddEntries("V P V");
    EXPECT_EQ(vdx.getMediaFilename(kAll, 1), L"p1.jpg");
    EXPECT_EQ(vdx.getMediaFilename(kPicture, 1), L"p1.jpg");
    EXPECT_EQ(vdx.getMediaFilename(kVideo, 1), L"");
    EXPECT_EQ(vdx.getMediaFilename(kAll, 3), L"");
    EXPECT_EQ(vdx.getMediaFilename(kAll, -1), L"");
    EXPECT_EQ(vdx.getMediaFilename(kOther, 0), L"");
    EXPECT_EQ(vdx.getMediaType(0), kVideo);
    EXPECT_EQ(vdx.getMediaType(1), kPicture);
    EXPECT_EQ(vdx.getMediaType(3), kAll);
    EXPECT_EQ(vdx.getMediaType(-1), kAll);
}

TEST(KyCCameraVideoVDXCatalogueTest, CurrentFilenameOfEachView) {
    KyTestCameraVideoVDX vdx;
    vdx.AddEntries("V P V");
    vdx.SetViews(1, 0, -1);
    EXPECT_EQ(vdx.getCurrentFilename(kAll), L"p1.jpg");
    EXPECT_EQ(vdx.getCurrentFilename(kVideo), L"v0.avi");
    EXPECT_EQ(vdx.getCurrentFilename(kPicture), L"");
    std::wstring strName;
    EXPECT_TRUE(vdx.getCurrentFilename(kVideo, strName));
    EXPECT_EQ(strName, L"v0.avi");
    EXPECT_FALSE(vdx.getCurrentFilename(kPicture, strName));
    EXPECT_EQ(strName, L"");
}

TEST(KyCCameraVideoVDXCatalogueTest, FindMatchesTheExactNameOnly) {
    KyTestCameraVideoVDX vdx;
    vdx.AddEntries("V P V");
    vdx.addMediaFile(kVideo, CTime(5), L"v0.avi");  // duplicates are not checked
    EXPECT_EQ(vdx.Count(), 4);
    EXPECT_EQ(vdx.findMediaFilename(L"v0.avi"), 0);
    EXPECT_EQ(vdx.findMediaFilename(L"v2.avi"), 2);
    EXPECT_EQ(vdx.findMediaFilename(L"V0.AVI"), -1);
    EXPECT_EQ(vdx.findMediaFilename(L"v0"), -1);
    EXPECT_EQ(vdx.findMediaFilename(L""), -1);
}

TEST(KyCCameraVideoVDXCatalogueTest, AddAppendsWhateverItsTimeAndMovesNoView) {
    KyTestCameraVideoVDX vdx;
    vdx.AddEntries("V P");
    vdx.SetViews(0, 0, 1);
    EXPECT_TRUE(vdx.addMediaFile(kPicture, CTime(1), L"old.jpg"));
    EXPECT_TRUE(vdx.addMediaFile(kOther, CTime(2), L"odd"));
    EXPECT_EQ(vdx.Names(), "v0.avi p1.jpg old.jpg odd");
    EXPECT_EQ(vdx.TimeAt(2), CTime(1));
    EXPECT_EQ(vdx.getMediaType(3), kOther);  // stored unchanged
    EXPECT_EQ(vdx.Views(), "0/0/1");
}

TEST(KyCCameraVideoVDXCatalogueTest, RemoveShiftsLaterEntriesAndMovesNoView) {
    KyTestCameraVideoVDX vdx;
    vdx.AddEntries("V P V P");
    vdx.SetViews(3, 2, 3);
    EXPECT_TRUE(vdx.removeMediaFile(kVideo, 1));  // the type is not consulted
    EXPECT_EQ(vdx.Names(), "v0.avi v2.avi p3.jpg");
    EXPECT_EQ(vdx.Views(), "3/2/3");
    EXPECT_TRUE(vdx.removeMediaFile(kAll, 99));
    EXPECT_TRUE(vdx.removeMediaFile(kAll, -1));
    EXPECT_EQ(vdx.Count(), 3);
    EXPECT_TRUE(vdx.removeMediaFile(kAll, 2));
    EXPECT_TRUE(vdx.removeMediaFile(kAll, 0));
    EXPECT_TRUE(vdx.removeMediaFile(kAll, 0));
    EXPECT_EQ(vdx.Count(), 0);
    EXPECT_FALSE(vdx.removeMediaFile(kAll, 0));
}

TEST(KyCCameraVideoVDXCatalogueTest, MediaTypeOfAMode) {
    KyTestCameraVideoVDX vdx;
    vdx.SetPlayMediaType(kPicture);
    EXPECT_EQ(vdx.getMediaType(eVideoModePlay), kPicture);
    EXPECT_EQ(vdx.getMediaType(eVideoModeCamera), kVideo);
    EXPECT_EQ(vdx.getMediaType(eVideoModeNone), kAll);
    EXPECT_EQ(vdx.getMediaType(static_cast<ERUXVideoMode>(-2)), kAll);
    EXPECT_EQ(vdx.GetMediaType(eVideoModePlay), kPicture);
}
