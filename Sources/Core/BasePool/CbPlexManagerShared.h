// Reference-counted owner of one node pool, so that the pool's user and its lists share it.
#pragma once

#include <utility>

#include "CbReferenceCounter.h"
#include "CbSmartPointer.h"
#include "IReferenceCounted.h"

// Holds a TPool (a CbPlexManager) for whoever keeps a CbSmartPointer to it; the pool dies with
// the last one. Create it once, hand it to the list, and let go whenever convenient: the list's
// share keeps the pool alive until the list is gone. The count is atomic; the pool is not
// thread-safe (see CbPlexManager).
template <class TPool>
class CbPlexManagerShared final : public IReferenceCounted {
public:
    template <class... TArgs>
    static CbSmartPointer<CbPlexManagerShared> Create(TArgs&&... args) {
        return CbSmartPointer<CbPlexManagerShared>(
            new CbPlexManagerShared(std::forward<TArgs>(args)...));
    }

    CbPlexManagerShared(const CbPlexManagerShared&) = delete;
    CbPlexManagerShared& operator=(const CbPlexManagerShared&) = delete;

    TPool& GetPool() { return m_Pool; }

protected:
    const CbReferenceCounter<unsigned int>& getReferenceCounter() const override {
        return m_Counter;
    }

private:
    template <class... TArgs>
    explicit CbPlexManagerShared(TArgs&&... args) : m_Pool(std::forward<TArgs>(args)...) {}
    ~CbPlexManagerShared() override = default;

    CbReferenceCounter<unsigned int> m_Counter;
    TPool m_Pool;
};
