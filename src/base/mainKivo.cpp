// The library's exported entry points: plain C names that a host (or KivoBoot)
// looks up after loading the library.
#include "log/Report.h"
#include "kivo/base/KivoBase.h"
#include "kivo/plugin/KivoInit.h"
#include "kivo/app/Toolkit.h"

namespace {
constexpr const char* kSourcePath = "mainKivo";

void setInstance(KivoUnit::KivoBase* base) {
  KivoUnit::KivoBase::s_Instance.store(base);
}
}  // namespace

extern "C" {

// Builds the base once. The base needs the toolkit's threads and dynamic
// libraries, so `start` holds one toolkit reference while a base exists; like
// the toolkit, it must be called on the host's main thread.
KIVO_API KivoUnit::Kivo* start(KivoUnit::Kivo* /*ignored*/) {
  if (KivoUnit::KivoBase::GetInstance() == nullptr) {
    if (!KivoUnit::Toolkit::Acquire()) return nullptr;  // reported by the toolkit
    try {
      setInstance(new KivoUnit::KivoBase());
    } catch (...) {
      KivoUnit::Toolkit::Release();
      return KIVO_FAIL(nullptr, KivoUnit::LevelFatalError, wxS("Could not build the kivo base"));
    }
  }
  return KivoUnit::getKivo();
}

// Shuts the tree down under the tree lock, so no guard reaches the base while it
// goes; guards built meanwhile get none.
KIVO_API void stop() {
  using KivoUnit::KivoBase;
  if (KivoBase::GetInstance() == nullptr) return;
  KivoBase::s_CS.Enter();
  ++KivoBase::s_Locked;
  // Taken under the lock, so two stops cannot both shut the same base down.
  KivoBase* base = KivoBase::s_Instance.exchange(nullptr);
  if (base == nullptr) {
    --KivoBase::s_Locked;
    KivoBase::s_CS.Leave();
    return;
  }
  base->Debug(wxS("Shutting down kivo base"));
  base->Shutdown();
  // Leave() would do nothing now that the instance is gone.
  --KivoBase::s_Locked;
  KivoBase::s_CS.Leave();
  KIVO_REPORT(KivoUnit::LevelDebug, wxS("Deleting KivoBase"));
  delete base;
  KivoUnit::Toolkit::Release();
}

KIVO_API int boot() { return KIVO_FAIL(0, KivoUnit::LevelError, wxS("This method is deprecated")); }

}  // extern "C"
