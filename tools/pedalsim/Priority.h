// A real pedal answers within a tenth of a second whatever else the host is doing. On a busy
// machine the simulator asks the scheduler to run it ahead of ordinary work, so it keeps to
// that rule too.
#pragma once

namespace harbrix::pedalsim {

// Raises the calling thread's scheduling priority: the lowest real-time round-robin level,
// or else a lower nice value. Where neither is permitted it leaves things as they are, and
// says so only when `log` is set. Threads and processes started later do not inherit it.
void answerPromptly(bool log);

}  // namespace harbrix::pedalsim
