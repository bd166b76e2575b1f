// What the page may do to the component, checked and carried out one request at a time.
#pragma once

#include <mutex>
#include <string>

#include "KyCameraVideoViews.h"
#include "KyICameraVideo.h"

class KyCCameraVideoVDX;

// Every answer is an HTTP status: 200 done, 400 a parameter not understood, 404 no such
// catalogue entry, 409 the component refused. Views are "all", "video" and "picture";
// positions count within the view, oldest first, as GetFileName reports them.
//
// Threads: the server's request threads. m_Mutex makes the pages' changes one at a time, so
// that a mode switch or a step is never interleaved with another; it is taken before any of the
// component's locks (which the component takes inside its calls) and never inside one.
class KyCServeControl {
public:
    // A catalogue entry found by view and position.
    struct SEntry {
        ERUXVideoMediaType eMediaType = eVideoMediaTypeNone;
        int nViewPosition = -1;  // in the view of its own type
        std::string strName;     // bare file name, UTF-8
        std::string strPath;     // full path, UTF-8
    };

    KyCServeControl(KyICameraVideo& component, KyCCameraVideoVDX& controller);

    SCameraVideoState GetState() const;
    SRecordingStatistics GetStatistics() const;

    // Parses "all", "video", "picture"; false for anything else.
    static bool ParseView(const std::string& strView, ERUXVideoMediaType& eView);
    // Digits only, at most six; false for anything else.
    static bool ParsePosition(const std::string& strPosition, int& nPosition);
    // False when the view has no such position.
    bool Find(ERUXVideoMediaType eView, int nPosition, SEntry& entry) const;

    int SetMode(const std::string& strMode, const std::string& strType);
    int Start();
    int Stop();
    // Switches to camera mode for videos (pictures) when needed, then starts (captures).
    int Record();
    int Capture();
    int Step(const std::string& strView, bool bForward);
    // Steps the view until the entry is its current one.
    // strName, when not empty, must be the entry's file name (409 otherwise): the page names
    // the file it shows, so that a catalogue changed by another page cannot swap it.
    int Select(const std::string& strView, const std::string& strPosition,
               const std::string& strName);
    // Makes the entry current in the view of its type and removes it.
    int Remove(const std::string& strView, const std::string& strPosition,
               const std::string& strName);

private:
    // Parses the view and position and finds the entry there, which must carry strName when one
    // is given: 200, 400 (bad view or position), 404 (no entry) or 409 (another file is there).
    int findLocked(const std::string& strView, const std::string& strPosition,
                   const std::string& strName, ERUXVideoMediaType& eView, int& nPosition,
                   SEntry& entry) const;
    // Steps the view until its current file is at the position; 200, or 409 when stuck.
    int walkLocked(ERUXVideoMediaType eView, int nPosition);
    static int answer(bool bDone) { return bDone ? 200 : 409; }

    KyICameraVideo& m_Component;
    KyCCameraVideoVDX& m_Controller;
    std::mutex m_Mutex;  // one change at a time; taken before the component's locks
};
