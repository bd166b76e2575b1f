// Export macro of the host layer library (KyHost).
#pragma once

#if defined(_WIN32)
#if defined(KYHOST_BUILD)
#define KYHOST_API __declspec(dllexport)
#else
#define KYHOST_API __declspec(dllimport)
#endif
#else
#define KYHOST_API __attribute__((visibility("default")))
#endif

// Clang thread-safety annotations; empty for other compilers.
#if defined(__clang__)
#define KY_THREAD_ANNOTATION(x) __attribute__((x))
#else
#define KY_THREAD_ANNOTATION(x)
#endif
#define KY_CAPABILITY(x) KY_THREAD_ANNOTATION(capability(x))
#define KY_GUARDED_BY(x) KY_THREAD_ANNOTATION(guarded_by(x))
#define KY_ACQUIRE(...) KY_THREAD_ANNOTATION(acquire_capability(__VA_ARGS__))
#define KY_RELEASE(...) KY_THREAD_ANNOTATION(release_capability(__VA_ARGS__))
#define KY_REQUIRES(...) KY_THREAD_ANNOTATION(requires_capability(__VA_ARGS__))
#define KY_NO_THREAD_SAFETY_ANALYSIS KY_THREAD_ANNOTATION(no_thread_safety_analysis)
#define KY_TRY_ACQUIRE(...) KY_THREAD_ANNOTATION(try_acquire_capability(__VA_ARGS__))
#define KY_SCOPED_CAPABILITY KY_THREAD_ANNOTATION(scoped_lockable)
#define KY_ACQUIRED_BEFORE(...) KY_THREAD_ANNOTATION(acquired_before(__VA_ARGS__))
