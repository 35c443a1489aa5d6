// Object creation: apartments, CoCreateInstance through the registry's
// InprocServer32 and the module's DllGetClassObject, and class objects that
// the calling program registers for its own classes.
#pragma once

#include "unknown.h"

constexpr DWORD CLSCTX_INPROC_SERVER = 0x1;
constexpr DWORD CLSCTX_INPROC_HANDLER = 0x2;
constexpr DWORD CLSCTX_LOCAL_SERVER = 0x4;
constexpr DWORD CLSCTX_REMOTE_SERVER = 0x10;
constexpr DWORD CLSCTX_INPROC = CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER;
constexpr DWORD CLSCTX_SERVER = CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER | CLSCTX_REMOTE_SERVER;
constexpr DWORD CLSCTX_ALL = CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER | CLSCTX_LOCAL_SERVER | CLSCTX_REMOTE_SERVER;

constexpr DWORD COINIT_MULTITHREADED = 0x0;
constexpr DWORD COINIT_APARTMENTTHREADED = 0x2;

constexpr DWORD REGCLS_SINGLEUSE = 0;
constexpr DWORD REGCLS_MULTIPLEUSE = 1;

constexpr HRESULT RPC_E_CHANGED_MODE = HR(0x80010106);

// S_OK the first time on a thread, S_FALSE when already initialised in the same
// model, RPC_E_CHANGED_MODE in another model.
STDAPI CoInitializeEx(void* pvReserved, DWORD dwCoInit);
STDAPI_(void) CoUninitialize();

STDAPI CoGetClassObject(REFCLSID rclsid, DWORD dwClsContext, void* pvReserved, REFIID riid, void** ppv);
STDAPI CoCreateInstance(REFCLSID rclsid, IUnknown* pUnkOuter, DWORD dwClsContext, REFIID riid, void** ppv);

// Class objects registered here are found before the registry is consulted.
STDAPI CoRegisterClassObject(REFCLSID rclsid, IUnknown* pUnk, DWORD dwClsContext, DWORD flags, LPDWORD lpdwRegister);
STDAPI CoRevokeClassObject(DWORD dwRegister);

// Asks each loaded module whether it can be unloaded and unloads those that can.
STDAPI_(void) CoFreeUnusedLibraries();

namespace pal {

using BuiltinCreateFunction = HRESULT (*)(IUnknown* outer, REFIID riid, void** ppv);

// Classes the layer itself provides (the platform's own components, such as
// the XML DOM and the HTTP request objects). They are found after the
// program's registered classes and after the registry, so a registry entry
// for the same class id takes precedence, as an installed component would.
void RegisterBuiltinClass(REFCLSID clsid, BuiltinCreateFunction create);

// Registers a built-in class when the layer is loaded:
//   static const pal::BuiltinClass registration{CLSID_Thing, &CreateThing};
struct BuiltinClass {
    BuiltinClass(REFCLSID clsid, BuiltinCreateFunction create) { RegisterBuiltinClass(clsid, create); }
};

} // namespace pal
