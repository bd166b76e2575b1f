// The interactive host: one command per line, the component's answers echoed.
#pragma once

#include <chrono>
#include <istream>
#include <string>
#include <vector>

#include "KyCWriteStall.h"

class KyCConsole;
class KyCMessagePump;
class KyICameraVideo;

// Commands: dir, mode, start, stop, status, list, next, prev, remove, path, wait, help, quit (see
// HelpLines); lines are split by KyCShellLine. A line that is not understood gets one error line
// on standard error and the shell goes on. The component's answers (true or false, paths,
// positions) are output, not errors.
//
// Nothing is lost behind the user's back: a leftover recording is recovered before a directory
// is set; start and remove are refused until a usable directory is set, and dir while a
// recording runs; a take waits for a second whose name is free; every filed file is checked; a
// recording that stops growing (a full disk) is stopped and reported; a recording still running
// at the end (quit, end of input, a stop request from KyCInterrupt) is stopped and filed.
//
// Exit code: 0 when nothing went wrong, otherwise that of the last error: 1 for a refused
// operation, 2 for a line that was not understood, 3 for a media directory that cannot be used,
// 5 for a file that could not be written or filed whole; a stop request's code (KyCInterrupt)
// unless a file was lost.
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
    // Refuses (with an error) when no usable media directory is set.
    bool haveMediaDirectory(const std::string& strCall);
    bool isRecording() const;
    // Samples the recording's progress; stops and reports it once it stopped growing.
    void watchRecording();
    // Stops a recording still running and says so; the stop request's error line and code.
    void finish();
    void checkPicture(const std::wstring& strPath);

    // The answer line, after the messages the call posted.
    void answer(const std::string& strCall, bool bResult, const std::string& strDetail = "");
    // "(video 2 of 3)" for the current file of the view, or "(none)".
    std::string describeCurrent(int nMediaType) const;
    void fail(int nExitCode, const std::string& strText);

    KyICameraVideo& m_Component;
    KyCConsole& m_Console;
    KyCMessagePump& m_Messages;
    std::wstring m_strMediaDir;
    bool m_bMediaDirUsable = false;  // the last dir succeeded: writing operations may run
    KyCWriteStall m_Stall;           // of the running recording
    std::chrono::steady_clock::time_point m_RecordStart;
    int m_nLine = 0;
    int m_nExitCode = 0;
};
