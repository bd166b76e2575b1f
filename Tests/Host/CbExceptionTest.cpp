// Exceptions of the base library (by value) and of the platform class library (by pointer).
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "CException.h"
#include "CbException.h"

TEST(CbExceptionTest, CarriesFileLineAndFunction) {
    try {
        throw CbException("Source.cpp", 42, "KyCWidget::Frob", "it broke");
    } catch (const CbException& e) {
        EXPECT_STREQ(e.GetFile(), "Source.cpp");
        EXPECT_EQ(e.GetLine(), 42u);
        EXPECT_STREQ(e.GetFunction(), "KyCWidget::Frob");
        EXPECT_STREQ(e.GetText(), "it broke");
        EXPECT_STREQ(e.what(), "it broke");
    }
}

TEST(CbExceptionTest, WithoutTextTheTextNamesThePlace) {
    const CbException e("Source.cpp", 7, "KyCWidget::Frob");
    const std::string strText = e.GetText();
    EXPECT_NE(strText.find("KyCWidget::Frob"), std::string::npos) << strText;
    EXPECT_NE(strText.find("Source.cpp:7"), std::string::npos) << strText;
}

TEST(CbExceptionTest, NullArgumentsGiveEmptyStringsNotACrash) {
    const CbException e(nullptr, 0, nullptr, nullptr);
    EXPECT_STREQ(e.GetFile(), "");
    EXPECT_STREQ(e.GetFunction(), "");
    EXPECT_NE(e.GetText(), nullptr);
}

TEST(CbExceptionTest, DerivedExceptionsAreCatchableThroughEveryBase) {
    bool bCaughtAsIException = false, bCaughtAsIObject = false, bCaughtAsStd = false;
    try {
        throw CbExceptionUnknownExtension("File.cpp", 3, "KyCThing::GetExtension");
    } catch (const IException& e) {
        bCaughtAsIException = true;
        EXPECT_NE(dynamic_cast<const CbExceptionUnknownExtension*>(&e), nullptr);
        EXPECT_EQ(dynamic_cast<const CbException&>(e).GetLine(), 3u);
    }
    try {
        throw CbExceptionContainer("File.cpp", 4, "CbList::GetHead");
    } catch (const IObject& o) {
        bCaughtAsIObject = true;
        const CbException* pException = dynamic_cast<const CbException*>(&o);
        ASSERT_NE(pException, nullptr);
        EXPECT_STREQ(pException->GetFunction(), "CbList::GetHead");
    }
    try {
        throw CbExceptionContainer("File.cpp", 5, "CbList::GetTail");
    } catch (const std::exception& e) {
        bCaughtAsStd = true;
        EXPECT_GT(std::strlen(e.what()), 0u);
    }
    EXPECT_TRUE(bCaughtAsIException);
    EXPECT_TRUE(bCaughtAsIObject);
    EXPECT_TRUE(bCaughtAsStd);
}

TEST(CExceptionTest, OleExceptionIsThrownByPointerWithItsStatusAndFreedByDelete) {
    SCODE scCaught = 0;
    bool bWasOle = false;
    try {
        AfxThrowOleException(E_INVALIDARG);
    } catch (CException* pException) {
        COleException* pOle = dynamic_cast<COleException*>(pException);
        bWasOle = pOle != nullptr;
        if (pOle != nullptr)
            scCaught = pOle->m_sc;
        pException->Delete();  // a leak here fails the ASan build
    }
    EXPECT_TRUE(bWasOle);
    EXPECT_EQ(scCaught, static_cast<SCODE>(0x80070057L));
    try {
        AfxThrowOleException(E_FAIL);
    } catch (COleException* pOle) {
        EXPECT_EQ(pOle->m_sc, static_cast<SCODE>(0x80004005L));
        pOle->Delete();
    }
}

TEST(CExceptionTest, StatusCodesHaveTheirWindowsValues) {
    EXPECT_EQ(static_cast<std::uint32_t>(E_INVALIDARG), 0x80070057u);
    EXPECT_EQ(static_cast<std::uint32_t>(E_FAIL), 0x80004005u);
    EXPECT_EQ(sizeof(SCODE), 4u);
}
