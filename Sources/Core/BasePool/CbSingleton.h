// Process-wide instance of a class, created on first use.
#pragma once

// One instance of T per process (per module that instantiates it: T's own library should
// instantiate it, see RUX2ComponentFactory::CActiveAcquireDeviceType). Construction is
// thread-safe; T's own operations guard themselves.
template <class T>
class CbSingleton {
public:
    static T& GetInstance() {
        static T s_Instance;
        return s_Instance;
    }
};
