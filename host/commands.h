// The host's console commands. Each answers the process exit status.
#pragma once

#include <string>
#include <vector>

namespace host {

using Arguments = std::vector<std::string>;

int RunRegister(const Arguments& args, bool registering);
int RunPlugins(const Arguments& args);
int RunInfo(const Arguments& args);
int RunService(const Arguments& args);
// publish [--verbose] FILE|FOLDER...: 0 all published, 1 failures or cancelled, 2 not ready or misused.
int RunPublish(const Arguments& args);
// settings set|unset|show: the per-user settings key of one plug-in class.
int RunSettings(const Arguments& args);
// configure authorize [--fill ID=TEXT] [--fill-file ID=FILE] [--press ID]...: the plug-in's credentials
// dialog, answered by a user or by the steps. 0 authorised, 1 refused or cancelled, 2 misused.
int RunConfigure(const Arguments& args);
// account --gallery ID | --gallery-title TITLE: the gallery of the stored account (a demo and test tool).
int RunAccount(const Arguments& args);

// Option helpers shared by the commands.
bool HasFlag(const Arguments& args, const std::string& flag);
// The value after an option ("--module PATH"), or empty.
std::string OptionValue(const Arguments& args, const std::string& option);

} // namespace host
