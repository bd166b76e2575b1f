// The demo job: record a video, take two pictures, list the results.
#pragma once

#include <string>

class KyCCamera;
class KyCCameraWatch;
class KyCConsole;
class KyCMessagePump;
class KyCOptions;
class KyICameraVideo;

// Drives the component through its interface in the order a host does: media directory, camera
// mode with video, a recording of m_fRecordSeconds with a live progress line, camera mode with
// pictures and two captures a little over a second apart (names are stamped to the second),
// play mode, the catalogue and the current file. Every message the component posts is shown as
// soon as the call that posted it returns. Ends with 0 only when the video and both pictures are
// on disk, listed in the catalogue and whole. A leftover recording is recovered before
// SetFilePath; each take waits for a second whose name is free.
class KyCDemo {
public:
    KyCDemo(KyICameraVideo& component, KyCCamera& camera, KyCCameraWatch& watch,
            KyCConsole& console, KyCMessagePump& messages);

    // The exit code (KyCExitCode.h).
    int Run(const KyCOptions& options);

private:
    int record(const KyCOptions& options, std::wstring& strVideo);
    int capture(int nNumber, std::wstring& strPicture);
    int showCatalogue();
    int checkFiles(const std::wstring& strVideo, const std::wstring& strFirst,
                   const std::wstring& strSecond);
    // False after telling the user that no time-stamped name is free.
    bool waitForFreeSecond(int nMediaType);
    // Prints the call and the component's answer, then the messages it posted.
    bool answer(const std::string& strCall, bool bResult);

    KyICameraVideo& m_Component;
    KyCCamera& m_Camera;
    KyCCameraWatch& m_Watch;
    KyCConsole& m_Console;
    KyCMessagePump& m_Messages;
    std::wstring m_strMediaDir;
};
