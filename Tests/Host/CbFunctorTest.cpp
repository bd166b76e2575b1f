// Callbacks: empty functors, member binding, and the shared, reference-counted implementation.
#include <gtest/gtest.h>

#include "CbFunctor.h"

namespace {

class CTarget {
public:
    void Add(int n) { m_nSum += n; }
    int Twice(int n) { return 2 * n + m_nSum; }
    int m_nSum = 0;
};

typedef CbFunctor<void(int)> AddFunctor;
typedef CbFunctorMember<CTarget, void(int)> AddMember;

}  // namespace

TEST(CbFunctorTest, CallsTheBoundMemberOfTheBoundObject) {
    EXPECT_FALSE(AddFunctor().IsValid());
    CTarget target, other;
    AddFunctor functor(new AddMember(&target, &CTarget::Add));
    ASSERT_TRUE(functor.IsValid());
    functor(3);
    functor(4);
    EXPECT_EQ(target.m_nSum, 7);
    EXPECT_EQ(other.m_nSum, 0);
    CbFunctor<int(int)> twice(new CbFunctorMember<CTarget, int(int)>(&target, &CTarget::Twice));
    EXPECT_EQ(twice(5), 17);
}

TEST(CbFunctorTest, CopiesShareOneImplementationThatLivesAsLongAsAnyCopy) {
    CTarget target;
    CbSmartPointer<AddFunctor::Impl> pImpl(new AddMember(&target, &CTarget::Add));
    CbWeakPointer<AddFunctor::Impl> watch(pImpl);
    AddFunctor* pFirst = new AddFunctor(pImpl);
    pImpl.Release();
    AddFunctor copy(*pFirst);
    AddFunctor assigned;
    assigned = copy;
    delete pFirst;
    copy = AddFunctor();
    EXPECT_FALSE(watch.IsExpired()) << "the last copy still holds the implementation";
    assigned(5);
    EXPECT_EQ(target.m_nSum, 5);
    assigned = AddFunctor();
    EXPECT_TRUE(watch.IsExpired()) << "the implementation dies with the last copy";
}
