// Fault injection for tests of the file layer's callers.
#pragma once

namespace platform {

// After `bytes` more bytes, every write through PutBytes stores only what the budget allows and
// reports a file I/O error (3), as a full disk would. A negative count lifts the limit.
void FailWritesAfter(long long bytes);

}  // namespace platform
