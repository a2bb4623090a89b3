#include "platform/signals.h"

#include <signal.h>

#include <csignal>

namespace platform::signals {

namespace {

volatile std::sig_atomic_t pending = 0;  // the signal caught, 0 before any; set by Note only
bool installed = false;                  // Install has run

void Note(int signal_number) {
  pending = signal_number;
}

}  // namespace

void Install() {
  if (installed) return;
  installed = true;
  struct sigaction action = {};
  action.sa_handler = Note;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESETHAND | SA_RESTART;
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
}

int Pending() {
  return pending;
}

}  // namespace platform::signals
