// One mutex for a test fake's fields, with the three ways the fakes take it.
#pragma once

#include <mutex>
#include <utility>

// A private base of fakes that any thread may call: the lock is held only inside these helpers
// (and where a fake waits on it), never while the fake calls out.
class KyTestGuarded {
protected:
    template <class Action>
    auto locked(Action action) const {
        std::lock_guard<std::mutex> lock(m_Mutex);
        return action();
    }
    template <class T>
    T get(const T& field) const {
        return locked([&] { return field; });
    }
    template <class T, class U>
    void set(T& field, U&& value) {
        locked([&] { field = std::forward<U>(value); });
    }

    mutable std::mutex m_Mutex;  // guards the fields the derived fake declares guarded
};
