// Parsing and checking the command line of kycamera.
#include "KyCOptions.h"

#include <cmath>
#include <cstdlib>

namespace {

// Options that take a value; the others are flags.
bool takesValue(const std::string& strName) {
    return strName == "--media" || strName == "--camera" || strName == "--size" ||
           strName == "--fps" || strName == "--seconds" || strName == "--preview-width" ||
           strName == "--frame-timeout" || strName == "--inject-fault" || strName == "--port" ||
           strName == "--listen";
}

bool parseNumber(const std::string& strText, double& fValue) {
    if (strText.empty())
        return false;
    char* pEnd = nullptr;
    fValue = std::strtod(strText.c_str(), &pEnd);
    return pEnd && *pEnd == '\0' && std::isfinite(fValue);
}

bool parseSize(const std::string& strText, KyCSize2& size) {
    const size_t nX = strText.find_first_of("xX");
    double fWidth = 0, fHeight = 0;
    if (nX == std::string::npos || !parseNumber(strText.substr(0, nX), fWidth) ||
        !parseNumber(strText.substr(nX + 1), fHeight))
        return false;
    if (fWidth != std::floor(fWidth) || fHeight != std::floor(fHeight) || fWidth < 1 ||
        fHeight < 1 || fWidth > KyCOptions::kMaxSide || fHeight > KyCOptions::kMaxSide)
        return false;
    size = KyCSize2(static_cast<int>(fWidth), static_cast<int>(fHeight));
    return true;
}

}  // namespace

bool KyCOptions::Parse(const std::vector<std::string>& vecArgs, std::string& strError) {
    for (size_t n = 0; n < vecArgs.size(); ++n) {
        const std::string& strArg = vecArgs[n];
        if (strArg == "-h" || strArg == "--help" || strArg == "help") {
            m_eCommand = eCommandHelp;
            return true;
        }
        if (strArg == "--version" || strArg == "version") {
            m_eCommand = eCommandVersion;
            return true;
        }
        if (strArg.size() > 2 && strArg.compare(0, 2, "--") == 0) {
            std::string strName = strArg, strValue;
            const size_t nEquals = strArg.find('=');
            if (nEquals != std::string::npos) {
                strName = strArg.substr(0, nEquals);
                strValue = strArg.substr(nEquals + 1);
            } else if (takesValue(strName)) {
                if (n + 1 >= vecArgs.size()) {
                    strError = "option " + strName + " needs a value";
                    return false;
                }
                strValue = vecArgs[++n];
            }
            if (!parseOption(strName, strValue, strError))
                return false;
            continue;
        }
        if (m_eCommand != eCommandNone) {
            strError = "unexpected argument '" + strArg + "'";
            return false;
        }
        if (strArg == "demo")
            m_eCommand = eCommandDemo;
        else if (strArg == "shell")
            m_eCommand = eCommandShell;
        else if (strArg == "serve")
            m_eCommand = eCommandServe;
        else {
            strError = "unknown command '" + strArg + "' (try kycamera --help)";
            return false;
        }
    }
    if (m_eCommand == eCommandNone) {
        strError = "no command given: kycamera demo, kycamera shell or kycamera --help";
        return false;
    }
    return true;
}

bool KyCOptions::parseOption(const std::string& strName, const std::string& strValue,
                             std::string& strError) {
    double fValue = 0;
    if (strName == "--preview") {
        m_bPreview = true;
    } else if (strName == "--media") {
        if (strValue.empty()) {
            strError = "--media needs a directory";
            return false;
        }
        m_strMediaDir = strValue;
        m_bMediaDirGiven = true;
    } else if (strName == "--camera") {
        if (strValue.empty()) {
            strError = "--camera needs 'synthetic' or a device such as /dev/video0";
            return false;
        }
        m_strCamera = strValue;
    } else if (strName == "--size") {
        if (!parseSize(strValue, m_Size)) {
            strError = "--size needs WIDTHxHEIGHT, each 1 to 8192 (got '" + strValue + "')";
            return false;
        }
        m_bSizeGiven = true;
    } else if (strName == "--fps") {
        if (!parseNumber(strValue, fValue) || fValue < 0 || fValue > 1000) {
            strError = "--fps needs a frame rate from 0 to 1000 (got '" + strValue + "')";
            return false;
        }
        m_fFramesPerSecond = static_cast<float>(fValue);
        m_bFramesPerSecondGiven = true;
    } else if (strName == "--seconds") {
        if (!parseNumber(strValue, fValue) || fValue < 0.5 || fValue > 3600) {
            strError = "--seconds needs a duration from 0.5 to 3600 (got '" + strValue + "')";
            return false;
        }
        m_fRecordSeconds = fValue;
    } else if (strName == "--preview-width") {
        if (!parseNumber(strValue, fValue) || fValue != std::floor(fValue) || fValue < 8 ||
            fValue > 400) {
            strError =
                "--preview-width needs a column count from 8 to 400 (got '" + strValue + "')";
            return false;
        }
        m_nPreviewColumns = static_cast<int>(fValue);
    } else if (strName == "--frame-timeout") {
        if (!parseNumber(strValue, fValue) || fValue != std::floor(fValue) || fValue < 100 ||
            fValue > 600000) {
            strError =
                "--frame-timeout needs milliseconds from 100 to 600000 (got '" + strValue + "')";
            return false;
        }
        m_nFrameTimeoutMs = static_cast<unsigned>(fValue);
    } else if (strName == "--port" || strName == "--listen") {
        return parseListen(strName, strValue, strError);
    } else if (strName == "--inject-fault") {
        m_vecFaults.push_back(strValue);
    } else {
        strError = "unknown option " + strName + " (try kycamera --help)";
        return false;
    }
    return true;
}

bool KyCOptions::parseListen(const std::string& strName, const std::string& strValue,
                             std::string& strError) {
    std::string strHost = m_strListenHost, strPort = strValue;
    if (strName == "--listen") {
        const size_t nColon = strValue.rfind(':');
        if (nColon == std::string::npos || nColon == 0) {
            strError = "--listen needs ADDR:PORT (got '" + strValue + "')";
            return false;
        }
        strHost = strValue.substr(0, nColon);
        if (strHost.size() > 2 && strHost.front() == '[' && strHost.back() == ']')
            strHost = strHost.substr(1, strHost.size() - 2);
        strPort = strValue.substr(nColon + 1);
    }
    double fPort = 0;
    if (!parseNumber(strPort, fPort) || fPort != std::floor(fPort) || fPort < 0 || fPort > 65535) {
        strError = strName + " needs a port from 0 to 65535 (got '" + strValue + "')";
        return false;
    }
    m_strListenHost = strHost;
    m_nPort = static_cast<int>(fPort);
    m_bListenGiven = m_bListenGiven || strName == "--listen";
    return true;
}

std::string KyCOptions::HelpText() {
    return R"(kycamera - the camera video component's host: record, capture and browse media files

usage: kycamera demo  [options]   record 3 s of video, take two pictures, list the results
       kycamera shell [options]   read commands from standard input, one per line
       kycamera serve [options]   the camera, recordings and pictures in a web browser
       kycamera --help | --version

options:
  --media DIR          media directory, created if missing (demo default ./media; the
                       shell starts without one unless it is given)
  --camera CAMERA      'synthetic' (default, the built-in moving test picture) or a V4L2
                       device such as /dev/video0 (Linux)
  --size WxH           frame size wished from the camera (default 640x480; a V4L2 camera
                       gets the nearest size it offers)
  --fps N              camera frame rate (synthetic default 18; 0: a camera that delivers
                       nothing; V4L2 default: the driver's)
  --seconds N          length of the demo recording (default 3)
  --preview            draw the live picture in the terminal (24-bit colour)
  --preview-width N    columns of the preview (default: the terminal's width, at most 80)
  --frame-timeout MS   how long to wait for the camera's first picture (default 5000)
  --port N             serve: the port on 127.0.0.1 (default 8080; 0 picks a free one)
  --listen ADDR:PORT   serve: listen on another address; every request then needs the
                       access token printed at start

shell commands:
  dir PATH                          set the media directory
  mode none|play|camera [video|picture|all]
                                    switch the video mode (and its media type)
  start, stop                       start / stop video (record, capture or playback)
  status                            mode, media types, running, file counts
  list                              the catalogue, with the current file of each view
  next [TYPE], prev [TYPE]          step the view of TYPE (video, picture, all; default all)
  remove [TYPE]                     delete the current file of the view (default: the
                                    media type of play mode, which next/prev all follow)
  path [TYPE]                       full path and position of the current file (same default)
  wait SECONDS                      pause a script, e.g. while it records
  help, quit
  '#' starts a comment; 'single' or "double" quotes keep blanks in a word.

exit codes:
  0    done
  1    the component refused an operation the job needs
  2    a bad command line, or a shell line that was not understood
  3    the media directory cannot be created or written
  4    the camera is missing, busy, unsupported, silent or was unplugged
  5    a file could not be written or filed whole (disk full?), or a leftover
       recording could not be recovered
  130  ended by Ctrl-C (SIGINT); 143 by SIGTERM, 129 by SIGHUP (the recording so far
       is filed)
)";
}
