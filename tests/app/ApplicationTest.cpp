#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "kivo/app/Application.h"
#include "kivo/app/UpdateEvent.h"

using KivoUnit::Application;

TEST(Application, StartsEmptyAndKeepsWhatTheHostSets) {
  // A fresh record, as the process-wide one is before any setter runs.
  const Application fresh;
  EXPECT_EQ(fresh.getURL(), wxS(""));
  EXPECT_EQ(fresh.getName(), wxS(""));
  EXPECT_EQ(fresh.getDesc(), wxS(""));
  EXPECT_EQ(fresh.getVersion(), wxS(""));
  EXPECT_EQ(fresh.getManufacturer(), wxS(""));
  EXPECT_EQ(fresh.getConfiguration(), wxS(""));
  EXPECT_EQ(fresh.getDataFolder(), wxS(""));
  EXPECT_EQ(fresh.getAddonsFolder(), wxS(""));
  EXPECT_EQ(fresh.getLogLevel(), KivoUnit::AppLogErrors);

  Application& app = Application::getApp();
  EXPECT_EQ(&app, &Application::getApp());
  app.setName(wxS("host"));
  app.setAddonsFolder(wxS("/opt/host/addons"));
  app.setLogLevel(KivoUnit::AppLogWarnings);
  EXPECT_EQ(app.getName(), wxS("host"));
  EXPECT_EQ(app.getAddonsFolder(), wxS("/opt/host/addons"));
  EXPECT_EQ(app.getLogLevel(), KivoUnit::AppLogWarnings);
  app.setLogLevel(KivoUnit::AppLogErrors);
}

TEST(Application, ReadersSeeWholeValuesWhileAnotherThreadWrites) {
  Application& app = Application::getApp();
  const wxString oldFolder(wxS('a'), 300);
  const wxString newFolder(wxS('b'), 900);
  app.setAddonsFolder(oldFolder);
  std::atomic<bool> done{false};
  std::thread writer([&] {
    for (int i = 0; i < 20000; ++i) app.setAddonsFolder(i % 2 ? newFolder : oldFolder);
    done = true;
  });
  long mixtures = 0;
  while (!done) {
    const wxString seen = app.getAddonsFolder();
    if (seen != oldFolder && seen != newFolder) ++mixtures;
  }
  writer.join();
  EXPECT_EQ(mixtures, 0);
}

TEST(UpdateEvent, CarriesDeltaTimeAndHostApplication) {
  const KivoUnit::ApplicationUpdateEvent event(nullptr, 0.5);
  const KivoUnit::UpdateEvent& base = event;
  EXPECT_EQ(base.getDeltaTime(), 0.5);
  EXPECT_EQ(event.getApp(), nullptr);
}
