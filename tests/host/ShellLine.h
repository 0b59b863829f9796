#pragma once
// Runs one shell command line (sh -c) in a folder, as a user would type it.
#include <string>

#include "host/KivoProgram.h"

namespace KivoTest {

// Runs `line` with /bin/sh in `folder`; `environment` is put before the line
// ("NAME=value ..." assignments, already quoted). Standard input is `input`.
ProgramRun runShellLine(const std::string& line, const std::string& folder,
                        const std::string& environment = "", const std::string& input = "");

// Runs jq with `filter` (raw output) on `json`: jq's status is not 0 unless the
// text is JSON.
ProgramRun jq(const std::string& json, const std::string& filter);

}  // namespace KivoTest
