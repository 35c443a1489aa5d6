// The upload command of orvana-host service.
#pragma once

#include "contract/orvana_publishing.h"
#include "host/commands.h"

#include <string>

namespace host {

// Uploads the file at path to --gallery-url (named --name or by its file
// name) and prints the service's reply. Throws std::runtime_error for usage
// and file errors; answers the exit status otherwise.
int RunUpload(IZenfolioProxy* proxy, const std::string& path, const Arguments& args);

} // namespace host
