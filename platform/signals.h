// Interrupt, termination, hang-up and quit signals as requests to quit: a handler notes the
// signal, and the window's event pump ends the program from the program thread, where that is
// safe. SIGPIPE is ignored: a closed standard output only makes its writes fail.
#pragma once

namespace platform::signals {

// Installs the handlers of SIGINT, SIGTERM, SIGHUP and SIGQUIT and ignores SIGPIPE (once; later
// calls do nothing). A second signal ends the process at once, in case the orderly end hangs,
// after removing the scratch file (see SetScratch).
void Install();
// The signal noted since Install, or 0.
int Pending();
// Names the half-written file that a second signal removes before it ends the process (the
// temporary file of a screenshot); null for none.
void SetScratch(const char* path);

}  // namespace platform::signals
