#pragma once
// JSON text for the scripting output of the subcommands.
#include <map>
#include <string>

#include <wx/string.h>

namespace KivoHost {

// `text` (UTF-8) as a JSON string, in double quotes.
std::string jsonString(const std::string& text);
// The map as one JSON object of strings, keys in the map's order.
std::string jsonObject(const std::map<wxString, wxString>& members);

}  // namespace KivoHost
