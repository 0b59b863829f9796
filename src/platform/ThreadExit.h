#pragma once

namespace KivoUnit::platform {

// The system's id of the calling thread.
long currentSystemThreadId();

// Waits, at most `milliseconds`, until the thread `systemThreadId` of this process
// has ended, and returns whether it did. A detached toolkit thread still runs the
// toolkit's and the runtime's clean-up after its object is gone; once it has
// ended, nothing of it runs any more (the library may be unloaded), and a joined
// toolkit thread puts that clean-up, which takes toolkit locks, before the caller.
bool waitForThreadEnd(long systemThreadId, unsigned long milliseconds);

}  // namespace KivoUnit::platform
