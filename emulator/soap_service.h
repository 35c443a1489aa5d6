#pragma once

#include "emulator/login_sessions.h"
#include "emulator/service_data.h"
#include "emulator/soap_envelope.h"
#include "emulator/xml_writer.h"

#include <optional>
#include <string>

namespace emulator {

struct CallContext {
    std::optional<std::string> token; // the X-Zenfolio-Token header, when sent
    bool refuse_logins = false;
};

// The seven methods of the API that the emulator serves.
class SoapService {
  public:
    SoapService(ServiceState& state, LoginSessions& sessions) : state_(state), sessions_(sessions) {}

    // The reply envelope of a successful call; refusals throw ServiceFault.
    std::string Call(const SoapRequest& request, const CallContext& context);

  private:
    // The login behind the request's token. A token that is sent must be
    // live; when required, a missing one is refused too.
    std::optional<std::string> Caller(const CallContext& context, bool required) const;

    void GetChallenge(const SoapRequest& request, XmlWriter& w);
    void Authenticate(const SoapRequest& request, const CallContext& context, XmlWriter& w);
    void LoadPrivateProfile(const CallContext& context, XmlWriter& w);
    void LoadGroupHierarchy(const SoapRequest& request, XmlWriter& w);
    void LoadPhotoSet(const SoapRequest& request, XmlWriter& w);
    void CreatePhotoSet(const SoapRequest& request, const std::string& caller, XmlWriter& w);

    ServiceState& state_;
    LoginSessions& sessions_;
};

} // namespace emulator
