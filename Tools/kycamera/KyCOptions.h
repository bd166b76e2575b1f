// The command line of kycamera: the job and its options.
#pragma once

#include <string>
#include <vector>

#include "KyCGeometry.h"

class KyCOptions {
public:
    enum ECommand {
        eCommandNone,
        eCommandDemo,
        eCommandShell,
        eCommandServe,
        eCommandHelp,
        eCommandVersion
    };

    static const int kMaxSide = 8192;

    // False with a one-line reason for anything it does not understand.
    bool Parse(const std::vector<std::string>& vecArgs, std::string& strError);
    static std::string HelpText();

    bool IsSyntheticCamera() const { return m_strCamera == "synthetic"; }

    ECommand m_eCommand = eCommandNone;
    std::string m_strMediaDir = "media";
    bool m_bMediaDirGiven = false;
    std::string m_strCamera = "synthetic";
    KyCSize2 m_Size = KyCSize2(640, 480);
    bool m_bSizeGiven = false;
    float m_fFramesPerSecond = 18.0f;  // the recordings' own rate: no frame is shown twice
    bool m_bFramesPerSecondGiven = false;
    double m_fRecordSeconds = 3.0;
    bool m_bPreview = false;
    int m_nPreviewColumns = 0;  // 0: fit the terminal, at most 80
    unsigned m_nFrameTimeoutMs = 5000;
    // serve: where it listens; --listen (any address) also requires the access token.
    std::string m_strListenHost = "127.0.0.1";
    int m_nPort = 8080;
    bool m_bListenGiven = false;
    // For tests: platform faults to install ("write:~picture.jpg:112").
    std::vector<std::string> m_vecFaults;

private:
    bool parseOption(const std::string& strName, const std::string& strValue,
                     std::string& strError);
    bool parseListen(const std::string& strName, const std::string& strValue,
                     std::string& strError);
};
