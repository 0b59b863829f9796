#pragma once
// What the subcommands and the shell do on the booted tree. Each takes the base and
// an absolute path, holds the tree lock while it works, prints its result to
// standard output and returns an exit code (failures as one line on standard error).
#include <string>
#include <vector>

namespace KivoHost {

// An indented outline: name, label when it differs, element and attributes.
int showTree(const std::string& path);
int showState(const std::string& path);
int showInfo(const std::string& path);
// The node's children, one name a line ("/" after nodes that have children).
int listChildren(const std::string& path);
// `path` may carry parameters after "?"; prints the node's answer.
int runCommand(const std::string& path, const std::string& command);
// All attributes as name=value lines, or the value of one.
int showAttributes(const std::string& path, const std::string& attribute);
// Applies NAME=VALUE assignments (all are checked first); with `save` the document
// the node belongs to is saved afterwards.
int setAttributes(const std::string& path, const std::vector<std::string>& assignments, bool save);
// Saves the document the node belongs to; with `announce`, names the file saved.
int saveNode(const std::string& path, bool announce);
// True when a node is at `path`.
bool nodeExists(const std::string& path);
// The names of the children of the node at `path`, each with "/" when it has children.
std::vector<std::string> childNames(const std::string& path);

}  // namespace KivoHost
