#include "host/host_classes.h"

#include "host/event_reporter.h"
#include "host/hasher.h"
#include "pal/class_factory.h"
#include "pal/com/activation.h"
#include "pal/com_ptr.h"
#include "pal/hresult_error.h"

namespace host {

namespace {

void Register(REFCLSID clsid, pal::CreateInstanceFunction create, std::vector<DWORD>& cookies)
{
    pal::ComPtr<IClassFactory> factory(new pal::ClassFactory(create));
    DWORD cookie = 0;
    pal::ThrowIfFailed(CoRegisterClassObject(clsid, factory.Get(), CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER,
                                             REGCLS_MULTIPLEUSE, &cookie));
    cookies.push_back(cookie);
}

} // namespace

HostClassRegistration::HostClassRegistration()
{
    Register(CLSID_HostEventReporter, &pal::CreateComObject<EventReporter>, cookies_);
    Register(CLSID_HostHasher, &pal::CreateComObject<Hasher>, cookies_);
}

HostClassRegistration::~HostClassRegistration()
{
    for (DWORD cookie : cookies_)
        CoRevokeClassObject(cookie);
}

} // namespace host
