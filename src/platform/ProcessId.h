#pragma once

namespace KivoUnit::platform {

// The process id, asked of the system once and again only after a fork: every
// log message carries it, and a system call per message costs more than the rest
// of the message together.
unsigned long currentProcessId();

}  // namespace KivoUnit::platform
