#pragma once
// Shows the tracer's messages on standard error, one line each.
#include <mutex>
#include <string>
#include <vector>

#include "kivo/log/LogListener.h"
#include "kivo/log/PoolMessage.h"

namespace KivoHost {

class LogPrinter : public KivoUnit::LogListener {
 public:
  // `colour`: mark the level with terminal colours.
  LogPrinter(bool quiet, bool colour);
  ~LogPrinter();
  LogPrinter(const LogPrinter&) = delete;
  LogPrinter& operator=(const LogPrinter&) = delete;

  void onLog(const KivoUnit::PoolMessage& message) override;

  // Keeps messages back instead of printing them, until release().
  void hold();
  // Prints the held messages; with `dropErrors` it leaves out errors, because the
  // caller shows the failure as its own line.
  void release(bool dropErrors);

  // "Level: text [source:line function]", with the level coloured when asked.
  static std::string format(const KivoUnit::PoolMessage& message, bool colour);

 private:
  void print(const KivoUnit::PoolMessage& message) const;

  bool m_Quiet;
  bool m_Colour;
  // onLog may come from the library's worker threads.
  std::mutex m_Lock;
  bool m_Holding;
  std::vector<KivoUnit::PoolMessage> m_Held;
};

}  // namespace KivoHost
