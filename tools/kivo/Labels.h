#pragma once
// Labels in the user's language for the commands that show them (tree, get).
#include <string>

namespace KivoHost {

struct LabelSettings {
  std::string language;       // a language code such as de_DE; empty: labels as written
  std::string catalogs;       // folder of <code>.mo files; empty: "locale" beside FILE
  std::string configuration;  // the configuration file, for the default folder
};

// Sets the translator's language and catalog when one is asked for, then gives every
// node whose element has a "translatable_name" that name, translated, as its label.
// The nodes change, their files do not. False with `error` set when the language or
// the folder does not exist.
bool showTranslatedLabels(const LabelSettings& settings, std::string& error);

}  // namespace KivoHost
