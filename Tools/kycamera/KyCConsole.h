// The output of kycamera: answers on standard output, errors on standard error, a progress line
// and the live preview area, written whole from any thread.
#pragma once

#include <mutex>
#include <ostream>
#include <string>
#include <vector>

// A terminal console overwrites its progress line in place and can keep a preview area at the
// top of the screen, with ordinary output scrolling beneath it (a scroll region). Otherwise
// progress lines are ordinary lines and there is no preview. Every operation takes m_Mutex, so
// lines from the preview thread, the camera watch and the job never interleave.
class KyCConsole {
public:
    KyCConsole(std::ostream& out, std::ostream& err, bool bTerminal);
    ~KyCConsole();
    KyCConsole(const KyCConsole&) = delete;
    KyCConsole& operator=(const KyCConsole&) = delete;

    bool IsTerminal() const { return m_bTerminal; }

    void Line(const std::string& strLine);
    // "kycamera: " + the text, on standard error.
    void Error(const std::string& strText);
    // Replaces the progress line (terminal), or prints it as a line.
    void Progress(const std::string& strLine);
    // Ends a progress line, so that the next output starts on a line of its own.
    void EndProgress();

    // Reserves nRows + 1 lines at the top for the preview; a no-op without a terminal.
    void BeginPreview(int nRows);
    // Draws the rows (and a caption beneath) into the reserved area; the cursor stays where the
    // ordinary output is.
    void DrawPreview(const std::vector<std::string>& vecRows, const std::string& strCaption);
    // Gives the whole screen back to ordinary output.
    void EndPreview();

private:
    void endProgressLocked();

    std::mutex m_Mutex;  // guards the streams and every field below; a leaf lock
    std::ostream& m_Out;
    std::ostream& m_Err;
    const bool m_bTerminal;
    bool m_bProgressOpen = false;
    int m_nPreviewRows = 0;  // 0: no preview area
};
