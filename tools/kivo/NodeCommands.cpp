#include "NodeCommands.h"

#include <map>

#include <tinyxml.h>

#include "NodePaths.h"
#include "Output.h"
#include "Text.h"
#include "kivo/convert/Indent.h"
#include "kivo/base/KivoBase.h"
#include "kivo/thread/KivoLocker.h"

namespace KivoHost {
namespace {

using KivoUnit::iNode;
using KivoUnit::KivoBase;

constexpr size_t kLongestShownValue = 48;

// Holds the tree lock for one command and hands out the base.
class TreeAccess {
 public:
  explicit TreeAccess(const char* function)
      : m_Guard(__LINE__, __FILE__, function, wxS("kivo")), m_Base(m_Guard.Write()) {}
  KivoBase* base() const { return m_Base; }

 private:
  KivoUnit::KivoLocker m_Guard;
  KivoBase* m_Base;
};

// The node at `path`, or null after one failure line naming the path.
iNode* requireNode(KivoBase* base, const std::string& path) {
  if (base == nullptr) {
    fail("the library is not running");
    return nullptr;
  }
  iNode* node = findNode(*base, path);
  if (node == nullptr) fail("no node at " + quoted(withoutParams(path)));
  return node;
}

std::string shownValue(const std::string& value) {
  std::string shown =
      value.size() > kLongestShownValue ? value.substr(0, kLongestShownValue - 3) + "..." : value;
  const bool needsQuotes = shown.empty() || shown.find_first_of(" \t\n\"") != std::string::npos;
  return needsQuotes ? "\"" + shown + "\"" : shown;
}

// Name and label are shown at the front of the line already.
bool isKeyAttribute(const wxString& name, const wxString& value) {
  return !value.empty() && name != wxS("name") && name != wxS("label");
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

void printReport(const wxString& report) {
  std::string text = toUtf8(report);
  if (!text.empty() && text.back() != '\n') text += '\n';
  printText(text);
}

struct Assignment {
  std::string name;
  std::string value;
};

// Every assignment must have a name and "=", so nothing changes on a bad one.
bool parseAssignments(const std::vector<std::string>& texts, std::vector<Assignment>& out) {
  for (const std::string& text : texts) {
    const size_t equals = text.find('=');
    if (equals == std::string::npos || equals == 0) {
      fail(quoted(text) + " is not ATTRIBUTE=VALUE");
      return false;
    }
    out.push_back({text.substr(0, equals), text.substr(equals + 1)});
  }
  return true;
}

// The node itself or its nearest ancestor that loaded a file: where it is saved.
iNode* documentOwner(iNode& node) {
  for (iNode* owner = &node; owner != nullptr; owner = owner->getParent()) {
    if (owner->getSourceDocument() != nullptr) return owner;
  }
  return nullptr;
}

bool refuse(const std::string& message) {
  fail(message);
  return false;
}

// The node's Save writes it and stores the one document that holds its element.
bool saveDocumentOf(iNode& node, const std::string& path, std::string& savedFile) {
  if (node.isReadOnly()) return refuse(quoted(path) + " is read-only; nothing was saved");
  iNode* owner = documentOwner(node);
  if (node.isRunTime() || node.getTie() == nullptr || owner == nullptr) {
    return refuse(quoted(path) + " is not stored in any file; nothing was saved");
  }
  const TiXmlDocument* document = node.getTie()->GetDocument();
  savedFile = document != nullptr ? std::string(document->Value()) : toUtf8(owner->getFilename());
  // The library has said why, with the file and the system's reason.
  return node.Save() || refuse(quoted(path) + " was not saved");
}

}  // namespace

int showTree(const std::string& path) {
  TreeAccess tree(__func__);
  const iNode* node = requireNode(tree.base(), path);
  if (node == nullptr) return ExitFailure;
  printOutline(*node, 0);
  return ExitOk;
}

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

int runCommand(const std::string& path, const std::string& command) {
  TreeAccess tree(__func__);
  const iNode* node = requireNode(tree.base(), path);
  if (node == nullptr) return ExitFailure;
  // The base answers commands by path, so a command sent to the base itself would
  // come back to it.
  if (node == tree.base()) return fail("the root takes no commands; name a node below it");
  const wxString answer = tree.base()->Execute(fromUtf8(path), fromUtf8(command));
  const std::string shownCommand = command.empty() ? "the call" : "the command " + quoted(command);
  if (answer.empty()) {
    return fail(quoted(withoutParams(path)) + " gave no answer to " + shownCommand +
                " (the node does not know it)");
  }
  printReport(answer);
  if (answer.StartsWith(wxS("<failure"))) {
    return fail(quoted(withoutParams(path)) + " answered " + shownCommand + " with a failure");
  }
  return ExitOk;
}

int showAttributes(const std::string& path, const std::string& attribute) {
  TreeAccess tree(__func__);
  const iNode* node = requireNode(tree.base(), path);
  if (node == nullptr) return ExitFailure;
  const std::map<wxString, wxString> attributes = node->getAttributes(true);
  if (attribute.empty()) {
    for (const auto& [name, value] : attributes) {
      if (!value.empty()) printLine(toUtf8(name) + "=" + toUtf8(value));
    }
    return ExitOk;
  }
  const auto found = attributes.find(fromUtf8(attribute));
  if (found == attributes.end() || found->second.empty()) {
    return fail(quoted(path) + " has no attribute " + quoted(attribute));
  }
  printLine(toUtf8(found->second));
  return ExitOk;
}

int setAttributes(const std::string& path, const std::vector<std::string>& texts, bool save) {
  std::vector<Assignment> assignments;
  if (!parseAssignments(texts, assignments)) return ExitFailure;
  TreeAccess tree(__func__);
  iNode* node = requireNode(tree.base(), path);
  if (node == nullptr) return ExitFailure;
  if (save && node->isReadOnly()) return fail(quoted(path) + " is read-only; nothing was changed");
  for (const Assignment& assignment : assignments) {
    node->setAttribute(fromUtf8(assignment.name), fromUtf8(assignment.value));
  }
  std::string savedFile;
  if (save && !saveDocumentOf(*node, path, savedFile)) return ExitFailure;
  return ExitOk;
}

int saveNode(const std::string& path, bool announce) {
  TreeAccess tree(__func__);
  iNode* node = requireNode(tree.base(), path);
  if (node == nullptr) return ExitFailure;
  std::string savedFile;
  if (!saveDocumentOf(*node, path, savedFile)) return ExitFailure;
  if (announce) printLine("saved " + savedFile);
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
