#pragma once
// The library's exported entry points and a fixture that boots real plug-in libraries.
#include <gtest/gtest.h>

#include "kivo/app/Application.h"
#include "kivo/base/KivoBase.h"
#include "kivo/base/KivoBoot.h"
#include "kivo/convert/Indent.h"
#include "kivo/plugin/KivoInit.h"
#include "kivo/plugin/KivoLibrary.h"
#include "kivo/plugin/PluginRecords.h"
#include "support/LogCapture.h"
#include "support/TempDir.h"

extern "C" {
KivoUnit::Kivo* start(KivoUnit::Kivo*);
void stop();
int boot();
}

namespace KivoTest {

inline wxString wx(const std::string& text) { return wxString::FromUTF8(text.c_str()); }
inline const KivoUnit::KivoFunctions& api() { return *KivoUnit::getKivo()->functions; }
inline KivoUnit::iNode* node(const wxString& path) { return KivoUnit::KivoBase::GetInstance()->Search(path); }
inline KivoUnit::KivoLibrary* libraryAt(const wxString& path) {
  return dynamic_cast<KivoUnit::KivoLibrary*>(node(path));
}
// The memory report line of the running base: <memory allocated="4" ... units="1">.
inline wxString memoryLine() {
  const wxString state = KivoUnit::KivoBase::GetInstance()->State(KivoUnit::Indent(), wxString());
  return state.Mid(state.Find(wxS("<memory "))).BeforeFirst(wxS('>')) + wxS(">");
}

// Boots the library by path from a configuration whose root holds the given children;
// the host's settings go back to their defaults afterwards.
class PluginTest : public ::testing::Test {
 protected:
  void TearDown() override {
    KivoUnit::Application& app = KivoUnit::Application::getApp();
    app.setLoadUntrustedPlugins(false);
    app.setRunConfigurationCode(true);
    app.setAddonsFolder(wxString());
  }
  bool bootWith(const std::string& children) {
    const std::string config = dir.write("config.xml", "<kivo name='kivo'>" + children + "</kivo>");
    return loader.Boot(wxS(KIVO_LIBRARY_DIR "/kivo"), wx(config)) && loader.isBooted();
  }
  static std::string library(const std::string& name, const std::string& file, const std::string& extra = "") {
    return "<library name='" + name + "' filename='" + file + "' " + extra + "/>";
  }

  LogCapture log;
  TempDir dir;
  KivoUnit::KivoBoot loader;
};

}  // namespace KivoTest
