// Declarations of the Windows SDK that mingw-w64 10 lacks, included ahead of
// every source of the Windows build (which therefore always sees windows.h first).
#pragma once

// clang-format off
#include <windows.h>
#include <oleauto.h>
// clang-format on

extern "C" {
HRESULT WINAPI RegisterTypeLibForUser(ITypeLib* ptlib, OLECHAR* szFullPath, OLECHAR* szHelpDir);
HRESULT WINAPI UnRegisterTypeLibForUser(REFGUID libID, WORD wMajorVerNum, WORD wMinorVerNum, LCID lcid,
                                        SYSKIND syskind);
}
