// Interrupt and termination signals as requests to quit: a handler notes the signal, and the
// window's event pump ends the program from the program thread, where that is safe.
#pragma once

namespace platform::signals {

// Installs the handlers of SIGINT and SIGTERM (once; later calls do nothing). A second signal of
// the same kind ends the process at once, in case the orderly end hangs.
void Install();
// The signal noted since Install, or 0.
int Pending();

}  // namespace platform::signals
