#pragma once
// "kivo lua FILE PATH SCRIPT": runs a script on a Lua node of the booted tree.
#include "Subcommands.h"

namespace KivoHost {

Subcommand luaSubcommand();

}  // namespace KivoHost
