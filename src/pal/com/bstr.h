// BSTR: a length-prefixed UTF-16 buffer. The 32-bit byte count sits just before
// the characters, and a zero character always follows them.
#pragma once

#include "../base/types.h"

#include <new>
#include <string>
#include <string_view>
#include <utility>

using BSTR = OLECHAR*;

STDAPI_(BSTR) SysAllocString(const OLECHAR* psz);
STDAPI_(BSTR) SysAllocStringLen(const OLECHAR* pch, UINT cch);
STDAPI_(BSTR) SysAllocStringByteLen(LPCSTR psz, UINT len);
STDAPI_(BOOL) SysReAllocString(BSTR* pbstr, const OLECHAR* psz);
STDAPI_(void) SysFreeString(BSTR bstr);
STDAPI_(UINT) SysStringLen(BSTR bstr);
STDAPI_(UINT) SysStringByteLen(BSTR bstr);
