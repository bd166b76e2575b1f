// Small file helpers for tests, through the standard library (independent of the platform layer).
#pragma once

#include <string>

// Creates or replaces the file with exactly these bytes.
bool KyTestWriteFile(const std::wstring& strPath, const std::string& strBytes);
// The file's bytes; empty when it cannot be read.
std::string KyTestReadFile(const std::wstring& strPath);
bool KyTestFileExists(const std::wstring& strPath);
bool KyTestIsDirectory(const std::wstring& strPath);
