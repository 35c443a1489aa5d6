// The demo account as the plug-in keeps it once authorized and pointed at a
// gallery: a record ready to publish, for tests that start from there.
#pragma once

#include "emulator/service_emulator.h"
#include "pal/utf.h"
#include "settings/crc4.h"
#include "settings/publisher_state.h"

#include <string>

namespace testing_support {

// The demo account's first gallery; photo set id 0 when it has none.
inline emulator::PhotoSetInfo FirstDemoGallery(const emulator::ServiceEmulator& service)
{
    for (const auto& set : service.PhotoSets("demo"))
        if (set.gallery) return set;
    return {};
}

inline orvana::PublisherState DemoAccountRecord(const emulator::PhotoSetInfo& gallery)
{
    orvana::PublisherState state;
    state.AccountIdentifier = u"demo@example.com";
    state.ProtectedPassword = orvana::ProtectPassword(u"zenfolio-demo");
    state.LoginName = u"demo";
    state.DisplayName = u"Demo Photographer";
    state.PhotoBytesQuota = 1610612736;
    state.GalleryId = pal::ToUtf16(std::to_string(gallery.id));
    state.GalleryTitle = pal::ToUtf16(gallery.title);
    state.UploadUrl = pal::ToUtf16(gallery.upload_url);
    return state;
}

} // namespace testing_support
