// Exceptions of the base library and of RUX: the text names the place, every base catches them.
#include <gtest/gtest.h>

#include <string>

#include "CbException.h"
#include "KyCExceptionRUX.h"

TEST(CbExceptionTest, WithoutTextTheExceptionNamesItsPlaceAndEveryBaseCatchesIt) {
    EXPECT_STREQ(CbException("Source.cpp", 7, "KyCWidget::Frob", "it broke").what(), "it broke");
    EXPECT_EQ(std::string(CbException("Source.cpp", 7, "KyCWidget::Frob").GetText()),
              "KyCWidget::Frob (Source.cpp:7)");
    EXPECT_STREQ(CbException(nullptr, 0, nullptr, nullptr).GetFile(), "");
    try {
        throw CbExceptionContainer("File.cpp", 5, "CbList::GetTail");
    } catch (const std::exception& e) {
        EXPECT_STREQ(e.what(), "container error");
    }
    try {
        throw RUXComponentFactory::KyCExceptionRUXComponentFactory(L"Factory.cpp", 101);
    } catch (const RUXComponentFactory::KyCExceptionRUX& e) {
        EXPECT_EQ(e.GetNumber(), 101u);
    }
}
