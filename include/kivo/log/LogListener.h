#pragma once

namespace KivoUnit {

class PoolMessage;

// Receives every message the tracer queues. It runs on the logging thread with the
// tracer lock held, so it must not wait for another thread that logs. The owner
// keeps the object alive while it is set; the tracer never deletes it.
class LogListener {
 public:
  virtual void onLog(const PoolMessage& message) = 0;

 protected:
  ~LogListener() = default;
};

}  // namespace KivoUnit
