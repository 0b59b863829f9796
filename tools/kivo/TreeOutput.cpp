// "tree": the subtree as an outline for people or as nested JSON objects for scripts.
#include "NodeCommands.h"

#include "Json.h"
#include "NodePaths.h"
#include "Output.h"
#include "Text.h"
#include "TextWidth.h"
#include "TreeAccess.h"
#include "kivo/node/iNode.h"

namespace KivoHost {
namespace {

using KivoUnit::iNode;

constexpr size_t kWidestShownValue = 48;  // columns
const std::string kCut = "...";

// A value must not break the outline's one line per node.
std::string escapeControls(const std::string& value) {
  std::string escaped;
  for (const char c : value) {
    if (c == '\n') {
      escaped += "\\n";
    } else if (c == '\r') {
      escaped += "\\r";
    } else if (c == '\t') {
      escaped += "\\t";
    } else {
      escaped += c;
    }
  }
  return escaped;
}

std::string shownValue(const std::string& value) {
  std::string shown = escapeControls(value);
  if (displayWidth(shown) > kWidestShownValue) {
    shown = cutToWidth(shown, kWidestShownValue - kCut.size()) + kCut;
  }
  const bool needsQuotes = shown.empty() || shown.find_first_of(" \"") != std::string::npos;
  return needsQuotes ? "\"" + shown + "\"" : shown;
}

// Name and label are shown at the front of the line, or as members of their own.
// Name and label (made from "translatable_name") are shown at the front of the line already.
bool isKeyAttribute(const wxString& name, const wxString& value) {
  return !value.empty() && name != wxS("name") && name != wxS("label") &&
         name != wxS("translatable_name");
}

std::string outlineLine(const iNode& node, int depth) {
  std::string line(static_cast<size_t>(depth) * 2, ' ');
  line += pathName(node);
  const wxString label = node.getLabel();
  if (!label.empty() && label != node.getDecodedName() && label != node.getName()) {
    line += " \"" + toUtf8(label) + "\"";
  }
  line += " [" + toUtf8(node.getElement()) + "]";
  for (const auto& [name, value] : node.getAttributes(true)) {
    if (isKeyAttribute(name, value)) line += " " + toUtf8(name) + "=" + shownValue(toUtf8(value));
  }
  return line;
}

void printOutline(const iNode& node, int depth) {
  printLine(outlineLine(node, depth));
  for (const iNode* child : childrenOf(node)) printOutline(*child, depth + 1);
}

// {"name", "label", "element", "attributes": {...}, "children": [...]}
void appendJson(const iNode& node, std::string& json) {
  std::map<wxString, wxString> attributes;
  for (const auto& [name, value] : node.getAttributes(true)) {
    if (isKeyAttribute(name, value)) attributes.emplace(name, value);
  }
  json += "{\"name\":" + jsonString(pathName(node)) +
          ",\"label\":" + jsonString(toUtf8(node.getLabel())) +
          ",\"element\":" + jsonString(toUtf8(node.getElement())) +
          ",\"attributes\":" + jsonObject(attributes) + ",\"children\":[";
  bool first = true;
  for (const iNode* child : childrenOf(node)) {
    if (!first) json += ",";
    first = false;
    appendJson(*child, json);
  }
  json += "]}";
}

}  // namespace

int showTree(const std::string& path, bool json) {
  TreeAccess tree(__func__);
  const iNode* node = requireNode(tree.base(), path);
  if (node == nullptr) return ExitFailure;
  if (!json) {
    printOutline(*node, 0);
    return ExitOk;
  }
  std::string text;
  appendJson(*node, text);
  printLine(text);
  return ExitOk;
}

}  // namespace KivoHost
