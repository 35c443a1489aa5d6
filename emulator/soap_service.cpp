#include "emulator/soap_service.h"

#include "emulator/categories.h"
#include "emulator/crypto.h"
#include "emulator/service_xml.h"
#include "emulator/text_util.h"

#include <charconv>

namespace emulator {
namespace {

ServiceFault InvalidParam(const std::string& message)
{
    return ServiceFault("E_INVALIDPARAM", message);
}

ServiceFault InvalidCredentials()
{
    return ServiceFault("E_INVALIDCREDENTIALS", "Invalid login name or password.");
}

std::int64_t ParseId(const std::optional<std::string>& text, const char* name)
{
    if (!text) throw InvalidParam(std::string("Parameter ") + name + " is missing.");
    const std::string_view digits = Trim(*text);
    std::int64_t value = 0;
    auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (digits.empty() || error != std::errc() || end != digits.data() + digits.size()) {
        throw InvalidParam(std::string("Parameter ") + name + " is not a 64-bit integer: \"" + *text + "\".");
    }
    return value;
}

std::string RequiredText(const std::optional<std::string>& text, const char* name)
{
    if (!text || Trim(*text).empty()) throw InvalidParam(std::string("Parameter ") + name + " is missing or empty.");
    return std::string(Trim(*text));
}

DetailLevel ParseLevel(const std::optional<std::string>& text)
{
    // Like the service's serializer, an absent enumeration takes its first value.
    if (!text) return DetailLevel::Level1;
    const std::string_view value = Trim(*text);
    if (value == "Level1") return DetailLevel::Level1;
    if (value == "Level2") return DetailLevel::Level2;
    if (value == "Full") return DetailLevel::Full;
    throw InvalidParam("Parameter level must be Level1, Level2 or Full, not \"" + *text + "\".");
}

bool ParseBoolean(const std::optional<std::string>& text, const char* name)
{
    if (!text) return false;
    const std::string_view value = Trim(*text);
    if (value == "true" || value == "1") return true;
    if (value == "false" || value == "0") return false;
    throw InvalidParam(std::string("Parameter ") + name + " is not a boolean: \"" + *text + "\".");
}

} // namespace

std::string SoapService::Call(const SoapRequest& request, const CallContext& context)
{
    const std::string& method = request.Method();
    XmlWriter w;
    if (method == "GetChallenge") {
        GetChallenge(request, w);
    } else if (method == "Authenticate") {
        Authenticate(request, context, w);
    } else if (method == "LoadPrivateProfile") {
        LoadPrivateProfile(context, w);
    } else if (method == "LoadGroupHierarchy") {
        Caller(context, false);
        LoadGroupHierarchy(request, w);
    } else if (method == "GetCategories") {
        Caller(context, false);
        WriteCategories(w);
    } else if (method == "LoadPhotoSet") {
        Caller(context, false);
        LoadPhotoSet(request, w);
    } else if (method == "CreatePhotoSet") {
        CreatePhotoSet(request, *Caller(context, true), w);
    } else {
        throw InvalidParam("Unknown method " + method + ".");
    }
    return ResultEnvelope(method, w.Take());
}

std::optional<std::string> SoapService::Caller(const CallContext& context, bool required) const
{
    if (!context.token || context.token->empty()) {
        if (required) throw ServiceFault("E_NOTAUTHENTICATED", "This call needs a login token.");
        return std::nullopt;
    }
    auto login = sessions_.LoginForToken(*context.token);
    if (!login) throw ServiceFault("E_NOTAUTHENTICATED", "The login token is unknown or has expired.");
    return login;
}

void SoapService::GetChallenge(const SoapRequest& request, XmlWriter& w)
{
    const std::string name = RequiredText(request.Param("loginName"), "loginName");
    auto found = state_.Read([&](const ServiceData& data) -> std::optional<std::pair<std::string, std::string>> {
        const Account* account = data.FindAccount(name);
        if (!account) return std::nullopt;
        return std::make_pair(account->login, account->salt);
    });
    if (!found) throw InvalidCredentials();
    const std::string challenge = sessions_.IssueChallenge(found->first);
    w.Element("PasswordSalt", crypto::Base64Encode(found->second));
    w.Element("Challenge", crypto::Base64Encode(challenge));
}

void SoapService::Authenticate(const SoapRequest& request, const CallContext& context, XmlWriter& w)
{
    const auto challenge_text = request.Param("challenge");
    if (!challenge_text) throw InvalidParam("Parameter challenge is missing.");
    const auto challenge = crypto::Base64Decode(*challenge_text);
    if (!challenge) throw InvalidParam("Parameter challenge is not base64Binary.");
    const auto login = sessions_.TakeChallenge(*challenge);
    if (!login || context.refuse_logins) throw InvalidCredentials();

    const auto proof_text = request.Param("proof");
    if (!proof_text) throw InvalidCredentials();
    const auto proof = crypto::Base64Decode(*proof_text);
    if (!proof) throw InvalidParam("Parameter proof is not base64Binary.");
    const auto password_hash = state_.Read([&](const ServiceData& data) -> std::optional<std::string> {
        const Account* account = data.FindAccountByLogin(*login);
        if (!account) return std::nullopt;
        return account->password_hash;
    });
    if (!password_hash || !crypto::ConstantTimeEqual(*proof, crypto::Sha256(*challenge, *password_hash))) {
        throw InvalidCredentials();
    }
    w.Text(sessions_.IssueToken(*login));
}

void SoapService::LoadPrivateProfile(const CallContext& context, XmlWriter& w)
{
    const std::string login = *Caller(context, true);
    state_.Read([&](const ServiceData& data) {
        const Account* account = data.FindAccountByLogin(login);
        if (!account) throw ServiceFault("E_NOSUCHOBJECT", "The account no longer exists.");
        WriteUserFields(w, data, *account);
    });
}

void SoapService::LoadGroupHierarchy(const SoapRequest& request, XmlWriter& w)
{
    const std::string login = RequiredText(request.Param("loginName"), "loginName");
    state_.Read([&](const ServiceData& data) {
        const Account* account = data.FindAccountByLogin(login);
        if (!account) throw ServiceFault("E_NOSUCHOBJECT", "No user with login name " + login + ".");
        WriteGroupFields(w, data, *data.FindGroup(account->root_group));
    });
}

void SoapService::LoadPhotoSet(const SoapRequest& request, XmlWriter& w)
{
    const std::int64_t id = ParseId(request.Param("photoSetId"), "photoSetId");
    const DetailLevel level = ParseLevel(request.Param("level"));
    const bool include_photos = ParseBoolean(request.Param("includePhotos"), "includePhotos");
    state_.Read([&](const ServiceData& data) {
        const PhotoSet* set = data.FindPhotoSet(id);
        if (!set) throw ServiceFault("E_NOSUCHOBJECT", "No photo set with id " + std::to_string(id) + ".");
        WritePhotoSetFields(w, data, *set, level, include_photos);
    });
}

void SoapService::CreatePhotoSet(const SoapRequest& request, const std::string& caller, XmlWriter& w)
{
    const std::int64_t group_id = ParseId(request.Param("groupId"), "groupId");
    PhotoSet fields;
    const auto type = request.Param("type");
    if (!type || Trim(*type) == "Gallery") {
        fields.type = PhotoSetType::Gallery;
    } else if (Trim(*type) == "Collection") {
        fields.type = PhotoSetType::Collection;
    } else {
        throw InvalidParam("Parameter type must be Gallery or Collection, not \"" + *type + "\".");
    }
    const auto updater = request.MethodElement().Child("updater");
    if (!updater) throw InvalidParam("Parameter updater is missing.");
    const auto title = updater->Child("Title");
    fields.title = RequiredText(title ? std::optional(title->Text()) : std::nullopt, "updater/Title");
    if (const auto caption = updater->Child("Caption")) fields.caption = caption->Text();
    if (const auto reference = updater->Child("CustomReference")) fields.custom_reference = reference->Text();
    if (const auto keywords = updater->Child("Keywords")) {
        for (const XmlElement& keyword : keywords->Children("Keyword")) {
            const std::string text = keyword.Text();
            if (!Trim(text).empty()) fields.keywords.emplace_back(Trim(text));
        }
    }
    if (const auto categories = updater->Child("Categories")) {
        for (const XmlElement& category : categories->Children("Category")) {
            const std::int64_t code = ParseId(category.Text(), "updater/Categories/Category");
            if (!IsKnownCategory(code)) throw InvalidParam("Unknown category code " + std::to_string(code) + ".");
            fields.categories.push_back(code);
        }
    }
    fields.created_on = CurrentDateTime();
    fields.modified_on = fields.created_on;

    state_.Write([&](ServiceData& data) {
        Group* group = data.FindGroup(group_id);
        if (!group) throw ServiceFault("E_NOSUCHOBJECT", "No group with id " + std::to_string(group_id) + ".");
        if (group->owner != caller) throw ServiceFault("E_NOTAUTHORIZED", "The group belongs to another user.");
        const PhotoSet& created = data.AddPhotoSet(*group, std::move(fields));
        WritePhotoSetFields(w, data, created, DetailLevel::Full, false);
    });
}

} // namespace emulator
