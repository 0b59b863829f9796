#include "CodePolicy.h"

namespace KivoHost {

bool runsConfigurationCode(const std::string& command, std::optional<bool> requested) {
  if (requested.has_value()) return *requested;
  const bool onlyLooks =
      command == "tree" || command == "state" || command == "info" || command == "get";
  return !onlyLooks;
}

const char* configurationCodeHelp() {
  return "  --plugins      load the plug-in libraries and run the scripts FILE names;\n"
         "                 the default of exec, set and shell\n"
         "  --no-plugins   run none of FILE's code, only read it; the default of tree,\n"
         "                 state, info and get, so a look at a file runs nothing\n";
}

}  // namespace KivoHost
