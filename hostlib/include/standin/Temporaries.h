#pragma once

#include <signal.h>

#include <string>

// Every temporary file and folder the host makes is tracked from the moment it exists until it is
// renamed into place or removed, so that a process stopped by a signal can remove them all from
// its handler.
namespace standin {

// Holds SIGINT, SIGTERM and SIGHUP off this thread while it lives: a temporary made and tracked
// under it cannot be missed by a signal arriving in between. A held signal arrives at the end.
class TerminationSignalsHeld {
 public:
  TerminationSignalsHeld();
  TerminationSignalsHeld(const TerminationSignalsHeld&) = delete;
  TerminationSignalsHeld& operator=(const TerminationSignalsHeld&) = delete;
  ~TerminationSignalsHeld();

 private:
  sigset_t before_{};
};

// A tracked path; -1 when it is not tracked (every slot taken, or a path too long to keep).
using TemporarySlot = int;

// `folder`: removed with whatever it holds.
TemporarySlot TrackTemporary(const std::string& path, bool folder);
// Forgets a tracked path once it was renamed into place or removed. -1 is ignored.
void ForgetTemporary(TemporarySlot slot);

// Removes every tracked file, and every tracked folder with its contents. Safe in a signal
// handler: it takes no lock and allocates nothing.
void RemoveTemporaries();

// Installs handlers for SIGINT, SIGTERM and SIGHUP that remove the temporaries and end the
// process with 128 + the signal's number, the status a shell gives a process a signal stopped.
void RemoveTemporariesOnSignals();

}  // namespace standin
