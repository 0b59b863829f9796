#pragma once
// Whether a run of the program lets the configuration run its code: the plug-in
// libraries and the scripts it names run with the user's rights. A look at a
// configuration (tree, state, info, get) runs none of it unless asked with
// --plugins; commands that act on the tree (exec, set, shell, lua) run it unless
// asked not to with --no-plugins.
#include <optional>
#include <string>

namespace KivoHost {

// `requested` is what the command line asked for, if anything.
bool runsConfigurationCode(const std::string& command, std::optional<bool> requested);

}  // namespace KivoHost
