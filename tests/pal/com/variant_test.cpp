// BSTRs, and VARIANTs with their conversions and the references they hold.
#include "pal/bstr.h"
#include "pal/variant.h"

#include <atomic>
#include <cstring>
#include <gtest/gtest.h>

namespace {

TEST(Bstr, LengthPrefixEmbeddedZerosAndTerminator)
{
    const char16_t text[] = {u'a', u'\0', u'b'};
    pal::Bstr b = pal::Bstr::Attach(SysAllocStringLen(text, 3));
    std::uint32_t prefix = 0;
    std::memcpy(&prefix, reinterpret_cast<const char*>(b.Get()) - 4, 4);
    EXPECT_EQ(prefix, 6u) << "byte count just before the characters";
    EXPECT_EQ(b.View(), std::u16string_view(text, 3));
    EXPECT_EQ(b.Get()[3], u'\0');

    pal::Bstr blank = pal::Bstr::Attach(SysAllocStringLen(nullptr, 2));
    EXPECT_EQ(blank.View(), std::u16string_view(u"\0\0", 2)) << "null source gives zeros";
    EXPECT_EQ(SysStringLen(nullptr), 0u);
    SysFreeString(nullptr);
}

TEST(Bstr, ByteLengthStringsKeepOddLengths)
{
    pal::Bstr b = pal::Bstr::Attach(SysAllocStringByteLen("abc", 3));
    EXPECT_EQ(SysStringByteLen(b.Get()), 3u);
    EXPECT_EQ(SysStringLen(b.Get()), 1u) << "whole characters only";
    EXPECT_EQ(std::memcmp(b.Get(), "abc", 4), 0) << "content then a zero byte";
    EXPECT_EQ(b.Get()[2], u'\0') << "and a whole zero character";
    EXPECT_NE(pal::Bstr::Attach(SysAllocStringByteLen(nullptr, 0)).Get(), nullptr) << "empty is not null";
}

TEST(Bstr, ReAllocMayReadItsOwnContent)
{
    BSTR b = SysAllocString(u"first value");
    ASSERT_TRUE(SysReAllocString(&b, b + 6));
    EXPECT_EQ(std::u16string_view(b, SysStringLen(b)), u"value");
    EXPECT_FALSE(SysReAllocString(nullptr, u"x"));
    SysFreeString(b);
}

constexpr IID kIidDispatch = pal::MakeGuid("00020400-0000-0000-C000-000000000046");

// Counts references so a test can check each one it handed out came back.
struct Counted final : IUnknown {
    explicit Counted(bool dispatchable) : dispatchable(dispatchable) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override
    {
        *ppv = riid == IID_IUnknown || (dispatchable && riid == kIidDispatch) ? this : nullptr;
        return *ppv ? (AddRef(), S_OK) : E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs; }
    ULONG STDMETHODCALLTYPE Release() override { return --refs; }
    std::atomic<ULONG> refs{1};
    bool dispatchable;
};

void SetText(VARIANT& v, std::u16string_view text)
{
    VariantClear(&v);
    v.vt = VT_BSTR;
    v.bstrVal = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
}

std::u16string_view Text(const VARIANT& v)
{
    return std::u16string_view(v.bstrVal, SysStringLen(v.bstrVal));
}

VARIANT Integer(VARTYPE vt, LONGLONG value)
{
    VARIANT v;
    VariantInit(&v);
    v.vt = vt;
    v.llVal = value; // narrower members are its low bytes (little endian)
    return v;
}

// The integer a conversion gave, read at the width of its type (callers check the type).
LONGLONG Value(const VARIANT& v)
{
    return v.vt == VT_I2 ? v.iVal : v.vt == VT_I4 ? v.lVal : v.llVal;
}

TEST(VariantChangeType, IntegerRanges)
{
    const struct {
        VARTYPE from;
        LONGLONG value;
        VARTYPE to;
        HRESULT expected;
    } cases[] = {
        {VT_I4, 32767, VT_I2, S_OK},
        {VT_I4, 32768, VT_I2, DISP_E_OVERFLOW},
        {VT_I4, -1, VT_UI4, DISP_E_OVERFLOW},
        {VT_UI4, 0xFFFFFFFF, VT_I4, DISP_E_OVERFLOW},
        {VT_I8, 0x80000000LL, VT_INT, DISP_E_OVERFLOW},
        {VT_UI8, -1, VT_I8, DISP_E_OVERFLOW},
        {VT_I2, -5, VT_I8, S_OK},
        {VT_UI2, 65535, VT_I4, S_OK},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.from << " " << c.value << " -> " << c.to);
        VARIANT source = Integer(c.from, c.value);
        pal::Variant dest;
        ASSERT_EQ(VariantChangeType(&dest, &source, 0, c.to), c.expected);
        EXPECT_EQ(dest.vt, c.expected == S_OK ? c.to : VARTYPE{VT_EMPTY});
        if (c.expected == S_OK) {
            EXPECT_EQ(Value(dest), c.value);
        }
    }
}

TEST(VariantChangeType, DecimalTextBothWays)
{
    const struct {
        std::u16string_view text;
        VARTYPE to;
        HRESULT expected;
        LONGLONG value;
    } parses[] = {
        {u"  -42 ", VT_I4, S_OK, -42},
        {u"2.5", VT_I4, S_OK, 2}, // halves round to even
        {u"3.5", VT_I4, S_OK, 4},
        {u"9223372036854775807", VT_I8, S_OK, INT64_MAX},
        {u"70000", VT_I2, DISP_E_OVERFLOW, 0},
        {u"-1", VT_UI4, DISP_E_OVERFLOW, 0},
        {u"99999999999999999999999", VT_I8, DISP_E_OVERFLOW, 0},
        {u"", VT_I4, DISP_E_TYPEMISMATCH, 0},
        {u"12abc", VT_I4, DISP_E_TYPEMISMATCH, 0},
    };
    for (const auto& c : parses) {
        SCOPED_TRACE(testing::Message() << "expecting " << c.value);
        pal::Variant source;
        SetText(source, c.text);
        pal::Variant dest;
        ASSERT_EQ(VariantChangeType(&dest, &source, 0, c.to), c.expected);
        if (c.expected == S_OK) {
            EXPECT_EQ(dest.vt, c.to);
            EXPECT_EQ(Value(dest), c.value);
        }
    }

    const struct {
        VARTYPE from;
        LONGLONG value;
        std::u16string_view text;
    } prints[] = {
        {VT_I4, -123, u"-123"}, {VT_UI8, -1, u"18446744073709551615"}, {VT_I8, INT64_MIN, u"-9223372036854775808"}};
    for (const auto& c : prints) {
        VARIANT source = Integer(c.from, c.value);
        pal::Variant dest;
        ASSERT_EQ(VariantChangeType(&dest, &source, 0, VT_BSTR), S_OK);
        EXPECT_EQ(Text(dest), c.text);
    }
}

TEST(VariantChangeType, Booleans)
{
    VARIANT five = Integer(VT_I4, 5);
    pal::Variant b;
    ASSERT_EQ(VariantChangeType(&b, &five, 0, VT_BOOL), S_OK);
    EXPECT_EQ(b.boolVal, VARIANT_TRUE);
    pal::Variant out;
    ASSERT_EQ(VariantChangeType(&out, &b, 0, VT_UI2), S_OK);
    EXPECT_EQ(out.uiVal, 0xFFFF) << "true is all bits set";
    ASSERT_EQ(VariantChangeType(&out, &b, 0, VT_BSTR), S_OK);
    EXPECT_EQ(Text(out), u"-1");
    ASSERT_EQ(VariantChangeType(&out, &b, VARIANT_ALPHABOOL, VT_BSTR), S_OK);
    EXPECT_EQ(Text(out), u"True");
    SetText(out, u" FALSE ");
    ASSERT_EQ(VariantChangeType(&b, &out, 0, VT_BOOL), S_OK);
    EXPECT_EQ(b.boolVal, VARIANT_FALSE);
    SetText(out, u"yes");
    EXPECT_EQ(VariantChangeType(&b, &out, 0, VT_BOOL), DISP_E_TYPEMISMATCH);
}

TEST(VariantChangeType, InPlaceAndFailureKeepOwnershipStraight)
{
    pal::Variant v;
    SetText(v, u"12");
    ASSERT_EQ(VariantChangeType(&v, &v, 0, VT_I4), S_OK) << "the old string is freed";
    EXPECT_EQ(v.lVal, 12);
    ASSERT_EQ(VariantChangeType(&v, &v, 0, VT_BSTR), S_OK);
    ASSERT_EQ(VariantChangeType(&v, &v, 0, VT_BSTR), S_OK);
    EXPECT_EQ(Text(v), u"12");

    const BSTR before = v.bstrVal;
    pal::Variant null;
    null.vt = VT_NULL;
    EXPECT_EQ(VariantChangeType(&v, &null, 0, VT_I4), DISP_E_TYPEMISMATCH);
    VARIANT big = Integer(VT_I4, 100000);
    EXPECT_EQ(VariantChangeType(&v, &big, 0, VT_I2), DISP_E_OVERFLOW);
    VARIANT bad = Integer(VT_HRESULT, 0);
    EXPECT_EQ(VariantChangeType(&v, &bad, 0, VT_I4), DISP_E_BADVARTYPE);
    EXPECT_EQ(VariantClear(&bad), DISP_E_BADVARTYPE);
    EXPECT_EQ(v.bstrVal, before) << "failures leave the destination alone";
}

TEST(VariantChangeType, ByReferenceSourcesAreReadNotOwned)
{
    LONG number = 321;
    VARIANT ref;
    VariantInit(&ref);
    ref.vt = VT_BYREF | VT_I4;
    ref.plVal = &number;
    pal::Variant out;
    ASSERT_EQ(VariantChangeType(&out, &ref, 0, VT_BSTR), S_OK);
    EXPECT_EQ(Text(out), u"321");

    pal::Bstr owned(u"77");
    BSTR raw = owned.Get();
    ref.vt = VT_BYREF | VT_BSTR;
    ref.pbstrVal = &raw;
    ASSERT_EQ(VariantChangeType(&out, &ref, 0, VT_BSTR), S_OK);
    EXPECT_NE(out.bstrVal, raw) << "the result owns a copy";
    EXPECT_EQ(VariantClear(&ref), S_OK) << "and clearing a reference frees nothing";

    pal::Variant inner;
    SetText(inner, u"-9");
    ref.vt = VT_BYREF | VT_VARIANT;
    ref.pvarVal = &inner;
    ASSERT_EQ(VariantChangeType(&out, &ref, 0, VT_I2), S_OK);
    EXPECT_EQ(out.iVal, -9);
}

TEST(Variant, CopyAndConversionCountInterfaceReferences)
{
    pal::Variant text;
    text.vt = VT_BSTR;
    text.bstrVal = SysAllocStringByteLen("odd", 3);
    pal::Variant copy;
    SetText(copy, u"overwritten");
    ASSERT_EQ(VariantCopy(&copy, &text), S_OK);
    EXPECT_NE(copy.bstrVal, text.bstrVal);
    EXPECT_EQ(SysStringByteLen(copy.bstrVal), 3u);

    Counted dispatchable(true);
    Counted plain(false);
    {
        pal::Variant unk;
        unk.vt = VT_UNKNOWN;
        unk.punkVal = &dispatchable;
        dispatchable.AddRef();
        ASSERT_EQ(VariantCopy(&copy, &unk), S_OK);
        pal::Variant disp;
        ASSERT_EQ(VariantChangeType(&disp, &unk, 0, VT_DISPATCH), S_OK);
        EXPECT_EQ(static_cast<void*>(disp.pdispVal), static_cast<void*>(&dispatchable));
        pal::Variant back;
        ASSERT_EQ(VariantChangeType(&back, &disp, 0, VT_UNKNOWN), S_OK);
        EXPECT_EQ(dispatchable.refs, 5u);
        EXPECT_EQ(VariantChangeType(&back, &unk, 0, VT_I4), DISP_E_TYPEMISMATCH);

        pal::Variant other;
        other.vt = VT_UNKNOWN;
        other.punkVal = &plain;
        plain.AddRef();
        EXPECT_EQ(VariantChangeType(&disp, &other, 0, VT_DISPATCH), E_NOINTERFACE);
        VariantClear(&copy);
    }
    EXPECT_EQ(dispatchable.refs, 1u);
    EXPECT_EQ(plain.refs, 1u);
}

} // namespace
