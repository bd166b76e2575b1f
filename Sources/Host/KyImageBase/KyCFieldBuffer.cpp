// Shared pixel memory behind KyCFieldBase.
#include "KyCFieldBuffer.h"

#include <cstring>
#include <memory>
#include <new>

KyCFieldBuffer* KyCFieldBuffer::Create(std::size_t nBytes) {
    if (nBytes == 0)
        return nullptr;
    void* pMemory = ::operator new(nBytes, std::align_val_t(kAlignment), std::nothrow);
    if (pMemory == nullptr)
        return nullptr;
    std::memset(pMemory, 0, nBytes);
    KyCFieldBuffer* pBuffer =
        new (std::nothrow) KyCFieldBuffer(static_cast<unsigned char*>(pMemory), nBytes);
    if (pBuffer == nullptr)
        ::operator delete(pMemory, std::align_val_t(kAlignment));
    return pBuffer;
}

KyCFieldBuffer::~KyCFieldBuffer() {
    ::operator delete(static_cast<void*>(m_pData), std::align_val_t(kAlignment));
}

void KyCFieldBuffer::Release() {
    // acq_rel: the last owner must see every other owner's writes before the memory goes.
    if (m_nOwners.fetch_sub(1, std::memory_order_acq_rel) == 1)
        delete this;
}
