#pragma once
// Shared by the harnesses: a base for one run and a property check that stops the
// fuzzer with the failing input.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "kivo/base/KivoBase.h"

namespace KivoFuzz {

// Aborts with `what` when `holds` is false; the fuzzer then keeps the input.
inline void require(bool holds, const char* what) {
  if (holds) return;
  std::fprintf(stderr, "property failed: %s\n", what);
  std::abort();
}

// A private folder made once per process; the harnesses work inside it.
const std::string& workFolder();

// A base installed as the instance for one run, shut down and removed after it.
class ScopedBase {
 public:
  ScopedBase();
  ~ScopedBase();
  ScopedBase(const ScopedBase&) = delete;
  ScopedBase& operator=(const ScopedBase&) = delete;
  KivoUnit::KivoBase& operator*() { return *m_Base; }
  KivoUnit::KivoBase* operator->() { return m_Base; }

 private:
  KivoUnit::KivoBase* m_Base;
};

// Boots `text` from `workFolder()/name`; true when the boot succeeded.
bool bootText(KivoUnit::KivoBase& base, const std::string& name, const std::string& text);

}  // namespace KivoFuzz
