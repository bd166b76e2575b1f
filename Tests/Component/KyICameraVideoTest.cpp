// The host calls the component through its virtual table: the slot order and the enumeration
// values must not move.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include <KyCameraVideo/KyCameraVideo.h>

namespace {

// Itanium C++ ABI (GCC on Linux and MinGW): a pointer to a virtual member function holds
// 1 + the byte offset of its slot in the virtual table of the class that declares it.
template <class PMF>
std::ptrdiff_t slotOf(PMF pmf) {
    static_assert(sizeof(PMF) == 2 * sizeof(std::uintptr_t), "Itanium member pointer");
    std::uintptr_t words[2];
    std::memcpy(words, &pmf, sizeof(words));
    EXPECT_EQ(words[0] & 1u, 1u) << "not a virtual function";
    return static_cast<std::ptrdiff_t>((words[0] - 1) / sizeof(void*));
}

}  // namespace

TEST(KyICameraVideoTest, OperationsKeepTheirVirtualTableSlotsAndEnumerationsTheirValues) {
    typedef const IExtensionInterface* (IExtensionInterface::*GetExtC)(const char*, bool) const;
    typedef IExtensionInterface* (IExtensionInterface::*GetExt)(const char*, bool);
    // Slots 0 and 1 hold the destructor (complete and deleting).
    EXPECT_EQ(slotOf(static_cast<GetExtC>(&IExtensionInterface::GetExtension)), 2);
    EXPECT_EQ(slotOf(static_cast<GetExt>(&IExtensionInterface::GetExtension)), 3);

    typedef std::wstring (KyICameraVideo::*GetNameT)(ERUXVideoMediaType, int*) const;
    typedef std::wstring (KyICameraVideo::*GetNameP)(int*) const;
    typedef bool (KyICameraVideo::*RemoveT)(ERUXVideoMediaType);
    typedef bool (KyICameraVideo::*Remove)();
    const std::ptrdiff_t slots[] = {
        slotOf(&KyICameraVideo::Init),
        slotOf(&KyICameraVideo::Exit),
        slotOf(&KyICameraVideo::SetLiveBitmapHandler),
        slotOf(&KyICameraVideo::SetVideoMode),
        slotOf(&KyICameraVideo::GetVideoMode),
        slotOf(&KyICameraVideo::GetMediaType),
        slotOf(&KyICameraVideo::StartVideo),
        slotOf(&KyICameraVideo::StopVideo),
        slotOf(&KyICameraVideo::IsRunning),
        slotOf(&KyICameraVideo::HasData),
        slotOf(&KyICameraVideo::SetFilePath),
        slotOf(static_cast<GetNameT>(&KyICameraVideo::GetFileName)),
        slotOf(static_cast<GetNameP>(&KyICameraVideo::GetFileName)),
        slotOf(&KyICameraVideo::PreviousFile),
        slotOf(&KyICameraVideo::NextFile),
        slotOf(static_cast<RemoveT>(&KyICameraVideo::RemoveFile)),
        slotOf(static_cast<Remove>(&KyICameraVideo::RemoveFile)),
    };
    for (std::ptrdiff_t i = 0; i < static_cast<std::ptrdiff_t>(std::size(slots)); ++i)
        EXPECT_EQ(slots[i], 4 + i) << "operation " << i << " of KyICameraVideo";

    // The reference-counted face has a table of its own, behind its destructor's two slots.
    typedef const CbReferenceCounter<unsigned int>& (IReferenceCounted::*GetCounter)() const;
    struct Probe : IReferenceCounted {
        static GetCounter member() { return &Probe::getReferenceCounter; }
    };
    EXPECT_EQ(slotOf(Probe::member()), 2);

    // The values hosts pass across the table.
    EXPECT_EQ(
        std::vector<int>({eVideoModeNone, eVideoModePlay, eVideoModeCamera, eVideoMediaTypeNone,
                          eVideoMediaTypeVideo, eVideoMediaTypePicture, eAcquireDeviceVDX}),
        std::vector<int>({-1, 0, 1, -1, 0, 1, 3}));
}
