// The media directory: created when missing and proven writable before the component uses it.
#pragma once

#include <string>

class KyCMediaDirectory {
public:
    // The name of the file written and deleted again to prove that the directory is writable.
    static const char* const kProbeName;

    // Creates the directory (and its parents) when missing and writes a probe file into it.
    // On success, strAbsolute is its absolute path; otherwise strError says what went wrong in
    // one line.
    static bool Prepare(const std::string& strDirectory, std::wstring& strAbsolute,
                        std::string& strError);
};
