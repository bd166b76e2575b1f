// The interactive host: one command per line, the component's answers echoed.
#pragma once

#include <istream>
#include <string>
#include <vector>

class KyCConsole;
class KyCMessagePump;
class KyICameraVideo;

// Commands: dir, mode, start, stop, status, list, next, prev, remove, path, wait, help, quit (see
// HelpLines). Empty lines and lines starting with '#' are skipped. A line that is not understood
// gets one error line on standard error and the shell goes on. The component's answers (true or
// false, paths, positions) are output, not errors.
//
// Exit code: 0 when nothing went wrong, otherwise that of the last error: 2 for a line that was
// not understood, 3 for a media directory that cannot be used.
class KyCShell {
public:
    KyCShell(KyICameraVideo& component, KyCConsole& console, KyCMessagePump& messages);

    // Reads lines until quit or the end of the input. bEcho prints each command ("> start")
    // before its answers, for transcripts of scripted input.
    int Run(std::istream& in, bool bEcho);
    // Runs one line; false once the shell should end.
    bool Execute(const std::string& strLine);
    // Sets the media directory as `dir` does; false after reporting why it cannot be used.
    bool SetDirectory(const std::string& strDirectory);
    int GetExitCode() const { return m_nExitCode; }

    static std::vector<std::string> HelpLines();

private:
    void commandMode(const std::vector<std::string>& vecArgs);
    void commandStart();
    void commandStop();
    void commandStatus();
    void commandList();
    void commandStep(const std::vector<std::string>& vecArgs, bool bForward);
    void commandRemove(const std::vector<std::string>& vecArgs);
    void commandPath(const std::vector<std::string>& vecArgs);
    void commandWait(const std::vector<std::string>& vecArgs);

    // The answer line, after the messages the call posted.
    void answer(const std::string& strCall, bool bResult, const std::string& strDetail = "");
    // "(video 2 of 3)" for the current file of the view, or "(none)".
    std::string describeCurrent(int nMediaType) const;
    void fail(int nExitCode, const std::string& strText);

    KyICameraVideo& m_Component;
    KyCConsole& m_Console;
    KyCMessagePump& m_Messages;
    std::wstring m_strMediaDir;
    int m_nLine = 0;
    int m_nExitCode = 0;
};
