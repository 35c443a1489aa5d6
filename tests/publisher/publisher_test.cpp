// The publisher as the host sees it: created through the registry, initialised
// with the reference host's object and a state stream.
#include "contract/orvana_publishing.h"
#include "host/event_reporter.h"
#include "host/publishing_host.h"
#include "pal/aggregated_marshaler.h"
#include "pal/bstr.h"
#include "pal/class_factory.h"
#include "pal/com/activation.h"
#include "pal/com/error_info.h"
#include "pal/com_ptr.h"
#include "pal/registry_key.h"
#include "pal/variant.h"
#include "settings/crc4.h"
#include "settings/publisher_state.h"
#include "settings/settings_store.h"
#include "tests/support/component_module.h"
#include "tests/support/temporary_prefix.h"

#include <gtest/gtest.h>

namespace {

class Publisher : public testing_support::PrefixTest {
  protected:
    void SetUp() override
    {
        ASSERT_EQ(S_OK, CoInitializeEx(nullptr, COINIT_MULTITHREADED));
        ASSERT_EQ(S_OK, module_.RegisterServer());
        ASSERT_EQ(S_OK, CoCreateInstance(CLSID_ZenfolioPublisher, nullptr, CLSCTX_INPROC_SERVER,
                                         IID_IOrvanaPublishingPlugin, plugin_.ReleaseAndGetVoidAddress()));
        host_ = pal::MakeComObject<host::PublishingHost, IPublishingHost>();
        ASSERT_EQ(S_OK, CreateStreamOnHGlobal(nullptr, TRUE, stream_.ReleaseAndGetAddressOf()));
    }
    void TearDown() override
    {
        plugin_.Reset();
        CoUninitialize();
    }

    void WriteState(const orvana::PublisherState& state)
    {
        ASSERT_NO_THROW(orvana::SaveState(stream_.Get(), state));
        stream_->Seek(LARGE_INTEGER{}, STREAM_SEEK_SET, nullptr);
    }
    ULONGLONG StreamSize()
    {
        STATSTG stat{};
        stream_->Stat(&stat, STATFLAG_NONAME);
        return stat.cbSize.QuadPart;
    }
    std::vector<BYTE> Content()
    {
        std::vector<BYTE> bytes(static_cast<std::size_t>(StreamSize()));
        stream_->Seek(LARGE_INTEGER{}, STREAM_SEEK_SET, nullptr);
        ULONG read = 0;
        EXPECT_EQ(S_OK, stream_->Read(bytes.data(), static_cast<ULONG>(bytes.size()), &read));
        EXPECT_EQ(bytes.size(), read);
        return bytes;
    }
    std::u16string DisplayState()
    {
        pal::Bstr text;
        EXPECT_EQ(S_OK, plugin_->GetDisplayState(text.ReleaseAndGetAddressOf()));
        return text.Str();
    }
    static orvana::PublisherState Authorised()
    {
        orvana::PublisherState state;
        state.AccountIdentifier = u"someone@example.com";
        state.ProtectedPassword = orvana::ProtectPassword(u"secret");
        state.LoginName = u"someone";
        state.DisplayName = u"Some One";
        return state;
    }

    static orvana::PublisherState Configured()
    {
        orvana::PublisherState state = Authorised();
        state.GalleryId = u"123";
        state.GalleryTitle = u"Holidays";
        state.UploadUrl = u"http://up.zenfolio.com/someone/p123/upload.ushx";
        return state;
    }

    testing_support::ComponentModule module_;
    pal::ComPtr<IOrvanaPublishingPlugin> plugin_;
    pal::ComPtr<IPublishingHost> host_;
    pal::ComPtr<IStream> stream_;
};

TEST_F(Publisher, ReportsItsIdentityFromTheStringTableAndVersionBlock)
{
    tagORVPUBLISHINGCAPABILITIES capabilities{};
    ASSERT_EQ(S_OK, plugin_->GetCapabilities(&capabilities));
    EXPECT_EQ(15, capabilities);

    pal::Bstr name, description, author, version;
    ASSERT_EQ(S_OK, plugin_->GetDisplayName(name.ReleaseAndGetAddressOf()));
    EXPECT_EQ(u"Publish to Zenfolio", name.View());
    ASSERT_EQ(S_OK, plugin_->GetDescription(description.ReleaseAndGetAddressOf()));
    EXPECT_EQ(u"Orvana Publish to Zenfolio Component", description.View());
    ASSERT_EQ(S_OK, plugin_->GetVersionInformation(version.ReleaseAndGetAddressOf()));
    EXPECT_EQ(u"1.9 (Build 289)", version.View());
    ASSERT_EQ(S_OK, plugin_->GetAuthorInformation(author.ReleaseAndGetAddressOf()));
    EXPECT_NE(std::u16string::npos, author.View().find(u"Copyright"));

    HICON icon = nullptr, again = nullptr;
    ASSERT_EQ(S_OK, plugin_->GetIcon(&icon));
    ASSERT_EQ(S_OK, plugin_->GetIcon(&again));
    EXPECT_NE(nullptr, icon);
    EXPECT_EQ(icon, again); // a shared icon

    EXPECT_EQ(E_INVALIDARG, plugin_->GetDisplayName(nullptr));
    EXPECT_EQ(E_INVALIDARG, plugin_->GetDescription(nullptr));
    EXPECT_EQ(E_INVALIDARG, plugin_->GetAuthorInformation(nullptr));
    EXPECT_EQ(E_INVALIDARG, plugin_->GetVersionInformation(nullptr));
    EXPECT_EQ(E_INVALIDARG, plugin_->GetDisplayState(nullptr));
    EXPECT_EQ(E_INVALIDARG, plugin_->GetCapabilities(nullptr));
    EXPECT_EQ(E_INVALIDARG, plugin_->GetIcon(nullptr));
}

TEST_F(Publisher, AnswersThroughIDispatchByName)
{
    pal::ComPtr<IDispatch> dispatch;
    ASSERT_EQ(S_OK, plugin_.As(dispatch));
    UINT count = 0;
    ASSERT_EQ(S_OK, dispatch->GetTypeInfoCount(&count));
    EXPECT_EQ(1u, count);
    ITypeInfo* untouched = reinterpret_cast<ITypeInfo*>(0x1234);
    EXPECT_EQ(DISP_E_BADINDEX, dispatch->GetTypeInfo(1, 0, &untouched));
    EXPECT_EQ(reinterpret_cast<ITypeInfo*>(0x1234), untouched);

    LPOLESTR names[] = {const_cast<LPOLESTR>(u"GetDisplayName"), const_cast<LPOLESTR>(u"getcapabilities")};
    DISPID ids[2] = {};
    ASSERT_EQ(S_OK, dispatch->GetIDsOfNames(GUID_NULL, &names[0], 1, 0, &ids[0]));
    ASSERT_EQ(S_OK, dispatch->GetIDsOfNames(GUID_NULL, &names[1], 1, 0, &ids[1]));
    EXPECT_EQ(5, ids[0]);
    EXPECT_EQ(3, ids[1]);

    DISPPARAMS none{nullptr, nullptr, 0, 0};
    pal::Variant name;
    ASSERT_EQ(S_OK, dispatch->Invoke(ids[0], GUID_NULL, 0, DISPATCH_METHOD, &none, &name, nullptr, nullptr));
    ASSERT_EQ(VT_BSTR, name.vt);
    EXPECT_EQ(u"Publish to Zenfolio", std::u16string(name.bstrVal));
}

TEST_F(Publisher, ExposesErrorInfoSupportAndTheFreeThreadedMarshaler)
{
    pal::ComPtr<ISupportErrorInfo> support;
    ASSERT_EQ(S_OK, plugin_.As(support));
    EXPECT_EQ(S_OK, support->InterfaceSupportsErrorInfo(IID_IOrvanaPublishingPlugin));
    EXPECT_EQ(S_FALSE, support->InterfaceSupportsErrorInfo(IID_IZenfolioProxy));

    pal::ComPtr<IMarshal> marshal;
    ASSERT_EQ(S_OK, plugin_.As(marshal));
    CLSID unmarshaler{};
    EXPECT_EQ(S_OK, marshal->GetUnmarshalClass(IID_IOrvanaPublishingPlugin, plugin_.Get(), MSHCTX_INPROC, nullptr, 0,
                                               &unmarshaler));
    EXPECT_EQ(CLSID_InProcFreeMarshaler, unmarshaler);
}

TEST_F(Publisher, RefusesAHostWithoutThePublishingInterfaceAndLetsGoOfTheEarlierOne)
{
    EXPECT_EQ(E_INVALIDARG, plugin_->Initialize(nullptr, 0x409, stream_.Get(), 0));
    ASSERT_EQ(S_OK, plugin_->Initialize(host_.Get(), 0x409, stream_.Get(), 0));
    ASSERT_EQ(S_FALSE, plugin_->CanPublish(nullptr, FALSE));
    // A stream is an object, but no host: the host held before is released, not kept.
    EXPECT_EQ(E_INVALIDARG, plugin_->Initialize(stream_.Get(), 0x409, stream_.Get(), 0));
    EXPECT_EQ(E_UNEXPECTED, plugin_->CanPublish(nullptr, FALSE));
}

TEST_F(Publisher, WithoutAStreamItWorksButNeitherPublishesNorSaves)
{
    ASSERT_EQ(S_OK, plugin_->Initialize(host_.Get(), 0x409, nullptr, 0));
    EXPECT_EQ(E_UNEXPECTED, plugin_->CanPublish(nullptr, FALSE));
    EXPECT_EQ(E_UNEXPECTED, plugin_->Configure(nullptr, u"settings", u""));
    EXPECT_EQ(E_UNEXPECTED, plugin_->Publish(nullptr, nullptr));
    EXPECT_EQ(S_OK, plugin_->Terminate());
    EXPECT_EQ(0u, StreamSize());
}

TEST_F(Publisher, AFirstUseStartsUnauthorisedAndSavesAnEmptyRecord)
{
    ASSERT_EQ(S_OK, plugin_->Initialize(host_.Get(), 0x409, stream_.Get(), 0));
    EXPECT_EQ(u"Orvana Professional needs your credentials before it can publish images to Zenfolio. "
              u"<a id=\"authorize\" href=\"\">Authorize...</a>",
              DisplayState());
    EXPECT_EQ(S_FALSE, plugin_->CanPublish(nullptr, FALSE));
    ASSERT_EQ(S_OK, plugin_->Terminate());
    EXPECT_EQ(41u, StreamSize());
}

TEST_F(Publisher, EachAccountFieldIsNeededForAuthorisationAndEachGalleryFieldForTheConfiguration)
{
    const std::u16string needsCredentials =
        u"Orvana Professional needs your credentials before it can publish images to Zenfolio. "
        u"<a id=\"authorize\" href=\"\">Authorize...</a>";
    const std::u16string needsSettings =
        u"Orvana is now authorized to publish to Zenfolio as Some One. A few bits remain to be configured. "
        u"<a id=\"settings\" href=\"\">Settings...</a>";
    using orvana::PublisherState;
    const auto check = [&](const PublisherState& state, const std::u16string& expected) {
        WriteState(state);
        ASSERT_EQ(S_OK, plugin_->Initialize(host_.Get(), 0x409, stream_.Get(), 0));
        EXPECT_EQ(expected, DisplayState());
        EXPECT_EQ(S_FALSE, plugin_->CanPublish(nullptr, FALSE));
    };
    for (const auto& [name, field, expected] :
         {std::tuple{"AccountIdentifier", &PublisherState::AccountIdentifier, needsCredentials},
          {"LoginName", &PublisherState::LoginName, needsCredentials},
          {"GalleryId", &PublisherState::GalleryId, needsSettings},
          {"UploadUrl", &PublisherState::UploadUrl, needsSettings},
          {"GalleryTitle", &PublisherState::GalleryTitle, needsSettings}}) {
        for (const std::optional<std::u16string>& missing : {std::optional<std::u16string>{}, {u""}}) {
            SCOPED_TRACE(std::string(missing ? "empty " : "null ") + name);
            PublisherState state = Configured();
            state.*field = missing;
            check(state, expected);
        }
    }
    for (const std::optional<std::vector<BYTE>>& missing : {std::optional<std::vector<BYTE>>{}, {{}}}) {
        PublisherState state = Configured();
        state.ProtectedPassword = missing;
        check(state, needsCredentials);
    }
}

TEST_F(Publisher, AConfiguredAccountCanPublishWithoutTouchingTheNetwork)
{
    const orvana::PublisherState state = Configured();
    WriteState(state);
    const std::vector<BYTE> record = Content();
    // What is left of an older, longer record after this one.
    stream_->Seek(LARGE_INTEGER{}, STREAM_SEEK_END, nullptr);
    const BYTE tail[] = {0xEE, 0xEE, 0xEE, 0xEE};
    ASSERT_EQ(S_OK, stream_->Write(tail, sizeof tail, nullptr));
    stream_->Seek(LARGE_INTEGER{}, STREAM_SEEK_SET, nullptr);

    ASSERT_EQ(S_OK, plugin_->Initialize(host_.Get(), 0x409, stream_.Get(), 0));
    EXPECT_EQ(S_OK, plugin_->CanPublish(nullptr, FALSE));

    // Terminate rewrites the whole stream with what was loaded, and nothing else.
    ASSERT_EQ(S_OK, plugin_->Terminate());
    EXPECT_EQ(record, Content());
}

TEST_F(Publisher, AConfiguredAccountSummarisesTheSettingsReadAfreshEachTime)
{
    WriteState(Configured());
    ASSERT_EQ(S_OK, plugin_->Initialize(host_.Get(), 0x409, stream_.Get(), 0));
    EXPECT_EQ(u"Publish to Holidays. Send JPEG files intact. <a id=\"settings\" href=\"parameters\">Settings...</a>",
              DisplayState())
        << "no settings key: the defaults";

    pal::RegKey key;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CURRENT_USER, orvana::kSettingsKeyPath, 0, nullptr, 0, KEY_ALL_ACCESS,
                                             nullptr, key.ReleaseAndGetAddressOf(), nullptr));
    pal::SetDWORDValue(key.Get(), u"JPEGMode", 2);
    for (const char16_t* name : {u"JPEGWriteEXIF", u"JPEGWriteXMP", u"JPEGWriteIPTC"})
        pal::SetDWORDValue(key.Get(), name, 0);
    pal::SetStringValue(key.Get(), u"JPEGLongDimension", u"24cm");
    EXPECT_EQ(u"Publish to Holidays. Resample, send copyright, GPS data, downscale for 24 cm print. "
              u"<a id=\"settings\" href=\"parameters\">Settings...</a>",
              DisplayState());
}

TEST_F(Publisher, ChecksConfigureArgumentsBeforeTheVerb)
{
    ASSERT_EQ(S_OK, plugin_->Initialize(host_.Get(), 0x409, stream_.Get(), 0));
    const HWND window = reinterpret_cast<HWND>(0x1234); // never used by a verb that does nothing
    EXPECT_EQ(E_INVALIDARG, plugin_->Configure(window, u"authorize", nullptr));
    EXPECT_EQ(E_INVALIDARG, plugin_->Configure(window, nullptr, u""));
    EXPECT_EQ(E_INVALIDARG, plugin_->Configure(nullptr, u"parameters", u""));
    EXPECT_EQ(S_OK, plugin_->Configure(window, u"parameters", u""));
}

TEST_F(Publisher, AMalformedStreamFailsInitialisationWithItsCode)
{
    const BYTE truncated[] = {1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 2, 3}; // quota cut short
    stream_->Write(truncated, sizeof truncated, nullptr);
    stream_->Seek(LARGE_INTEGER{}, STREAM_SEEK_SET, nullptr);
    EXPECT_EQ(HRESULT_FROM_WIN32(ERROR_INVALID_DATA), plugin_->Initialize(host_.Get(), 0x409, stream_.Get(), 0));
    // Still usable with what was read.
    EXPECT_EQ(S_FALSE, plugin_->CanPublish(nullptr, FALSE));
}

TEST_F(Publisher, AStreamThatRefusesReadingOrWritingFailsTheCallWithItsCode)
{
    pal::ComPtr<IStream> readOnly, writeOnly;
    ASSERT_EQ(S_OK, SHCreateStreamOnFileW(u"/dev/null", STGM_READ, readOnly.ReleaseAndGetAddressOf()));
    ASSERT_EQ(S_OK, plugin_->Initialize(host_.Get(), 0x409, readOnly.Get(), 0)); // no record yet
    EXPECT_EQ(STG_E_ACCESSDENIED, plugin_->Terminate());

    ASSERT_EQ(S_OK, SHCreateStreamOnFileW(u"/dev/null", STGM_WRITE, writeOnly.ReleaseAndGetAddressOf()));
    EXPECT_EQ(STG_E_ACCESSDENIED, plugin_->Initialize(host_.Get(), 0x409, writeOnly.Get(), 0));
}

// A reporter class the test registers, counting what reaches it.
int g_reportersAlive = 0;
class CountingReporter : public host::EventReporter {
  public:
    CountingReporter() { ++g_reportersAlive; }
    ~CountingReporter() override { --g_reportersAlive; }
};

TEST_F(Publisher, InitialiseCreatesTheEventReporterAndTerminateReleasesIt)
{
    pal::ComPtr<IClassFactory> factory(new pal::ClassFactory(&pal::CreateComObject<CountingReporter>));
    DWORD cookie = 0;
    ASSERT_EQ(S_OK, CoRegisterClassObject(CLSID_HostEventReporter, factory.Get(), CLSCTX_INPROC_SERVER,
                                          REGCLS_MULTIPLEUSE, &cookie));
    ASSERT_EQ(S_OK, plugin_->Initialize(host_.Get(), 0x409, stream_.Get(), 0));
    EXPECT_EQ(1, g_reportersAlive);
    // A second publisher shares the one reporter.
    pal::ComPtr<IOrvanaPublishingPlugin> second;
    ASSERT_EQ(S_OK, CoCreateInstance(CLSID_ZenfolioPublisher, nullptr, CLSCTX_INPROC_SERVER,
                                     IID_IOrvanaPublishingPlugin, second.ReleaseAndGetVoidAddress()));
    ASSERT_EQ(S_OK, second->Initialize(host_.Get(), 0x409, nullptr, 0));
    EXPECT_EQ(1, g_reportersAlive);
    ASSERT_EQ(S_OK, plugin_->Terminate());
    EXPECT_EQ(0, g_reportersAlive);
    CoRevokeClassObject(cookie);

    // Without the class, initialisation still succeeds.
    ASSERT_EQ(S_OK, plugin_->Initialize(host_.Get(), 0x409, stream_.Get(), 0));
    EXPECT_EQ(0, g_reportersAlive);
}

} // namespace
