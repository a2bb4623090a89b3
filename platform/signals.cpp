#include "platform/signals.h"

#include <signal.h>
#include <unistd.h>

#include <csignal>
#include <cstring>

namespace platform::signals {

namespace {

constexpr int kQuitSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};

volatile std::sig_atomic_t pending = 0;      // the signal caught, 0 before any; set by Note only
char scratch[4096];                          // the file a second signal removes; "" for none
volatile std::sig_atomic_t has_scratch = 0;  // scratch holds a whole name; set by SetScratch
bool installed = false;                      // Install has run

// Notes the first signal; a second one removes the scratch file and ends the process by the
// signal's default action.
void Note(int signal_number) {
  if (pending == 0) {
    pending = signal_number;
    return;
  }
  if (has_scratch != 0) unlink(scratch);
  signal(signal_number, SIG_DFL);
  raise(signal_number);
}

}  // namespace

void Install() {
  if (installed) return;
  installed = true;
  struct sigaction action = {};
  action.sa_handler = Note;
  sigfillset(&action.sa_mask);  // one Note at a time
  action.sa_flags = SA_RESTART;
  for (const int signal_number : kQuitSignals) sigaction(signal_number, &action, nullptr);
  // A reader of the standard output that has gone (`maze-viewer | head -n1`) makes writes to it
  // fail with EPIPE instead of ending the program.
  signal(SIGPIPE, SIG_IGN);
}

int Pending() {
  return pending;
}

void SetScratch(const char* path) {
  has_scratch = 0;
  if (path == nullptr || std::strlen(path) >= sizeof scratch) return;
  std::strcpy(scratch, path);
  has_scratch = 1;
}

}  // namespace platform::signals
