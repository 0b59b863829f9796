#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "kivo/app/Application.h"

using namespace KivoUnit;

TEST(Application, StartsEmptyAndKeepsWhatTheHostSets) {
  const Application fresh;  // as the process-wide record is before any setter runs
  EXPECT_EQ(fresh.getURL() + fresh.getName() + fresh.getDesc() + fresh.getVersion() + fresh.getManufacturer() +
                fresh.getConfiguration() + fresh.getDataFolder() + fresh.getAddonsFolder(), wxS(""));
  EXPECT_EQ(fresh.getLogLevel(), AppLogErrors);
  Application& app = Application::getApp();
  EXPECT_EQ(&app, &Application::getApp());
  app.setName(wxS("host"));
  app.setDataFolder(wxS("/var/host"));
  app.setAddonsFolder(wxS("/opt/host/addons"));
  app.setLogLevel(AppLogSilent);
  EXPECT_EQ(app.getName() + app.getDataFolder() + app.getAddonsFolder(), wxS("host/var/host/opt/host/addons"));
  EXPECT_EQ(app.getLogLevel(), AppLogSilent);
  app.setLogLevel(AppLogErrors);
  app.setDataFolder(wxString());
}

TEST(Application, ReadersSeeWholeValuesWhileAnotherThreadWrites) {
  Application& app = Application::getApp();
  const wxString oldFolder(wxS('a'), 300), newFolder(wxS('b'), 900);
  app.setAddonsFolder(oldFolder);
  std::atomic<bool> done{false};
  std::thread writer([&] {
    for (int i = 0; i < 20000; ++i) app.setAddonsFolder(i % 2 ? newFolder : oldFolder);
    done = true;
  });
  long mixtures = 0;
  while (!done) {
    const wxString seen = app.getAddonsFolder();
    mixtures += seen != oldFolder && seen != newFolder;
  }
  writer.join();
  EXPECT_EQ(mixtures, 0);
}
