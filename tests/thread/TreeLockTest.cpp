// The tree used from several threads through guards, and a stop that takes the
// base away while other threads wait for the lock.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "kivo/base/KivoBase.h"
#include "kivo/thread/KivoLocker.h"
#include "support/LogCapture.h"
#include "support/TempDir.h"

using namespace KivoUnit;

namespace {

// A booted base with its default factory, installed as the process's base.
KivoBase* startBase(const KivoTest::TempDir& dir) {
  auto* base = new KivoBase();
  KivoBase::s_Instance = base;
  EXPECT_TRUE(base->Boot(wxString::FromUTF8(dir.write("boot.xml", "<kivo name='kivo'/>").c_str())));
  return base;
}

// What the library's stop does: under the tree lock, clear the instance, shut the
// tree down and delete the base.
void stopBase() {
  KivoLocker guard(__LINE__, __FILE__, __func__, wxString());
  KivoBase* base = guard.Write();
  ASSERT_NE(base, nullptr);
  // Guards read the instance before they take the lock: clear it atomically.
  KivoBase::s_Instance = nullptr;
  base->Shutdown();
  delete base;
}

// Adds, finds and removes its own nodes until the base is gone or `rounds` ran.
int workOnTree(int worker, int rounds) {
  int done = 0;
  for (int round = 0; round < rounds; ++round) {
    KivoLocker guard(__LINE__, __FILE__, __func__, wxString());
    KivoBase* base = guard.Write();
    if (base == nullptr) break;
    const wxString path = wxString::Format(wxS("/work/w%i/n%i"), worker, round);
    iNode* node = base->SearchOrCreate(path, wxS("node"), wxS("node"));
    if (node == nullptr || base->Search(path) != node) return -1;
    {
      KivoLocker nested(__LINE__, __FILE__, __func__, wxString());  // re-entrant
      if (nested.Write() != base) return -1;
    }
    node->getParent()->RemoveChild(node);
    ++done;
  }
  return done;
}

}  // namespace

TEST(TreeLock, ThreadsChangeTheTreeOnlyUnderTheGuard) {
  KivoTest::LogCapture log(AppLogErrors);
  KivoTest::TempDir dir;
  startBase(dir);
  std::vector<std::thread> workers;
  std::vector<int> results(4, 0);
  for (int w = 0; w < 4; ++w) {
    workers.emplace_back([w, &results] { results[w] = workOnTree(w, 200); });
  }
  for (auto& t : workers) t.join();
  for (int result : results) EXPECT_EQ(result, 200);
  EXPECT_EQ(KivoBase::s_Locked, 0);
  stopBase();
  EXPECT_EQ(log.count(), 0u) << log.texts().front();
}

TEST(TreeLock, StopWhileOthersWaitLeavesThemWithoutABase) {
  KivoTest::LogCapture log(AppLogErrors);
  KivoTest::TempDir dir;
  startBase(dir);
  std::atomic<int> running{0};
  std::vector<std::thread> workers;
  std::vector<int> results(3, 0);
  for (int w = 0; w < 3; ++w) {
    workers.emplace_back([w, &results, &running] {
      ++running;
      results[w] = workOnTree(w, 1000000);  // ends only when the base is gone
    });
  }
  while (running < 3) std::this_thread::yield();
  stopBase();
  for (auto& t : workers) t.join();
  for (int result : results) EXPECT_GE(result, 0);
  EXPECT_EQ(KivoBase::s_Instance, nullptr);

  KivoLocker afterwards(__LINE__, __FILE__, __func__, wxString());
  EXPECT_EQ(afterwards.Write(), nullptr);
}
