#pragma once

#include <wx/filename.h>
#include <wx/string.h>

#include "kivo/KivoExport.h"
#include "kivo/plugin/PluginRecords.h"

class wxDynamicLibrary;

namespace KivoUnit {

// Brings the library up for a host in one call: loads it by name (the platform's
// "lib" prefix and ".so" extension are added to the file name), calls its
// exported "start", adds the configuration file's folder to the resource
// locations and boots the base from that file. Destruction stops the library
// and unloads it.
//
// Use it on the host's main thread: "start" acquires the toolkit there.
class KIVO_API KivoBoot {
 public:
  KivoBoot();
  virtual ~KivoBoot();
  KivoBoot(const KivoBoot&) = delete;
  KivoBoot& operator=(const KivoBoot&) = delete;

  // True when the library is loaded, whatever became of the start.
  bool Boot(const wxString& library, const wxString& file);
  // True when "start" gave a record and the base booted.
  bool Start();
  // True when a stop function was called.
  bool Stop();

  // True after a Boot or Start whose configuration booted.
  bool isBooted() const { return m_Booted; }
  // What the library's "start" returned (its Kivo object); null before.
  _Plugin* getPlugin() const { return m_Plugin; }
  const wxFileName& getLibraryFile() const { return m_LibraryFile; }

 private:
  wxFileName m_BootFile;
  wxFileName m_LibraryFile;
  wxDynamicLibrary* m_Library;
  _Plugin* m_Plugin;
  KivoStartFunction m_Start;
  KivoStopFunction m_Stop;
  bool m_Booted;
};

}  // namespace KivoUnit
