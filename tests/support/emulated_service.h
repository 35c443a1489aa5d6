// A proxy object talking to the service emulator, reached the way a user
// behind a proxy reaches the service: http_proxy names the emulator. The
// host's classes (the hasher the login needs) are registered for the test.
#pragma once

#include "emulator/service_emulator.h"
#include "host/host_classes.h"
#include "pal/com/activation.h"
#include "pal/com_ptr.h"
#include "pal/utf.h"
#include "service/zenfolio_proxy.h"
#include "tests/support/proxy_environment.h"
#include "tests/support/temporary_prefix.h"

#include <gtest/gtest.h>
#include <optional>
#include <string>

namespace testing_support {

class EmulatedServiceTest : public PrefixTest {
  protected:
    // What the emulator starts with; the demo account by default.
    virtual emulator::Options EmulatorOptions() { return {}; }

    void SetUp() override
    {
        ASSERT_EQ(S_OK, CoInitializeEx(nullptr, COINIT_MULTITHREADED));
        hostClasses_.emplace();
        emulator_.emplace(EmulatorOptions());
        emulator_->Start();
        proxyEnvironment_.Set("http_proxy", emulator_->Url());
        ASSERT_EQ(S_OK,
                  pal::CreateComObject<CZenfolioProxy>(nullptr, IID_IZenfolioProxy, proxy_.ReleaseAndGetVoidAddress()));
    }
    void TearDown() override
    {
        proxy_.Reset();
        if (emulator_) emulator_->Stop();
        hostClasses_.reset();
        CoUninitialize();
    }

    // Logs the proxy in to the demo account and answers its first gallery's upload address.
    std::u16string LogInAndFindUploadUrl()
    {
        EXPECT_EQ(S_OK, proxy_->Authenticate(u"demo", u"zenfolio-demo"));
        for (const auto& set : emulator_->PhotoSets("demo"))
            if (set.gallery) return pal::ToUtf16(set.upload_url);
        ADD_FAILURE() << "the demo account has no gallery";
        return {};
    }

    ProxyEnvironment proxyEnvironment_;
    std::optional<host::HostClassRegistration> hostClasses_;
    std::optional<emulator::ServiceEmulator> emulator_;
    pal::ComPtr<IZenfolioProxy> proxy_;
};

} // namespace testing_support
