// Export macro of the camera video component library (KyCameraVideo).
#pragma once

#if defined(_WIN32)
#if defined(KYCAMERAVIDEO_BUILD)
#define KYCAMERAVIDEO_API __declspec(dllexport)
#else
#define KYCAMERAVIDEO_API __declspec(dllimport)
#endif
#else
#define KYCAMERAVIDEO_API __attribute__((visibility("default")))
#endif
