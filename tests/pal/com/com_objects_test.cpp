#include "pal/aggregated_marshaler.h"
#include "pal/class_factory.h"
#include "pal/com/activation.h"
#include "pal/com_ptr.h"
#include "pal/guid_text.h"
#include "pal/object.h"
#include "pal/resources/module_file.h"
#include "pal/utf.h"
#include "pal/wide_string.h"
#include "tests/support/registry_tree.h"
#include "tests/support/temporary_prefix.h"

#include <atomic>
#include <chrono>
#include <dlfcn.h>
#include <future>
#include <gtest/gtest.h>
#include <thread>

namespace {

struct IFirst : IUnknown {
    virtual int STDMETHODCALLTYPE First() = 0;
};
struct ISecond : IUnknown {
    virtual int STDMETHODCALLTYPE Second() = 0;
};

} // namespace

PAL_DECLARE_IID(IFirst, "11111111-2222-3333-4444-555555555555");
PAL_DECLARE_IID(ISecond, "11111111-2222-3333-4444-666666666666");

namespace {

int g_destroyed = 0;

class Thing : public pal::ComObjectRoot, public IFirst, public ISecond {
  public:
    using Interfaces = pal::InterfaceList<IFirst, ISecond>;
    ~Thing() override { ++g_destroyed; }
    int STDMETHODCALLTYPE First() override { return 1; }
    int STDMETHODCALLTYPE Second() override { return 2; }
};

class FailingThing : public Thing {
  public:
    HRESULT FinalConstruct() { return E_ACCESSDENIED; }
};

// An outer object that aggregates a Thing and exposes its ISecond as its own.
class Outer : public pal::ComObjectRoot, public IFirst {
  public:
    using Interfaces = pal::InterfaceList<IFirst>;
    HRESULT FinalConstruct()
    {
        return pal::CreateComObject<Thing>(ControllingUnknown(), IID_IUnknown, inner_.ReleaseAndGetVoidAddress());
    }
    HRESULT QueryInterfaceExtra(REFIID riid, void** ppv)
    {
        if (riid != IID_ISecond) return E_NOINTERFACE;
        HRESULT hr = inner_->QueryInterface(riid, ppv);
        if (SUCCEEDED(hr)) static_cast<IUnknown*>(*ppv)->Release(); // the caller's AddRef follows
        return hr;
    }
    int STDMETHODCALLTYPE First() override { return 10; }

  private:
    pal::ComPtr<IUnknown> inner_;
};

ULONG RefCount(IUnknown* object)
{
    object->AddRef();
    return object->Release();
}

TEST(ComObject, AnswersItsInterfacesWithOneIdentity)
{
    pal::ComPtr<IFirst> first;
    ASSERT_EQ(S_OK, pal::CreateComObject<Thing>(nullptr, IID_IFirst, first.ReleaseAndGetVoidAddress()));

    pal::ComPtr<ISecond> second;
    ASSERT_EQ(S_OK, first.As(second));
    EXPECT_EQ(2, second->Second());
    pal::ComPtr<IUnknown> identityFromFirst, identityFromSecond;
    first.As(identityFromFirst);
    second.As(identityFromSecond);
    EXPECT_EQ(identityFromFirst.Get(), identityFromSecond.Get());

    void* none = reinterpret_cast<void*>(1);
    EXPECT_EQ(E_NOINTERFACE, first->QueryInterface(IID_IClassFactory, &none));
    EXPECT_EQ(nullptr, none);

    g_destroyed = 0;
    first.Reset(), second.Reset(), identityFromFirst.Reset(), identityFromSecond.Reset();
    EXPECT_EQ(1, g_destroyed);
}

TEST(ComObject, FailedFinalConstructDestroysTheObjectAndFailsCreation)
{
    g_destroyed = 0;
    const long before = pal::ModuleLock::Count();
    void* out = reinterpret_cast<void*>(1);
    EXPECT_EQ(E_ACCESSDENIED, pal::CreateComObject<FailingThing>(nullptr, IID_IFirst, &out));
    EXPECT_EQ(nullptr, out);
    EXPECT_EQ(1, g_destroyed);
    EXPECT_EQ(before, pal::ModuleLock::Count());
}

TEST(ComObject, AggregatedObjectDelegatesToItsOuterUnknown)
{
    // An outer object may ask for IUnknown only, of the class and of its class factory alike.
    void* refused = reinterpret_cast<void*>(1);
    IUnknown* someOuter = reinterpret_cast<IUnknown*>(0x1000);
    EXPECT_EQ(CLASS_E_NOAGGREGATION, pal::CreateComObject<Thing>(someOuter, IID_IFirst, &refused));
    pal::ComPtr<IClassFactory> factory(new pal::ClassFactory(&pal::CreateComObject<Thing>));
    EXPECT_EQ(CLASS_E_NOAGGREGATION, factory->CreateInstance(someOuter, IID_IFirst, &refused));
    EXPECT_EQ(nullptr, refused);

    g_destroyed = 0;
    pal::ComPtr<IFirst> outer;
    ASSERT_EQ(S_OK, pal::CreateComObject<Outer>(nullptr, IID_IFirst, outer.ReleaseAndGetVoidAddress()));
    pal::ComPtr<ISecond> second;
    ASSERT_EQ(S_OK, outer.As(second)); // found through the inner object
    EXPECT_EQ(2, second->Second());

    // The inner interface counts on the outer object and leads back to it.
    const ULONG outerCount = RefCount(outer.Get());
    second->AddRef();
    EXPECT_EQ(outerCount + 1, RefCount(outer.Get()));
    second->Release();
    pal::ComPtr<IFirst> back;
    ASSERT_EQ(S_OK, second.As(back));
    EXPECT_EQ(10, back->First());

    back.Reset(), second.Reset(), outer.Reset();
    EXPECT_EQ(1, g_destroyed); // the inner Thing went with its outer object
}

TEST(FreeThreadedMarshaler, IsReachedThroughTheOuterObjectAndPassesPointersThroughAStream)
{
    pal::ComPtr<IFirst> object;
    ASSERT_EQ(S_OK, pal::CreateComObject<Thing>(nullptr, IID_IFirst, object.ReleaseAndGetVoidAddress()));
    pal::ComPtr<IUnknown> marshalerInner;
    ASSERT_EQ(S_OK, CoCreateFreeThreadedMarshaler(object.Get(), marshalerInner.ReleaseAndGetAddressOf()));
    pal::ComPtr<IMarshal> marshal;
    ASSERT_EQ(S_OK, marshalerInner.As(marshal));

    // IMarshal's own IUnknown is the outer object's.
    pal::ComPtr<IFirst> viaMarshal;
    ASSERT_EQ(S_OK, marshal.As(viaMarshal));
    EXPECT_EQ(object.Get(), viaMarshal.Get());

    pal::ComPtr<IStream> stream;
    ASSERT_EQ(S_OK, CreateStreamOnHGlobal(nullptr, TRUE, stream.ReleaseAndGetAddressOf()));
    const ULONG before = RefCount(object.Get());
    ASSERT_EQ(S_OK, marshal->MarshalInterface(stream.Get(), IID_ISecond, object.Get(), MSHCTX_INPROC, nullptr, 0));
    EXPECT_EQ(before + 1, RefCount(object.Get()));
    stream->Seek(LARGE_INTEGER{}, STREAM_SEEK_SET, nullptr);
    pal::ComPtr<ISecond> unmarshaled;
    ASSERT_EQ(S_OK, marshal->UnmarshalInterface(stream.Get(), IID_ISecond, unmarshaled.ReleaseAndGetVoidAddress()));
    EXPECT_EQ(2, unmarshaled->Second());
    unmarshaled.Reset();
    viaMarshal.Reset();
    marshal.Reset();
    EXPECT_EQ(1u, RefCount(object.Get())); // every marshaled reference was given back
}

class Activation : public testing_support::PrefixTest {
  protected:
    void SetUp() override { ASSERT_EQ(S_OK, CoInitializeEx(nullptr, COINIT_MULTITHREADED)); }
    void TearDown() override { CoUninitialize(); }
};

constexpr CLSID kThingClass = pal::MakeGuid("0B0B0B0B-1111-2222-3333-444444444444");

TEST(ActivationWithoutApartment, IsRefusedUntilAThreadJoinsOne)
{
    void* out = reinterpret_cast<void*>(1);
    EXPECT_EQ(CO_E_NOTINITIALIZED, CoCreateInstance(kThingClass, nullptr, CLSCTX_ALL, IID_IFirst, &out));
    EXPECT_EQ(nullptr, out);
    EXPECT_EQ(S_OK, CoInitializeEx(nullptr, COINIT_MULTITHREADED));
    EXPECT_EQ(S_FALSE, CoInitializeEx(nullptr, COINIT_MULTITHREADED));
    EXPECT_EQ(RPC_E_CHANGED_MODE, CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
    CoUninitialize();
    CoUninitialize();
}

TEST_F(Activation, FindsClassesTheProgramRegisteredUntilTheyAreRevoked)
{
    pal::ComPtr<IClassFactory> factory(new pal::ClassFactory(&pal::CreateComObject<Thing>));
    DWORD cookie = 0;
    ASSERT_EQ(S_OK,
              CoRegisterClassObject(kThingClass, factory.Get(), CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &cookie));
    pal::ComPtr<ISecond> made;
    ASSERT_EQ(S_OK, CoCreateInstance(kThingClass, nullptr, CLSCTX_ALL, IID_ISecond, made.ReleaseAndGetVoidAddress()));
    EXPECT_EQ(2, made->Second());

    EXPECT_EQ(S_OK, CoRevokeClassObject(cookie));
    EXPECT_EQ(E_INVALIDARG, CoRevokeClassObject(cookie));
    void* out = nullptr;
    EXPECT_EQ(REGDB_E_CLASSNOTREG, CoCreateInstance(kThingClass, nullptr, CLSCTX_ALL, IID_ISecond, &out));
}

constexpr CLSID kBuiltinThing = pal::MakeGuid("0C0C0C0C-1111-2222-3333-444444444444");
const pal::BuiltinClass g_builtinThing{kBuiltinThing, &pal::CreateComObject<Thing>};

TEST_F(Activation, FindsBuiltinClassesUnlessTheRegistryNamesAModuleThatIsMissingOrNoServer)
{
    pal::ComPtr<ISecond> made;
    ASSERT_EQ(S_OK, CoCreateInstance(kBuiltinThing, nullptr, CLSCTX_ALL, IID_ISecond, made.ReleaseAndGetVoidAddress()));
    EXPECT_EQ(2, made->Second());

    const std::u16string key = u"Software\\Classes\\CLSID\\" + pal::GuidToString(kBuiltinThing) + u"\\InprocServer32";
    testing_support::CreateKey(HKEY_CURRENT_USER, key.c_str(), u"", u"/nonexistent/override.so");
    void* out = nullptr;
    EXPECT_EQ(HRESULT_FROM_WIN32(ERROR_MOD_NOT_FOUND),
              CoCreateInstance(kBuiltinThing, nullptr, CLSCTX_INPROC_SERVER, IID_ISecond, &out));
    // A library that exports no DllGetClassObject is no server.
    testing_support::CreateKey(HKEY_CURRENT_USER, key.c_str(), u"", u"libsqlite3.so.0");
    EXPECT_EQ(CO_E_ERRORINDLL, CoCreateInstance(kBuiltinThing, nullptr, CLSCTX_ALL, IID_ISecond, &out));
    EXPECT_EQ(nullptr, out);
}

// Runs call on a thread of its own; false when it has not returned within a few
// seconds, a deadlock, and the thread is then left behind.
template <typename Call> bool ReturnsInTime(Call call)
{
    auto returned = std::make_shared<std::promise<void>>();
    std::future<void> done = returned->get_future();
    std::thread([returned, call] {
        call();
        returned->set_value();
    }).detach();
    return done.wait_for(std::chrono::seconds(5)) == std::future_status::ready;
}

// The class the reentrant module creates whenever it is asked whether it can go.
constexpr CLSID kProbeClass = pal::MakeGuid("0D0D0D0D-1111-2222-3333-444444444444");
constexpr CLSID kReentrantServer = pal::MakeGuid("0E0E0E0E-1111-2222-3333-444444444444");
std::atomic<int> g_probes{0};

HRESULT CreateProbe(IUnknown* outer, REFIID riid, void** ppv)
{
    ++g_probes;
    return pal::CreateComObject<Thing>(outer, riid, ppv);
}

TEST_F(Activation, AModuleMayCallBackIntoActivationWhileItLoadsAndWhenAskedWhetherItCanGo)
{
    pal::ComPtr<IClassFactory> probe(new pal::ClassFactory(&CreateProbe));
    DWORD cookie = 0;
    ASSERT_EQ(S_OK, CoRegisterClassObject(kProbeClass, probe.Get(), CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &cookie));
    const std::u16string key =
        W("Software\\Classes\\CLSID\\") + pal::GuidToString(kReentrantServer) + W("\\InprocServer32");
    testing_support::CreateKey(HKEY_CURRENT_USER, key.c_str(), W(""), pal::ToUtf16(PAL_TEST_REENTRANT_MODULE));

    // After a timeout nothing here may take activation's lock again: the stuck thread holds it.
    HRESULT created = S_OK;
    ASSERT_TRUE(ReturnsInTime([&created] {
        void* out = nullptr;
        created = CoCreateInstance(kReentrantServer, nullptr, CLSCTX_INPROC_SERVER, IID_IFirst, &out);
    })) << "loading the module";
    EXPECT_EQ(CLASS_E_CLASSNOTAVAILABLE, created) << "the module's own answer";

    ASSERT_TRUE(ReturnsInTime(&CoFreeUnusedLibraries)) << "asking the module whether it can go";
    EXPECT_EQ(1, g_probes.load()) << "the module was asked once";
    EXPECT_FALSE(pal::LibraryHandle(dlopen(PAL_TEST_REENTRANT_MODULE, RTLD_NOW | RTLD_NOLOAD))) << "and unloaded";
    EXPECT_EQ(S_OK, CoRevokeClassObject(cookie));
}

} // namespace
