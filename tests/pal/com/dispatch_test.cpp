#include "pal/com/error_info.h"
#include "pal/com_ptr.h"
#include "pal/dispatch_impl.h"
#include "pal/object.h"
#include "pal/type_library_description.h"
#include "pal/variant.h"

#include <gtest/gtest.h>

namespace {

enum tagCOLOUR : LONG { COLOUR_RED = 7 };

struct ICalculator : IDispatch {
    virtual HRESULT STDMETHODCALLTYPE Add(LONG a, USHORT b, LONG* unused) = 0; // not described
    virtual HRESULT STDMETHODCALLTYPE Describe(LPCWSTR text, ULONG times, BSTR* result) = 0;
    virtual HRESULT STDMETHODCALLTYPE Colour(tagCOLOUR* colour) = 0;
    virtual HRESULT STDMETHODCALLTYPE Fail() = 0;
};

} // namespace

PAL_DECLARE_IID(ICalculator, "ABCDEF01-2345-6789-ABCD-EF0123456789");

namespace {

constexpr GUID kLibid = pal::MakeGuid("ABCDEF01-2345-6789-ABCD-EF0123456780");

using pal::DispatchInvoker;
constexpr pal::ParameterDescription kDescribe[] = {{u"text", VT_BSTR}, {u"times", VT_UI4}};
static_assert(DispatchInvoker<&ICalculator::Describe>::Matches(kDescribe, VT_BSTR));
static_assert(!DispatchInvoker<&ICalculator::Describe>::Matches(kDescribe, VT_EMPTY));
static_assert(DispatchInvoker<&ICalculator::Colour>::kResultType == VT_I4);

constexpr pal::FunctionDescription kFunctions[] = {
    {u"Describe", 2, 8, u"Describe", kDescribe, VT_BSTR, &DispatchInvoker<&ICalculator::Describe>::Invoke},
    {u"Colour", 3, 9, u"Colour", {}, VT_I4, &DispatchInvoker<&ICalculator::Colour>::Invoke},
    {u"Fail", 4, 10, u"Fail", {}, VT_EMPTY, &DispatchInvoker<&ICalculator::Fail>::Invoke},
};
constexpr pal::TypeDescription kTypes[] = {
    {TKIND_DISPATCH, u"ICalculator", IID_ICalculator, u"Calculator", TYPEFLAG_FDUAL, kFunctions, {}, nullptr},
};
const pal::TypeLibraryDescription kLibrary = {u"CalcLib", kLibid, 1, 0, 0x409, SYS_WIN64, u"Calc", kTypes};

class Calculator : public pal::ComObjectRoot, public ICalculator {
  public:
    using Interfaces = pal::InterfaceList<ICalculator>;

    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override { return (*count = 1), S_OK; }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override
    {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Add(LONG, USHORT, LONG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Describe(LPCWSTR text, ULONG times, BSTR* result) override
    {
        std::u16string out;
        for (ULONG n = 0; n < times; ++n)
            out += text;
        *result = SysAllocString(out.c_str());
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Colour(tagCOLOUR* colour) override { return (*colour = COLOUR_RED), S_OK; }
    HRESULT STDMETHODCALLTYPE Fail() override
    {
        pal::ComPtr<ICreateErrorInfo> create;
        CreateErrorInfo(create.ReleaseAndGetAddressOf());
        create->SetDescription(const_cast<LPOLESTR>(u"it broke"));
        pal::ComPtr<IErrorInfo> info;
        create.As(info);
        SetErrorInfo(0, info.Get());
        return E_ACCESSDENIED;
    }
};

class TypeInfoDispatch : public ::testing::Test {
  protected:
    void SetUp() override
    {
        pal::ComPtr<ITypeLib> library;
        ASSERT_EQ(S_OK, pal::CreateTypeLib(kLibrary, library.ReleaseAndGetAddressOf()));
        ASSERT_EQ(S_OK, library->GetTypeInfoOfGuid(IID_ICalculator, info_.ReleaseAndGetAddressOf()));
        ASSERT_EQ(S_OK, pal::CreateComObject<Calculator>(nullptr, IID_ICalculator, object_.ReleaseAndGetVoidAddress()));
    }

    HRESULT Call(DISPID id, std::vector<VARIANT> argsLastFirst, VARIANT* result, UINT* argErr = nullptr,
                 EXCEPINFO* exception = nullptr)
    {
        DISPPARAMS params{argsLastFirst.data(), nullptr, static_cast<UINT>(argsLastFirst.size()), 0};
        return info_->Invoke(static_cast<ICalculator*>(object_.Get()), id, DISPATCH_METHOD, &params, result, exception,
                             argErr);
    }

    pal::ComPtr<ITypeInfo> info_;
    pal::ComPtr<ICalculator> object_;
};

void SetText(VARIANT& v, const char16_t* text)
{
    v.vt = VT_BSTR;
    v.bstrVal = SysAllocString(text);
}

TEST_F(TypeInfoDispatch, FindsMembersAndParametersByNameInAnyCase)
{
    LPOLESTR names[] = {const_cast<LPOLESTR>(u"describe"), const_cast<LPOLESTR>(u"TIMES")};
    MEMBERID ids[2];
    ASSERT_EQ(S_OK, info_->GetIDsOfNames(names, 2, ids));
    EXPECT_EQ(2, ids[0]);
    EXPECT_EQ(1, ids[1]);
    LPOLESTR unknown[] = {const_cast<LPOLESTR>(u"Add")}; // in the vtable but not described
    EXPECT_EQ(DISP_E_UNKNOWNNAME, info_->GetIDsOfNames(unknown, 1, ids));
    EXPECT_EQ(MEMBERID_NIL, ids[0]);
}

TEST_F(TypeInfoDispatch, CoercesArgumentsAndReturnsTheRetval)
{
    pal::Variant text, times, result;
    SetText(text, u"ab");
    SetText(times, u"3"); // coerced to VT_UI4
    ASSERT_EQ(S_OK, Call(2, {times, text}, &result));
    ASSERT_EQ(VT_BSTR, result.vt);
    EXPECT_EQ(u"ababab", std::u16string(result.bstrVal));

    pal::Variant colour;
    ASSERT_EQ(S_OK, Call(3, {}, &colour));
    EXPECT_EQ(VT_I4, colour.vt);
    EXPECT_EQ(7, colour.lVal);
}

TEST_F(TypeInfoDispatch, RejectsWrongCallsWithTheAutomationCodes)
{
    pal::Variant result, notANumber, text;
    SetText(notANumber, u"many");
    SetText(text, u"x");
    EXPECT_EQ(DISP_E_MEMBERNOTFOUND, Call(99, {}, &result));
    EXPECT_EQ(DISP_E_BADPARAMCOUNT, Call(2, {text}, &result));
    UINT argErr = 99;
    EXPECT_EQ(DISP_E_TYPEMISMATCH, Call(2, {notANumber, text}, &result, &argErr));
    EXPECT_EQ(0u, argErr); // the last argument, which comes first
}

TEST_F(TypeInfoDispatch, AFailingMethodBecomesAnExceptionWithItsErrorInformation)
{
    EXCEPINFO exception{};
    pal::Variant result;
    EXPECT_EQ(DISP_E_EXCEPTION, Call(4, {}, &result, nullptr, &exception));
    EXPECT_EQ(E_ACCESSDENIED, exception.scode);
    ASSERT_NE(nullptr, exception.bstrDescription);
    EXPECT_EQ(u"it broke", std::u16string(exception.bstrDescription));
    SysFreeString(exception.bstrDescription);
    SysFreeString(exception.bstrSource);
}

} // namespace
