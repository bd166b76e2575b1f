// Console output with a progress line and a preview area kept by ANSI escape sequences.
#include "KyCConsole.h"

namespace {
const char kEsc = '\x1b';
}

KyCConsole::KyCConsole(std::ostream& out, std::ostream& err, bool bTerminal)
    : m_Out(out), m_Err(err), m_bTerminal(bTerminal) {}

KyCConsole::~KyCConsole() {
    EndPreview();
    EndProgress();
}

void KyCConsole::Line(const std::string& strLine) {
    std::lock_guard<std::mutex> lock(m_Mutex);
    endProgressLocked();
    m_Out << strLine << '\n';
    m_Out.flush();
}

void KyCConsole::Error(const std::string& strText) {
    std::lock_guard<std::mutex> lock(m_Mutex);
    endProgressLocked();
    m_Out.flush();
    m_Err << "kycamera: " << strText << '\n';
    m_Err.flush();
}

void KyCConsole::Progress(const std::string& strLine) {
    std::lock_guard<std::mutex> lock(m_Mutex);
    if (m_bTerminal) {
        m_Out << '\r' << strLine << kEsc << "[K";
        m_bProgressOpen = true;
    } else {
        m_Out << strLine << '\n';
    }
    m_Out.flush();
}

void KyCConsole::EndProgress() {
    std::lock_guard<std::mutex> lock(m_Mutex);
    endProgressLocked();
}

void KyCConsole::BeginPreview(int nRows) {
    std::lock_guard<std::mutex> lock(m_Mutex);
    if (!m_bTerminal || nRows <= 0 || m_nPreviewRows > 0)
        return;
    endProgressLocked();
    m_nPreviewRows = nRows;
    const int nFirstScrolling = nRows + 2;  // the picture, its caption, then the output
    // Clear, keep the top out of scrolling, and put the cursor where the output goes.
    m_Out << kEsc << "[2J" << kEsc << '[' << nFirstScrolling << ";r" << kEsc << '['
          << nFirstScrolling << ";1H";
    m_Out.flush();
}

void KyCConsole::DrawPreview(const std::vector<std::string>& vecRows,
                             const std::string& strCaption) {
    std::lock_guard<std::mutex> lock(m_Mutex);
    if (m_nPreviewRows <= 0)
        return;
    // Save the cursor, overwrite each row in place (no clearing, so nothing flickers), restore.
    std::string strFrame;
    strFrame += kEsc;
    strFrame += '7';
    for (int nRow = 0; nRow < m_nPreviewRows; ++nRow) {
        strFrame += std::string(1, kEsc) + '[' + std::to_string(nRow + 1) + ";1H";
        if (nRow < static_cast<int>(vecRows.size()))
            strFrame += vecRows[nRow];
        strFrame += std::string(1, kEsc) + "[0m" + kEsc + "[K";
    }
    strFrame += std::string(1, kEsc) + '[' + std::to_string(m_nPreviewRows + 1) + ";1H";
    strFrame += strCaption + kEsc + "[K" + kEsc + '8';
    m_Out << strFrame;
    m_Out.flush();
}

void KyCConsole::EndPreview() {
    std::lock_guard<std::mutex> lock(m_Mutex);
    if (m_nPreviewRows <= 0)
        return;
    endProgressLocked();
    m_nPreviewRows = 0;
    // Resetting the region moves the cursor home: go to the bottom line before going on.
    m_Out << kEsc << "[r" << kEsc << "[999;1H\n";
    m_Out.flush();
}

void KyCConsole::endProgressLocked() {
    if (m_bProgressOpen) {
        m_Out << '\n';
        m_bProgressOpen = false;
    }
}
