// Owner of one COM interface reference, for the Windows platform files.
#pragma once

// Releases its interface when it goes; `Out()` hands its slot to a creating call.
template <class T>
class KyComPtr {
public:
    KyComPtr() = default;
    ~KyComPtr() { Reset(); }
    KyComPtr(const KyComPtr&) = delete;
    KyComPtr& operator=(const KyComPtr&) = delete;

    T* Get() const { return m_p; }
    T* operator->() const { return m_p; }
    explicit operator bool() const { return m_p != nullptr; }
    // The slot for a call that creates the object; drops what was held before.
    T** Out() {
        Reset();
        return &m_p;
    }
    void Reset() {
        if (m_p != nullptr)
            m_p->Release();
        m_p = nullptr;
    }

private:
    T* m_p = nullptr;
};
