#pragma once

#include "kivo/KivoExport.h"

namespace KivoUnit {

// Brings up the GUI toolkit's non-GUI services (threads, locale, dynamic libraries)
// for hosts that are plain programs, and leaves wx applications alone.
//
// The first acquire must happen on the host's main thread: the thread that
// initialises the toolkit becomes its main thread. Acquire and release pair up;
// the toolkit is shut down with the last release, or at library unload when a
// host forgot to release.
class KIVO_API Toolkit {
 public:
  // False when the toolkit could not be initialised (or the first call came from a
  // thread other than the process's main thread); the reason is logged.
  static bool Acquire();
  static void Release();
  // True while the toolkit is usable: a wx application runs, or Acquire succeeded.
  static bool IsReady();

  // Holds one reference for its lifetime.
  class Scope {
   public:
    Scope() : m_Acquired(Acquire()) {}
    ~Scope() {
      if (m_Acquired) Release();
    }
    Scope(const Scope&) = delete;
    Scope& operator=(const Scope&) = delete;
    bool ok() const { return m_Acquired; }

   private:
    bool m_Acquired;
  };
};

}  // namespace KivoUnit
