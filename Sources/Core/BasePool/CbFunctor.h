// Copyable callbacks with reference-counted implementations.
#pragma once

#include "CbReferenceCounter.h"
#include "CbSmartPointer.h"
#include "IReferenceCounted.h"

template <class Signature>
class CbFunctorImpl;

// The implementation behind a CbFunctor: reference counted, so that every copy of the functor
// keeps it alive.
template <class R, class... Args>
class CbFunctorImpl<R(Args...)> : public IReferenceCounted {
public:
    virtual R Invoke(Args... args) = 0;

protected:
    const CbReferenceCounter<unsigned int>& getReferenceCounter() const override {
        return m_Counter;
    }

private:
    CbReferenceCounter<unsigned int> m_Counter;
};

template <class Signature>
class CbFunctor;

// A callback: empty when default-constructed, else calls its implementation.
template <class R, class... Args>
class CbFunctor<R(Args...)> {
public:
    typedef CbFunctorImpl<R(Args...)> Impl;

    CbFunctor() = default;
    explicit CbFunctor(const CbSmartPointer<Impl>& pImpl) : m_pImpl(pImpl) {}
    explicit CbFunctor(Impl* pImpl) : m_pImpl(pImpl) {}

    bool IsValid() const { return !m_pImpl.IsNull(); }
    R operator()(Args... args) const { return m_pImpl->Invoke(args...); }
    const CbSmartPointer<Impl>& GetImpl() const { return m_pImpl; }

private:
    CbSmartPointer<Impl> m_pImpl;
};

template <class Object, class Signature>
class CbFunctorMember;

// Binds an object and one of its member functions. Does not own the object: whoever hands the
// functor out must keep the object alive while the functor can be called.
template <class Object, class R, class... Args>
class CbFunctorMember<Object, R(Args...)> : public CbFunctorImpl<R(Args...)> {
public:
    typedef R (Object::*PMember)(Args...);

    CbFunctorMember(Object* pObject, PMember pMember) : m_pObject(pObject), m_pMember(pMember) {}
    R Invoke(Args... args) override { return (m_pObject->*m_pMember)(args...); }

private:
    Object* m_pObject;
    PMember m_pMember;
};
