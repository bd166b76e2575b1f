// COM on the calling thread for as long as a scope needs it (Windows platform files only).
#pragma once

// Joins the multithreaded apartment, or accepts the single-threaded one that the thread has
// already entered, and leaves again on destruction only when this object joined. Lives on the
// thread that created it.
class KyComApartment {
public:
    KyComApartment();
    ~KyComApartment();
    KyComApartment(const KyComApartment&) = delete;
    KyComApartment& operator=(const KyComApartment&) = delete;

    // False when COM cannot be used on this thread.
    bool IsReady() const { return m_bReady; }

private:
    bool m_bReady = false;
    bool m_bUninitialize = false;
};
