// The tracer reuses the buffers of the messages it drops and keeps converted
// source texts: every field of a new message must still be its own.
#include <gtest/gtest.h>

#include <cstring>
#include <deque>

#include "kivo/log/Tracer.h"
#include "support/LogCapture.h"

using namespace KivoUnit;

namespace {

wxString fields(const PoolMessage& m) {
  return wxString::Format(wxS("%i|%u|%lu|%lu|%ld|%s|%s|%s"), m.level, m.line, m.threadId,
                          m.processId, m.time, m.file, m.function, m.message);
}

std::deque<PoolMessage> takeQueue() {
  std::deque<PoolMessage> queue;
  Tracer::getSingleton()->swap(queue);
  return queue;
}

}  // namespace

TEST(Tracer, MessagesLoggedIntoAFullQueueKeepOnlyTheirOwnFields) {
  KivoTest::LogCapture capture;
  const wxString longText(wxS('x'), 5000);
  for (size_t i = 0; i < Tracer::MaxQueuedMessages; ++i) {
    Tracer::getSingleton()->Log(4, longText, 900, "include/kivo/some/LongerSourcePath",
                                "aFunctionWithAVeryLongName");
  }
  // Each replaces the oldest message; the expected record is built the usual way.
  const PoolMessage given(wxS("handed over"), 6, "a/b.cpp", 5, "given", 1234567L);
  const char* functionInUtf8 = "caf\xc3\xa9";
  const PoolMessage expected[] = {
      PoolMessage(wxS("short"), 3, "x.cpp", 1, "f", 0),
      PoolMessage(wxS(""), 5, nullptr, 0, nullptr, 0),
      PoolMessage(wxS("\u00e9t\u00e9"), 0, "include/kivo/Test", 7, functionInUtf8, 0),
      PoolMessage(wxS("bad bytes"), 2, "ok.cpp", 2, "\xff\xfe", 0), given};
  const size_t count = sizeof(expected) / sizeof(expected[0]);
  capture.clear();
  const char* files[] = {"x.cpp", nullptr, "include/kivo/Test", "ok.cpp"};
  const char* functions[] = {"f", nullptr, functionInUtf8, "\xff\xfe"};
  for (size_t i = 0; i + 1 < count; ++i) {
    const PoolMessage& e = expected[i];
    Tracer::getSingleton()->Log(e.level, e.message, e.line, files[i], functions[i]);
  }
  Tracer::getSingleton()->Log(given);

  const auto seen = capture.messages();
  const auto queue = takeQueue();
  ASSERT_EQ(seen.size(), count);
  ASSERT_EQ(queue.size(), Tracer::MaxQueuedMessages);
  for (size_t i = 0; i < count; ++i) {
    const PoolMessage& queued = queue[queue.size() - count + i];
    // The time is stamped by the tracer; the rest must match field by field.
    PoolMessage e = expected[i];
    if (i + 1 < count) e.time = queued.time;
    EXPECT_EQ(fields(queued), fields(e)) << "message " << i;
    EXPECT_EQ(fields(seen[i]), fields(e)) << "listener, message " << i;
    EXPECT_EQ(queued.toString(), e.toString());
  }
  EXPECT_EQ(queue.front().message, longText);
}

TEST(Tracer, SourceTextsAreReadAgainWhenTheCallersBufferChanges) {
  KivoTest::LogCapture capture;
  char file[32];
  char function[32];
  const char* pairs[][2] = {{"src/first.cpp", "one"}, {"src/second.cpp", "two"},
                            {"src/first.cpp", "caf\xc3\xa9"}, {"", ""}};
  for (const auto& pair : pairs) {
    std::strcpy(file, pair[0]);
    std::strcpy(function, pair[1]);
    Tracer::getSingleton()->Log(3, wxS("m"), 1, file, function);
  }
  const auto seen = capture.messages();
  ASSERT_EQ(seen.size(), 4u);
  for (size_t i = 0; i < seen.size(); ++i) {
    EXPECT_EQ(seen[i].file, wxString::FromUTF8(pairs[i][0])) << i;
    EXPECT_EQ(seen[i].function, wxString::FromUTF8(pairs[i][1])) << i;
  }
}
