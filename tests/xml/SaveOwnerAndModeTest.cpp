// A save keeps who may read the file: the temporary file is never readable by
// more people than the original, and the saved file keeps its owner, group and mode.
#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <tinyxml.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <vector>

#include "kivo/xml/KivoXML.h"
#include "support/TempDir.h"

using KivoUnit::KivoXML;

namespace {

constexpr uid_t kNobody = 65534;

struct Document : KivoXML {
  Document() : KivoXML(nullptr) {}
  bool Read(TiXmlElement*) override { return true; }
  bool Write(TiXmlElement*) override { return true; }
};

// A document large enough that writing it takes a while.
std::string largeDocument() {
  std::string text = "<settings>\n";
  for (int i = 0; i < 20000; ++i) {
    text += "  <entry name=\"entry" + std::to_string(i) + "\" secret=\"do not show anyone\"/>\n";
  }
  return text + "</settings>\n";
}

mode_t modeOf(const std::string& path) {
  struct stat info {};
  return stat(path.c_str(), &info) == 0 ? info.st_mode & 07777 : 0;
}

// A second process that looks at every temporary file created beside `file` the
// moment it appears and reports its permission bits. Only system calls in the child.
class TemporaryFileWatcher {
 public:
  TemporaryFileWatcher(const std::string& folder, const std::string& fileName)
      : m_Folder(folder), m_Prefix(fileName + ".tmp-") {
    int ready[2];
    if (pipe(ready) != 0 || pipe(m_Report) != 0) return;
    m_Child = fork();
    if (m_Child == 0) {
      close(ready[0]);
      close(m_Report[0]);
      watch(ready[1]);
    }
    close(ready[1]);
    close(m_Report[1]);
    char byte = 0;
    if (read(ready[0], &byte, 1) != 1) m_Child = -1;
    close(ready[0]);
  }
  ~TemporaryFileWatcher() { stop(); }
  TemporaryFileWatcher(const TemporaryFileWatcher&) = delete;
  TemporaryFileWatcher& operator=(const TemporaryFileWatcher&) = delete;

  // Stops the watcher and returns the modes it saw.
  std::vector<mode_t> stop() {
    std::vector<mode_t> modes;
    if (m_Child <= 0) return modes;
    close(open((m_Folder + "/stop").c_str(), O_CREAT | O_WRONLY | O_CLOEXEC, 0600));
    unsigned int mode = 0;
    while (read(m_Report[0], &mode, sizeof mode) == sizeof mode) modes.push_back(mode);
    close(m_Report[0]);
    waitpid(m_Child, nullptr, 0);
    unlink((m_Folder + "/stop").c_str());
    m_Child = -1;
    return modes;
  }
  bool running() const { return m_Child > 0; }

 private:
  [[noreturn]] void watch(int ready) {
    const int events = inotify_init1(IN_CLOEXEC);
    if (events < 0 || inotify_add_watch(events, m_Folder.c_str(), IN_CREATE) < 0) _exit(1);
    if (write(ready, "r", 1) != 1) _exit(1);
    alignas(inotify_event) char buffer[4096];
    char path[4096];
    for (;;) {
      const ssize_t length = read(events, buffer, sizeof buffer);
      if (length <= 0) _exit(1);
      for (ssize_t at = 0; at < length;) {
        const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
        at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
        if (event->len == 0) continue;
        if (std::strcmp(event->name, "stop") == 0) _exit(0);
        if (std::strncmp(event->name, m_Prefix.c_str(), m_Prefix.size()) != 0) continue;
        std::snprintf(path, sizeof path, "%s/%s", m_Folder.c_str(), event->name);
        const int file = open(path, O_PATH | O_NOFOLLOW | O_CLOEXEC);
        struct stat info {};
        if (file < 0 || fstat(file, &info) != 0) continue;  // already renamed: not seen
        const unsigned int mode = info.st_mode & 07777;
        if (write(m_Report[1], &mode, sizeof mode) != sizeof mode) _exit(1);
        close(file);
      }
    }
  }

  std::string m_Folder;
  std::string m_Prefix;
  int m_Report[2] = {-1, -1};
  pid_t m_Child = -1;
};

TEST(SaveOwnerAndMode, TemporaryFileIsNeverReadableByMoreThanTheOriginal) {
  const std::string content = largeDocument();
  for (const mode_t original : {0600, 0400, 0640, 0644, 0660}) {
    SCOPED_TRACE(original);
    KivoTest::TempDir dir;
    const std::string file = dir.write("private.xml", content);
    ASSERT_EQ(chmod(file.c_str(), original), 0);
    Document doc;
    ASSERT_TRUE(doc.Load(wxString::FromUTF8(file.c_str())));
    // Saves until a watcher has caught a temporary file or two, at most 50 times.
    std::vector<mode_t> seen;
    for (int round = 0; round < 10 && seen.size() < 2; ++round) {
      TemporaryFileWatcher watcher(dir.path(), "private.xml");
      ASSERT_TRUE(watcher.running());
      for (int save = 0; save < 5; ++save) {
        KivoXML::SetAttr(doc.getDocument()->RootElement(), wxS("save"),
                         wxString::Format(wxS("%i"), save));
        ASSERT_TRUE(doc.Save());
        EXPECT_EQ(modeOf(file), original);
      }
      const std::vector<mode_t> modes = watcher.stop();
      seen.insert(seen.end(), modes.begin(), modes.end());
    }
    EXPECT_FALSE(seen.empty()) << "the watcher never saw a temporary file";
    for (const mode_t mode : seen) EXPECT_EQ(mode & ~original, 0u) << std::oct << mode;
  }
}

// An administrator saving another user's file leaves it that user's, readable by
// that user in another process, with its mode; without root there is nobody else.
TEST(SaveOwnerAndMode, SaveAsRootKeepsAnotherUsersOwnerAndGroup) {
  if (geteuid() != 0) GTEST_SKIP() << "needs root to make a file that belongs to another user";
  struct Case {
    uid_t owner;
    gid_t group;
    mode_t mode;
  };
  for (const Case c :
       {Case{kNobody, kNobody, 0640}, Case{kNobody, 0, 0600}, Case{0, kNobody, 0460}}) {
    SCOPED_TRACE(c.mode);
    KivoTest::TempDir dir;
    ASSERT_EQ(chmod(dir.path().c_str(), 0755), 0);
    const std::string file = dir.write("theirs.xml", "<settings volume=\"1\"/>\n");
    ASSERT_EQ(chown(file.c_str(), c.owner, c.group), 0);
    ASSERT_EQ(chmod(file.c_str(), c.mode), 0);
    Document doc;
    ASSERT_TRUE(doc.Load(wxString::FromUTF8(file.c_str())));
    KivoXML::SetAttr(doc.getDocument()->RootElement(), wxS("volume"), wxS("2"));
    ASSERT_TRUE(doc.Save());
    struct stat info {};
    ASSERT_EQ(stat(file.c_str(), &info), 0);
    EXPECT_EQ(info.st_uid, c.owner);
    EXPECT_EQ(info.st_gid, c.group);
    EXPECT_EQ(info.st_mode & 07777, c.mode);
    EXPECT_EQ(dir.read("theirs.xml"), "<settings volume=\"2\" />\n");
    // The owner, in a process of its own, can still read what was saved.
    const pid_t child = fork();
    if (child == 0) {
      const bool dropped =
          setgroups(0, nullptr) == 0 && setgid(kNobody) == 0 && setuid(kNobody) == 0;
      const int fd = dropped ? open(file.c_str(), O_RDONLY) : -1;
      _exit(fd >= 0 ? 0 : 1);
    }
    int status = -1;
    waitpid(child, &status, 0);
    const bool nobodyMayRead = c.owner == kNobody ? (c.mode & 0400) != 0 : (c.mode & 0040) != 0;
    EXPECT_EQ(WIFEXITED(status) && WEXITSTATUS(status) == 0, nobodyMayRead);
  }
}

}  // namespace
