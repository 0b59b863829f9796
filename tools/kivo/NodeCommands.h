#pragma once
// What the subcommands and the shell do on the booted tree. Each takes an absolute
// path, holds the tree lock while it works, prints its result to standard output and
// returns an exit code (failures as one line on standard error).
#include <string>
#include <vector>

namespace KivoHost {

// An indented outline (name, label when it differs, element and attributes, long
// values cut to a width), or with `json` nested objects with every value whole.
int showTree(const std::string& path, bool json);
int showState(const std::string& path);
int showInfo(const std::string& path);
// The node's children, one name a line ("/" after nodes that have children).
int listChildren(const std::string& path);
// Runs `command` with `params` on the node (its own Execute). With no command the
// base runs the path itself: the node gets its name as the command and the path's
// "?" parameters. Prints the answer; failure and exception answers exit 1.
int runCommand(const std::string& path, const std::string& command, const std::string& params);
// All attributes as name=value lines, or the value of one; with `json` one object.
int showAttributes(const std::string& path, const std::string& attribute, bool json);
// Applies NAME=VALUE assignments: attributes, the descriptors (label, type, brief,
// description, version) and the name. All are checked first and a bad one refuses
// the command (ExitUsage) before anything changes; with `save` the document the node
// belongs to is saved afterwards, once every assignment reached the node's element.
int setAttributes(const std::string& path, const std::vector<std::string>& assignments, bool save);
// Saves the document the node belongs to; with `announce`, names the file saved.
int saveNode(const std::string& path, bool announce);
// True when a node is at `path`.
bool nodeExists(const std::string& path);
// The names of the children of the node at `path`, each with "/" when it has children.
std::vector<std::string> childNames(const std::string& path);

}  // namespace KivoHost
