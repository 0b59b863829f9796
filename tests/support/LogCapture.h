#pragma once

#include <mutex>
#include <vector>

#include <wx/string.h>

#include "kivo/app/Application.h"
#include "kivo/log/LogListener.h"
#include "kivo/log/PoolMessage.h"

namespace KivoTest {

// Listens to the tracer for its lifetime, with every level let through, and keeps
// what arrives. The tracer's queue is emptied on both ends so tests start clean.
class LogCapture : public KivoUnit::LogListener {
 public:
  explicit LogCapture(KivoUnit::AppLogLevel level = KivoUnit::AppLogAll);
  ~LogCapture();
  LogCapture(const LogCapture&) = delete;
  LogCapture& operator=(const LogCapture&) = delete;

  void onLog(const KivoUnit::PoolMessage& message) override;

  std::vector<KivoUnit::PoolMessage> messages() const;
  std::vector<wxString> texts() const;
  // True when a message with exactly this text arrived (at this level, when given).
  bool contains(const wxString& text, int level = -1) const;
  size_t count() const;
  void clear();

 private:
  mutable std::mutex m_Lock;
  std::vector<KivoUnit::PoolMessage> m_Messages;
  KivoUnit::AppLogLevel m_PreviousLevel;
};

}  // namespace KivoTest
