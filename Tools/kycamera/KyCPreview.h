// The live view in the terminal: the live display's picture, redrawn a few times a second.
#pragma once

#include <condition_variable>
#include <mutex>
#include <thread>

#include "KyCGeometry.h"

class KyCConsole;
class KyCLiveDisplay;

// Copies what the host layer's live display shows (the pictures the component routes to it,
// also while it records) and draws it into the console's preview area from its own thread
// ("Preview"). A picture the display has already shown is not drawn again.
class KyCPreview {
public:
    static constexpr unsigned kRefreshMs = 200;

    KyCPreview(KyCConsole& console, KyCLiveDisplay& display);
    ~KyCPreview();  // Stop
    KyCPreview(const KyCPreview&) = delete;
    KyCPreview& operator=(const KyCPreview&) = delete;

    // Reserves the area for a picture of the camera's size, nColumns wide, and starts drawing.
    // False (nothing started) without a terminal.
    bool Start(KyCSize2 cameraSize, int nColumns);
    // Ends the thread and gives the screen back; harmless when not started.
    void Stop();
    unsigned GetPicturesDrawn() const;

private:
    void threadLoop(int nColumns);

    KyCConsole& m_Console;
    KyCLiveDisplay& m_Display;

    mutable std::mutex m_Mutex;  // guards the fields below
    std::condition_variable m_StopRequested;
    bool m_bStop = false;
    unsigned m_nDrawn = 0;
    std::thread m_Thread;
};
