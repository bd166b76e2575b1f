// Exceptions of the base library (by value) and of the platform class library (by pointer).
#include <gtest/gtest.h>

#include <string>

#include "CException.h"
#include "CbException.h"

TEST(CbExceptionTest, CarriesItsPlaceAndWithoutTextNamesIt) {
    const CbException e("Source.cpp", 42, "KyCWidget::Frob", "it broke");
    EXPECT_STREQ(e.GetFile(), "Source.cpp");
    EXPECT_EQ(e.GetLine(), 42u);
    EXPECT_STREQ(e.GetFunction(), "KyCWidget::Frob");
    EXPECT_STREQ(e.what(), "it broke");

    const std::string strText = CbException("Source.cpp", 7, "KyCWidget::Frob").GetText();
    EXPECT_NE(strText.find("KyCWidget::Frob"), std::string::npos) << strText;
    EXPECT_NE(strText.find("Source.cpp:7"), std::string::npos) << strText;

    const CbException empty(nullptr, 0, nullptr, nullptr);
    EXPECT_STREQ(empty.GetFile(), "");
    EXPECT_STREQ(empty.GetFunction(), "");
    EXPECT_NE(empty.GetText(), nullptr);
}

TEST(CbExceptionTest, DerivedExceptionsAreCatchableThroughEveryBase) {
    int nCaught = 0;
    try {
        throw CbExceptionUnknownExtension("File.cpp", 3, "KyCThing::GetExtension");
    } catch (const IException& e) {
        ++nCaught;
        EXPECT_EQ(dynamic_cast<const CbException&>(e).GetLine(), 3u);
    }
    try {
        throw CbExceptionContainer("File.cpp", 4, "CbList::GetHead");
    } catch (const IObject& o) {
        ++nCaught;
        EXPECT_STREQ(dynamic_cast<const CbException&>(o).GetFunction(), "CbList::GetHead");
    }
    try {
        throw CbExceptionContainer("File.cpp", 5, "CbList::GetTail");
    } catch (const std::exception& e) {
        ++nCaught;
        EXPECT_STRNE(e.what(), "");
    }
    EXPECT_EQ(nCaught, 3);
}

TEST(CExceptionTest, OleExceptionIsThrownByPointerWithItsStatusAndFreedByDelete) {
    SCODE scCaught = 0;
    try {
        AfxThrowOleException(E_INVALIDARG);
    } catch (CException* pException) {
        COleException* pOle = dynamic_cast<COleException*>(pException);
        if (pOle != nullptr)
            scCaught = pOle->m_sc;
        pException->Delete();  // a leak here fails the ASan build
    }
    EXPECT_EQ(static_cast<std::uint32_t>(scCaught), 0x80070057u);
}
