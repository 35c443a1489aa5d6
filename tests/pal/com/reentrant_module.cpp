// A server that calls back into object creation while it is loaded and while
// it is asked whether it can go, as a module revoking or creating classes
// from there does.
#include "pal/com/activation.h"
#include "pal/com_ptr.h"

#define TEST_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

// The test registers this class; each unload question creates one, so the test sees the question came.
constexpr CLSID kProbeClass = pal::MakeGuid("0D0D0D0D-1111-2222-3333-444444444444");

// Any call that takes activation's lock will do while the loader runs us.
[[maybe_unused]] const HRESULT g_revokedWhileLoading = CoRevokeClassObject(0);

} // namespace

TEST_EXPORT HRESULT DllGetClassObject(REFCLSID, REFIID, void** ppv)
{
    *ppv = nullptr;
    return CLASS_E_CLASSNOTAVAILABLE;
}

TEST_EXPORT HRESULT DllCanUnloadNow()
{
    pal::ComPtr<IUnknown> probe;
    CoCreateInstance(kProbeClass, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, probe.ReleaseAndGetVoidAddress());
    return S_OK;
}
