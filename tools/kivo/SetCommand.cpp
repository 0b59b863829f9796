// "set": every assignment is applied, or the command is refused before anything changes.
#include <tinyxml.h>

#include <cctype>
#include <set>

#include "NodeCommands.h"
#include "NodeSaving.h"
#include "Output.h"
#include "Text.h"
#include "TreeAccess.h"
#include "kivo/base/KivoBase.h"
#include "kivo/element/AttributeSet.h"

namespace KivoHost {
namespace {

using KivoUnit::iNode;

// The node's own fields, which it writes into its element itself; anything else
// is a plain attribute.
enum class Field { Attribute, Name, Label, Type, Brief, Description, Version };

struct Assignment {
  std::string text;  // as the user gave it, for messages
  std::string name;
  std::string value;
  Field field = Field::Attribute;
};

Field fieldNamed(const std::string& name) {
  if (name == "name") return Field::Name;
  if (name == "label") return Field::Label;
  if (name == "type") return Field::Type;
  if (name == "brief") return Field::Brief;
  if (name == "description") return Field::Description;
  if (name == "version") return Field::Version;
  return Field::Attribute;
}

// The names the library writes into XML: anything else would break the document.
bool isAttributeName(const std::string& name) {
  const auto startsName = [](unsigned char c) {
    return std::isalpha(c) != 0 || c == '_' || c == ':' || c >= 0x80;
  };
  if (name.empty() || !startsName(static_cast<unsigned char>(name[0]))) return false;
  for (const char c : name) {
    const auto byte = static_cast<unsigned char>(c);
    if (!startsName(byte) && std::isdigit(byte) == 0 && c != '.' && c != '-') return false;
  }
  return KivoUnit::KivoElement::is_valid_utf8(name.c_str());
}

int refuse(const Assignment& assignment, const std::string& why) {
  notice(quoted(assignment.text) + ": " + why + "; nothing was changed");
  return ExitUsage;
}

// What the command line says, checked without the tree; ExitOk when every text is a
// proper assignment.
int parseAssignments(const std::vector<std::string>& texts, std::vector<Assignment>& out) {
  std::set<std::string> seen;
  for (const std::string& text : texts) {
    const size_t equals = text.find('=');
    if (equals == std::string::npos || equals == 0) {
      notice(quoted(text) + " is not ATTRIBUTE=VALUE");
      return ExitUsage;
    }
    Assignment assignment{text, text.substr(0, equals), text.substr(equals + 1)};
    assignment.field = fieldNamed(assignment.name);
    if (!isAttributeName(assignment.name)) {
      return refuse(assignment, quoted(assignment.name) + " is not an attribute name");
    }
    if (!KivoUnit::KivoElement::is_valid_utf8(assignment.value.c_str())) {
      return refuse(assignment, "the value is not UTF-8 text");
    }
    if (!seen.insert(assignment.name).second) {
      return refuse(assignment, quoted(assignment.name) + " is given twice");
    }
    if (assignment.field == Field::Name && assignment.value.empty()) {
      return refuse(assignment, "a node cannot lose its name");
    }
    if (assignment.field == Field::Label && assignment.value.empty()) {
      return refuse(assignment, "a label cannot be removed (a node without one shows its name)");
    }
    out.push_back(assignment);
  }
  return ExitOk;
}

// True when the node's class writes the attribute from a field of its own (as
// "read_only"), so that a value put there would be replaced on the next write.
bool nodeOverwrites(iNode& node, const Assignment& assignment) {
  const KivoUnit::AttributeSet saved = node.getAttributeSet();
  node.getAttributeSet().set(assignment.name, assignment.value);
  node.writeAttributes();
  const bool kept = node.getAttributeSet().get(assignment.name, "") == assignment.value;
  node.getAttributeSet() = saved;
  return !kept;
}

int checkAgainstNode(KivoUnit::KivoBase& base, iNode& node,
                     const std::vector<Assignment>& assignments) {
  for (const Assignment& assignment : assignments) {
    if (assignment.field == Field::Name && &node == &base) {
      return refuse(assignment, "the root keeps its name (every path starts with it)");
    }
    if (assignment.field == Field::Attribute && nodeOverwrites(node, assignment)) {
      return refuse(assignment, "the node writes " + quoted(assignment.name) + " itself");
    }
  }
  return ExitOk;
}

void apply(iNode& node, const Assignment& assignment) {
  const wxString value = fromUtf8(assignment.value);
  switch (assignment.field) {
    case Field::Attribute: return node.setAttribute(fromUtf8(assignment.name), value);
    case Field::Name: return node.setName(value);  // the tree keeps sibling names unique
    case Field::Label: return node.setLabel(value);
    case Field::Type: return node.setType(value);
    case Field::Brief: return node.setBrief(value);
    case Field::Description: return node.setDescription(value);
    case Field::Version: return node.setVersion(value);
  }
}

// After the node wrote its element: the first assignment the element does not hold.
const Assignment* notWritten(const iNode& node, const std::vector<Assignment>& assignments) {
  const TiXmlElement* element = node.getTie();
  for (const Assignment& assignment : assignments) {
    if (assignment.field == Field::Name) continue;  // the tree may have made it unique
    const char* written = element != nullptr ? element->Attribute(assignment.name.c_str()) : nullptr;
    if ((written != nullptr ? std::string(written) : std::string()) != assignment.value) {
      return &assignment;
    }
  }
  return nullptr;
}

std::string nodePath(const iNode& node) { return toUtf8(node.GetFullPath()); }

// Applies every assignment; a rename is announced with the node's new path.
void applyAll(iNode& node, const std::vector<Assignment>& assignments) {
  const std::string before = nodePath(node);
  // A rename sets the label as well: it goes first, so that a label given with it stays.
  for (const Assignment& assignment : assignments) {
    if (assignment.field == Field::Name) apply(node, assignment);
  }
  for (const Assignment& assignment : assignments) {
    if (assignment.field != Field::Name) apply(node, assignment);
  }
  if (nodePath(node) != before) printLine(quoted(before) + " is now " + quoted(nodePath(node)));
}

}  // namespace

int setAttributes(const std::string& path, const std::vector<std::string>& texts, bool save) {
  std::vector<Assignment> assignments;
  if (const int code = parseAssignments(texts, assignments); code != ExitOk) return code;
  TreeAccess tree(__func__);
  iNode* node = requireNode(tree.base(), path);
  if (node == nullptr) return ExitFailure;
  iNode* owner = save ? storingNode(*node, path, "nothing was changed") : nullptr;
  if (save && owner == nullptr) return ExitFailure;
  if (const int code = checkAgainstNode(*tree.base(), *node, assignments); code != ExitOk) {
    return code;
  }
  applyAll(*node, assignments);
  if (!save) return ExitOk;
  node->Write();
  // The node's class may write an attribute of its own over the value (as "include").
  if (const Assignment* lost = notWritten(*node, assignments)) {
    return refuse(*lost, "the node writes " + quoted(lost->name) + " itself");
  }
  return saveStoredNode(*node, path) ? ExitOk : ExitFailure;
}

}  // namespace KivoHost
