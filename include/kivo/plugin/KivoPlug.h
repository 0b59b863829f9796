#pragma once

#include <string>
#include <vector>

#include <wx/string.h>

#include "kivo/KivoExport.h"
#include "kivo/plugin/PluginRecords.h"

namespace KivoUnit {

class iNodeFactory;
class KivoBase;

// What a plug-in library builds on its side to describe itself: it owns the
// descriptor records the library reports, and registers the plug-in's node
// factories with the base when started. A plug-in library keeps one KivoPlug;
// its exported "start" returns Start(kivo), its "stop" calls Stop():
//
//   static MyPlug plug;
//   extern "C" _Plugin* start(Kivo* kivo) { return plug.Start(kivo); }
//   extern "C" void stop() { plug.Stop(); }
//
// Set `getRecord()->methods` to offer named methods.
class KIVO_API KivoPlug {
 public:
  KivoPlug(const wxString& name, const wxString& date, const wxString& author,
           const wxString& company, const wxString& description, int version1, int version2,
           int version3, int version4, unsigned int api, const wxString& build1,
           const wxString& build2, const wxString& build3, const wxString& build4,
           unsigned int buildValue, unsigned int type);
  virtual ~KivoPlug();
  KivoPlug(const KivoPlug&) = delete;
  KivoPlug& operator=(const KivoPlug&) = delete;

  // Keeps `kivo` and registers the factories with the base it hands out.
  virtual _Plugin* Start(Kivo* kivo);
  // Destroys the registered factories.
  virtual void Stop();
  // Does nothing; a plug-in calls registerFactory for each factory it offers.
  virtual bool RegisterFactories(KivoBase* base);
  // Registers `factory` and keeps it for Stop(); false (and nothing kept) on refusal.
  virtual bool registerFactory(KivoBase* base, iNodeFactory* factory);
  virtual void destroyFactory(iNodeFactory* factory);
  virtual void destroyFactories();

  void init_details_info();
  void init_build_info();

  Kivo* getKivo() const { return m_Kivo; }
  _Plugin* getRecord() { return m_Plugin; }
  const std::vector<iNodeFactory*>& getFactories() const { return m_Factories; }

 private:
  wxString logLine(const wxString& event) const;

  Kivo* m_Kivo;
  _Plugin* m_Plugin;
  wxString m_Name, m_Date, m_Author, m_Company, m_Description;
  wxString m_BuildTexts[4];
  // The UTF-8 copies the records point to.
  std::string m_DetailTexts8[5];
  std::string m_BuildTexts8[4];
  _PluginDetails m_Details;
  _PluginVersion m_Version;
  _PluginBuild m_Build;
  _PluginInfo m_Info;
  _Plugin m_Record;
  std::vector<iNodeFactory*> m_Factories;
};

}  // namespace KivoUnit
