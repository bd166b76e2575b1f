// One line of shell input split into words: blanks, quotes, comments and line ends.
#pragma once

#include <string>
#include <vector>

// A pure function of the line, so that it can be fuzzed and tested without a component.
class KyCShellLine {
public:
    // Words separated by blanks (space, tab). 'single' and "double" quotes keep blanks and '#'
    // and may be joined to unquoted text (dir "my media"/x is one word); nothing inside quotes is
    // special except the quote that ends them. A '#' at the start of a word outside quotes starts
    // a comment that runs to the end of the line. Line ends ("\r\n", "\n", "\r") at the end are
    // ignored. False with a one-line reason for an unterminated quote or a control character
    // (a NUL or a line end inside the line); words is then empty.
    static bool Split(const std::string& strLine, std::vector<std::string>& words,
                      std::string& strError);
};
