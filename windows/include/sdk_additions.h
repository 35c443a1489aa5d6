// Declarations of the Windows SDK that mingw-w64 10 lacks, included ahead of
// every source of the Windows build.
#pragma once

#include <windows.h>

#include <oleauto.h>

extern "C" {
HRESULT WINAPI RegisterTypeLibForUser(ITypeLib* ptlib, OLECHAR* szFullPath, OLECHAR* szHelpDir);
HRESULT WINAPI UnRegisterTypeLibForUser(REFGUID libID, WORD wMajorVerNum, WORD wMinorVerNum, LCID lcid,
                                        SYSKIND syskind);
}
