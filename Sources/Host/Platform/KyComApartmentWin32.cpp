// COM on the calling thread for as long as a scope needs it.
#include "KyComApartment.h"

#include <objbase.h>

KyComApartment::KyComApartment() {
    const HRESULT hr = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    if (SUCCEEDED(hr)) {  // S_OK, or S_FALSE when the thread was already in the apartment
        m_bReady = true;
        m_bUninitialize = true;
    } else if (hr == RPC_E_CHANGED_MODE) {
        // The thread's owner chose a single-threaded apartment; our objects work in it too.
        m_bReady = true;
    }
}

KyComApartment::~KyComApartment() {
    if (m_bUninitialize)
        CoUninitialize();
}
