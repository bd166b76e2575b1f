// Exceptions of the base library (by value), the platform class library (by pointer) and RUX.
#include <gtest/gtest.h>

#include <string>

#include "CException.h"
#include "CbException.h"
#include "KyCExceptionRUX.h"

TEST(CbExceptionTest, WithoutTextTheExceptionNamesItsPlace) {
    EXPECT_STREQ(CbException("Source.cpp", 7, "KyCWidget::Frob", "it broke").what(), "it broke");
    EXPECT_EQ(std::string(CbException("Source.cpp", 7, "KyCWidget::Frob").GetText()),
              "KyCWidget::Frob (Source.cpp:7)");
    const CbException empty(nullptr, 0, nullptr, nullptr);
    EXPECT_STREQ(empty.GetFile(), "");
    EXPECT_STREQ(empty.GetFunction(), "");
}

TEST(CbExceptionTest, DerivedExceptionsAreCatchableThroughEveryBase) {
    try {
        throw CbExceptionUnknownExtension("File.cpp", 3, "KyCThing::GetExtension");
    } catch (const IException& e) {
        EXPECT_EQ(dynamic_cast<const CbException&>(e).GetLine(), 3u);
    }
    try {
        throw CbExceptionContainer("File.cpp", 5, "CbList::GetTail");
    } catch (const std::exception& e) {
        EXPECT_STREQ(e.what(), "container error");
    }
    try {
        throw RUXComponentFactory::KyCExceptionRUXComponentFactory(L"Factory.cpp", 101);
    } catch (const RUXComponentFactory::KyCExceptionRUX& e) {
        EXPECT_EQ(e.GetNumber(), 101u);
        EXPECT_STREQ(e.GetFile(), "Factory.cpp");
    }
}

TEST(CExceptionTest, OleExceptionIsThrownByPointerWithItsStatusAndFreedByDelete) {
    SCODE scCaught = 0;
    try {
        AfxThrowOleException(E_INVALIDARG);
    } catch (CException* pException) {
        if (COleException* pOle = dynamic_cast<COleException*>(pException))
            scCaught = pOle->m_sc;
        pException->Delete();  // a leak here fails the ASan build
    }
    EXPECT_EQ(static_cast<std::uint32_t>(scCaught), 0x80070057u);
}
