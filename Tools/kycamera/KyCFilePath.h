// The host's wide paths as std::filesystem paths and back, for any name the system accepts.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

// std::filesystem converts wide strings through the C++ locale, which throws for anything but
// ASCII in the default "C" locale; these go through the host layer's own conversion instead
// (UTF-16 as it is on Windows, UTF-8 bytes elsewhere), as the host layer's file functions do.
class KyCFilePath {
public:
    static std::filesystem::path ToPath(const std::wstring& strPath);
    static std::wstring FromPath(const std::filesystem::path& path);
    // Whether a regular file of that name exists; false on any error.
    static bool IsFile(const std::wstring& strPath);
    // Its size in bytes; 0 when it is missing or cannot be read.
    static std::uint64_t Size(const std::wstring& strPath);
};
