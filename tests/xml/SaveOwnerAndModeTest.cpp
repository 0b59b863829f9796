// A save keeps who may read the file: the temporary file is never readable by
// more people than the original, and the saved file keeps its owner, group and mode.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <tinyxml.h>
#include <unistd.h>

#include <cstring>
#include <thread>

#include "kivo/element/KivoElement.h"
#include "support/TempDir.h"

using KivoUnit::KivoElement;
using KivoUnit::KivoXML;

namespace {

constexpr uid_t kNobody = 65534;

// Sets the attribute "save" of the root to `value` and saves the document as it stands.
bool save(KivoElement& doc, const wxString& value) {
  KivoXML::SetAttr(doc.getDocument()->RootElement(), wxS("save"), value);
  return doc.KivoXML::Save();
}

struct stat statOf(const std::string& path) {
  struct stat info {};
  EXPECT_EQ(stat(path.c_str(), &info), 0) << path;
  return info;
}

// Runs `work` while a thread looks at every temporary file created in `folder` the
// moment it appears; returns the permission bits it saw.
template <typename Work>
std::vector<mode_t> temporaryModesDuring(const std::string& folder, Work work) {
  std::vector<mode_t> modes;
  const int events = inotify_init1(IN_CLOEXEC);
  EXPECT_GE(inotify_add_watch(events, folder.c_str(), IN_CREATE), 0);
  std::thread watcher([&] {
    alignas(inotify_event) char buffer[4096];
    for (ssize_t length; (length = read(events, buffer, sizeof buffer)) > 0;) {
      for (ssize_t at = 0; at < length;) {
        const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
        at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
        if (std::strcmp(event->name, "stop") == 0) return;
        struct stat info {};  // a temporary file already renamed is not seen
        if (stat((folder + "/" + event->name).c_str(), &info) == 0) modes.push_back(info.st_mode & 07777);
      }
    }
  });
  work();
  close(open((folder + "/stop").c_str(), O_CREAT | O_WRONLY | O_CLOEXEC, 0600));
  watcher.join();
  close(events);
  unlink((folder + "/stop").c_str());
  return modes;
}

TEST(SaveOwnerAndMode, TemporaryFileIsNeverReadableByMoreThanTheOriginal) {
  std::string content = "<settings>\n";  // large enough that writing it takes a while
  for (int i = 0; i < 20000; ++i) content += "  <entry name=\"e" + std::to_string(i) + "\" secret=\"s\"/>\n";
  for (const mode_t original : {0600, 0400, 0640, 0644, 0660}) {
    SCOPED_TRACE(original);
    KivoTest::TempDir dir;
    const std::string file = dir.write("private.xml", content + "</settings>\n");
    ASSERT_EQ(chmod(file.c_str(), original), 0);
    KivoElement doc(wxS("settings"));
    ASSERT_TRUE(doc.Load(wxString::FromUTF8(file)));
    // Saves until the watcher has caught a temporary file or two, at most 50 times.
    std::vector<mode_t> seen;
    for (int round = 0; round < 50 && seen.size() < 2; round += 5) {
      const auto modes = temporaryModesDuring(dir.path(), [&] {
        for (int i = 0; i < 5; ++i) ASSERT_TRUE(save(doc, wxString::Format(wxS("%i"), round + i)));
      });
      EXPECT_EQ(statOf(file).st_mode & 07777, original);
      seen.insert(seen.end(), modes.begin(), modes.end());
    }
    EXPECT_FALSE(seen.empty()) << "the watcher never saw a temporary file";
    for (const mode_t mode : seen) EXPECT_EQ(mode & ~original, 0u) << std::oct << mode;
  }
}

// An administrator saving another user's file leaves it that user's, with its mode;
// without root there is nobody else.
TEST(SaveOwnerAndMode, SaveAsRootKeepsAnotherUsersOwnerAndGroup) {
  if (geteuid() != 0) GTEST_SKIP() << "needs root to make a file that belongs to another user";
  for (const auto& [owner, group, mode] : {std::tuple<uid_t, gid_t, mode_t>{kNobody, kNobody, 0640},
                                           {kNobody, 0, 0600}, {0, kNobody, 0460}}) {
    SCOPED_TRACE(mode);
    KivoTest::TempDir dir;
    const std::string file = dir.write("theirs.xml", "<settings save=\"1\"/>\n");
    ASSERT_EQ(chown(file.c_str(), owner, group), 0);
    ASSERT_EQ(chmod(file.c_str(), mode), 0);
    KivoElement doc(wxS("settings"));
    ASSERT_TRUE(doc.Load(wxString::FromUTF8(file)) && save(doc, wxS("2")));
    const struct stat info = statOf(file);
    EXPECT_EQ(info.st_uid, owner);
    EXPECT_EQ(info.st_gid, group);
    EXPECT_EQ(info.st_mode & 07777, mode);
    EXPECT_EQ(dir.read("theirs.xml"), "<settings save=\"2\" />\n");
  }
}

}  // namespace
