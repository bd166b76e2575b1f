// The directory search's pattern matcher: wildcards, letter case, and names holding wildcards.
#include <gtest/gtest.h>

#include "KyPlatformWildcard.h"

namespace {

struct SWildcardCase {
    const wchar_t* pszPattern;
    const wchar_t* pszName;
    bool bMatches;
};

class KyPlatformWildcardTest : public ::testing::TestWithParam<SWildcardCase> {};

}  // namespace

TEST_P(KyPlatformWildcardTest, MatchesAsTheDirectorySearchDoes) {
    const SWildcardCase& c = GetParam();
    EXPECT_EQ(KyPlatform::MatchWildcard(c.pszPattern, c.pszName), c.bMatches)
        << testing::PrintToString(std::wstring(c.pszPattern)) << " against "
        << testing::PrintToString(std::wstring(c.pszName));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, KyPlatformWildcardTest,
    ::testing::Values(SWildcardCase{L"*.avi", L"20240101-101500.AVI", true},
                      SWildcardCase{L"*.avi", L"x.avi.jpg", false},
                      SWildcardCase{L"*.avi", L".avi", true}, SWildcardCase{L"a?c", L"abc", true},
                      SWildcardCase{L"a?c", L"ac", false}, SWildcardCase{L"*a*b", L"xaybzb", true},
                      SWildcardCase{L"", L"", true}, SWildcardCase{L"", L"a", false},
                      SWildcardCase{L"**", L"", true},
                      // A '*' in a name is just a character; the pattern's '*' stays a wildcard.
                      SWildcardCase{L"*.avi", L"*x.avi", true}, SWildcardCase{L"*", L"*h", true},
                      SWildcardCase{L"?", L"*", true}));
