#pragma once
// The subcommands of the program: their help and what each runs once booted.
#include <string>
#include <vector>

#include "Arguments.h"

namespace KivoHost {

struct Subcommand {
  const char* name;
  const char* usage;    // operands after the name
  const char* summary;  // one line for the overview
  const char* details;  // the rest of the subcommand's help
  size_t minOperands;   // FILE included
  size_t maxOperands;   // SIZE_MAX: no limit
  bool takesJson;       // offers --json
  // Runs on the booted tree; `arguments.operands[0]` is FILE.
  int (*run)(const Arguments& arguments);
};

// The subcommand named `name`, or null.
const Subcommand* findSubcommand(const std::string& name);
const std::vector<Subcommand>& allSubcommands();
void printOverview();
void printSubcommandHelp(const Subcommand& subcommand);
// The program's version and the record of the library it runs with.
void printVersion();
// The options every subcommand takes, as help lines.
const char* globalOptionsHelp();

}  // namespace KivoHost
