#include "pal/bstr.h"
#include "pal/com/error_info.h"
#include "pal/com_ptr.h"

#include <gtest/gtest.h>
#include <thread>

namespace {

using pal::ComPtr;

ComPtr<IErrorInfo> MakeError(const char16_t* description)
{
    ComPtr<ICreateErrorInfo> create;
    EXPECT_EQ(CreateErrorInfo(create.ReleaseAndGetAddressOf()), S_OK);
    create->SetSource(const_cast<LPOLESTR>(u"Orvana.Test"));
    create->SetDescription(const_cast<LPOLESTR>(description));
    ComPtr<IErrorInfo> info;
    EXPECT_EQ(create.As(info), S_OK);
    return info;
}

std::u16string Description(IErrorInfo* info)
{
    pal::Bstr text;
    EXPECT_EQ(info->GetDescription(text.ReleaseAndGetAddressOf()), S_OK);
    return text.Str();
}

TEST(ErrorInfo, OneObjectBehindBothInterfaces)
{
    ComPtr<IErrorInfo> info = MakeError(u"upload failed");
    ComPtr<ICreateErrorInfo> create;
    ComPtr<IUnknown> a;
    ComPtr<IUnknown> b;
    ASSERT_EQ(info.As(create), S_OK);
    ASSERT_EQ(info.As(a), S_OK);
    ASSERT_EQ(create.As(b), S_OK);
    EXPECT_EQ(a.Get(), b.Get()) << "one identity";

    pal::Bstr text;
    ASSERT_EQ(info->GetSource(text.ReleaseAndGetAddressOf()), S_OK);
    EXPECT_EQ(text.View(), u"Orvana.Test");
}

TEST(ErrorInfo, ThreadSlotHandsOverAndClears)
{
    ASSERT_EQ(SetErrorInfo(0, MakeError(u"old").Get()), S_OK);
    ASSERT_EQ(SetErrorInfo(0, MakeError(u"new").Get()), S_OK);
    ComPtr<IErrorInfo> taken;
    ASSERT_EQ(GetErrorInfo(0, taken.ReleaseAndGetAddressOf()), S_OK);
    EXPECT_EQ(Description(taken.Get()), u"new");
    IErrorInfo* none = taken.Get();
    EXPECT_EQ(GetErrorInfo(0, &none), S_FALSE) << "taken once only";
    EXPECT_EQ(none, nullptr);

    ASSERT_EQ(SetErrorInfo(0, taken.Get()), S_OK);
    ASSERT_EQ(SetErrorInfo(0, nullptr), S_OK);
    EXPECT_EQ(GetErrorInfo(0, &none), S_FALSE) << "null clears";
}

TEST(ErrorInfo, EachThreadHasItsOwn)
{
    ASSERT_EQ(SetErrorInfo(0, MakeError(u"main").Get()), S_OK);
    HRESULT elsewhere = E_FAIL;
    std::thread([&elsewhere] {
        IErrorInfo* info = nullptr;
        elsewhere = GetErrorInfo(0, &info);
        SetErrorInfo(0, MakeError(u"worker").Get()); // thread exit must release it
    }).join();
    EXPECT_EQ(elsewhere, S_FALSE);
    ComPtr<IErrorInfo> mine;
    ASSERT_EQ(GetErrorInfo(0, mine.ReleaseAndGetAddressOf()), S_OK);
    EXPECT_EQ(Description(mine.Get()), u"main");
}

} // namespace
