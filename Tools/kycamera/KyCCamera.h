// The camera kycamera works with: the built-in synthetic camera or a V4L2 device.
#pragma once

#include <memory>
#include <string>

#include "KyCGeometry.h"

class KyCOptions;
class KyCV4L2Camera;
class KyV4L2Device;

// A V4L2 camera is installed as the host acquisition (RUXComponentFactory::SetAcquisition), so
// the component drives it exactly as it drives the built-in one; the destructor uninstalls it.
// Destroy this object only after the component let go of the acquisition (mode none).
class KyCCamera {
public:
    KyCCamera();
    ~KyCCamera();
    KyCCamera(const KyCCamera&) = delete;
    KyCCamera& operator=(const KyCCamera&) = delete;

    // Sets up the camera the options name; false with a one-line reason.
    bool Open(const KyCOptions& options, std::string& strError);
    // The same for a V4L2 camera on the given device (a fake in tests).
    bool OpenV4L2(std::unique_ptr<KyV4L2Device> pDevice, const KyCOptions& options,
                  std::string& strError);

    // "synthetic camera 640x480 at 18 fps" or "/dev/video0 (UVC Camera): YUYV 640x480".
    std::string Describe() const;
    // The acquisition's image size.
    KyCSize2 GetSize() const;
    // A V4L2 camera that was unplugged; never the synthetic one.
    bool IsLost() const;
    std::string GetLostText() const;

private:
    void uninstall();

    std::unique_ptr<KyCV4L2Camera> m_pV4L2;
    std::string m_strDevice;
    float m_fSyntheticRate = 0.0f;
};
