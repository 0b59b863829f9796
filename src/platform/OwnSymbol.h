#pragma once

namespace KivoUnit::platform {

// True when `symbol` lies in the library opened as `handle` itself. Looking a name
// up through a handle also searches the library's dependencies, so a plug-in that
// lacks "start" or "stop" would otherwise be handed the framework's own exports.
bool isOwnSymbol(void* handle, void* symbol);

}  // namespace KivoUnit::platform
