#include "NodeCommands.h"

#include <map>

#include "Json.h"
#include "NodePaths.h"
#include "NodeSaving.h"
#include "Output.h"
#include "Text.h"
#include "TreeAccess.h"
#include "kivo/base/KivoBase.h"
#include "kivo/convert/Indent.h"

namespace KivoHost {
namespace {

using KivoUnit::iNode;

void printReport(const wxString& report) {
  std::string text = toUtf8(report);
  if (!text.empty() && text.back() != '\n') text += '\n';
  printText(text);
}

// The attributes a node has: those with a value.
std::map<wxString, wxString> attributesOf(const iNode& node) {
  std::map<wxString, wxString> attributes;
  for (const auto& [name, value] : node.getAttributes(true)) {
    if (!value.empty()) attributes.emplace(name, value);
  }
  return attributes;
}

}  // namespace

int showState(const std::string& path) {
  TreeAccess tree(__func__);
  const iNode* node = requireNode(tree.base(), path);
  if (node == nullptr) return ExitFailure;
  printReport(node->State(KivoUnit::Indent(), wxString()));
  return ExitOk;
}

int showInfo(const std::string& path) {
  TreeAccess tree(__func__);
  const iNode* node = requireNode(tree.base(), path);
  if (node == nullptr) return ExitFailure;
  printReport(node->Info(KivoUnit::Indent()));
  return ExitOk;
}

int listChildren(const std::string& path) {
  for (const std::string& name : childNames(path)) printLine(name);
  return nodeExists(path) ? ExitOk : fail("no node at " + quoted(withoutParams(path)));
}

int showAttributes(const std::string& path, const std::string& attribute, bool json) {
  TreeAccess tree(__func__);
  const iNode* node = requireNode(tree.base(), path);
  if (node == nullptr) return ExitFailure;
  std::map<wxString, wxString> attributes = attributesOf(*node);
  if (!attribute.empty()) {
    const auto found = attributes.find(fromUtf8(attribute));
    if (found == attributes.end()) return fail(quoted(path) + " has no attribute " + quoted(attribute));
    attributes = {*found};
  }
  if (json) {
    printLine(jsonObject(attributes));
  } else if (!attribute.empty()) {
    printLine(toUtf8(attributes.begin()->second));
  } else {
    for (const auto& [name, value] : attributes) printLine(toUtf8(name) + "=" + toUtf8(value));
  }
  return ExitOk;
}

int saveNode(const std::string& path, bool announce) {
  TreeAccess tree(__func__);
  iNode* node = requireNode(tree.base(), path);
  if (node == nullptr) return ExitFailure;
  iNode* owner = storingNode(*node, path, "nothing was saved");
  if (owner == nullptr || !saveStoredNode(*node, path)) return ExitFailure;
  if (announce) printLine("saved " + storedFile(*node, *owner));
  return ExitOk;
}

bool nodeExists(const std::string& path) {
  TreeAccess tree(__func__);
  return tree.base() != nullptr && findNode(*tree.base(), path) != nullptr;
}

std::vector<std::string> childNames(const std::string& path) {
  TreeAccess tree(__func__);
  std::vector<std::string> names;
  const iNode* node = tree.base() != nullptr ? findNode(*tree.base(), path) : nullptr;
  if (node == nullptr) return names;
  for (const iNode* child : childrenOf(*node)) {
    names.push_back(pathName(*child) + (child->hasChildren() ? "/" : ""));
  }
  return names;
}

}  // namespace KivoHost
