// Callbacks: member binding and the shared, reference-counted implementation.
#include <gtest/gtest.h>

#include "CbFunctor.h"

namespace {

struct STarget {
    void Add(int n) { m_nSum += n; }
    int m_nSum = 0;
};

typedef CbFunctor<void(int)> AddFunctor;
typedef CbFunctorMember<STarget, void(int)> AddMember;

}  // namespace

TEST(CbFunctorTest, CopiesCallTheBoundMemberAndShareOneImplementationUntilTheLastGoes) {
    EXPECT_FALSE(AddFunctor().IsValid());
    STarget target, other;
    CbSmartPointer<AddFunctor::Impl> pImpl(new AddMember(&target, &STarget::Add));
    CbWeakPointer<AddFunctor::Impl> watch(pImpl);
    AddFunctor* pFirst = new AddFunctor(pImpl);
    pImpl.Release();
    (*pFirst)(3);
    AddFunctor copy(*pFirst);
    AddFunctor assigned;
    assigned = copy;
    delete pFirst;
    copy = AddFunctor();
    EXPECT_FALSE(watch.IsExpired()) << "the last copy still holds the implementation";
    assigned(4);
    EXPECT_EQ(target.m_nSum, 7);
    EXPECT_EQ(other.m_nSum, 0);
    assigned = AddFunctor();
    EXPECT_TRUE(watch.IsExpired()) << "the implementation dies with the last copy";
}
