// A result that the caller is expected to examine.
#pragma once

#include <cassert>

// Wraps a result; reading it (or SetChecked) marks it as examined. Debug builds assert when a
// result goes unexamined, which catches callers that drop an error on the floor.
template <class T>
class [[nodiscard]] CbCheckReturn {
public:
    CbCheckReturn(T value) : m_Value(value) {}
    CbCheckReturn(const CbCheckReturn& other) : m_Value(other.m_Value), m_bChecked(false) {
        other.m_bChecked = true;
    }
    CbCheckReturn& operator=(const CbCheckReturn&) = delete;
    ~CbCheckReturn() { assert(m_bChecked && "CbCheckReturn: result not examined"); }

    T GetValue() const {
        m_bChecked = true;
        return m_Value;
    }
    operator T() const { return GetValue(); }
    void SetChecked() const { m_bChecked = true; }
    bool IsChecked() const { return m_bChecked; }

private:
    T m_Value;
    mutable bool m_bChecked = false;
};
