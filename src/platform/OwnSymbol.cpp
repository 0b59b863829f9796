#include "platform/OwnSymbol.h"

#include <dlfcn.h>
#include <link.h>

namespace KivoUnit::platform {

bool isOwnSymbol(void* handle, void* symbol) {
  if (handle == nullptr || symbol == nullptr) return false;
  link_map* library = nullptr;
  if (dlinfo(handle, RTLD_DI_LINKMAP, &library) != 0 || library == nullptr) return false;
  Dl_info info{};
  link_map* container = nullptr;
  if (dladdr1(symbol, &info, reinterpret_cast<void**>(&container), RTLD_DL_LINKMAP) == 0) {
    return false;
  }
  return container == library;
}

}  // namespace KivoUnit::platform
