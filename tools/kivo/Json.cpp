#include "Json.h"

#include <cstdio>

#include "Text.h"

namespace KivoHost {

std::string jsonString(const std::string& text) {
  std::string json = "\"";
  for (const char c : text) {
    if (c == '"' || c == '\\') {
      json += '\\';
      json += c;
    } else if (static_cast<unsigned char>(c) < 0x20) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(c));
      json += escaped;
    } else {
      json += c;  // UTF-8 passes as it is
    }
  }
  return json + "\"";
}

std::string jsonObject(const std::map<wxString, wxString>& members) {
  std::string json = "{";
  for (const auto& [name, value] : members) {
    if (json.size() > 1) json += ",";
    json += jsonString(toUtf8(name)) + ":" + jsonString(toUtf8(value));
  }
  return json + "}";
}

}  // namespace KivoHost
