// Test hooks of the platform's file layer and images. Tests use them to provoke failures that a
// real disk gives only rarely, to check that code under test leaves no file open, and to free
// images that the code under test leaves allocated by design.
#pragma once

#include <cstdint>

namespace platform::testing {

// After `bytes` more bytes have been written through PutBytes or ReplaceFile, every further
// write fails: the call that crosses the limit writes the bytes up to it and returns 3 (file I/O
// error), as a full disk would. A negative count removes the limit (the default).
void FailWritesAfter(int64_t bytes);
// The twin for reading: after `bytes` more bytes have been read from files (lines, Get, BLoad and
// BLoadCheck alike), every further read fails as a disk's EIO would, the read that crosses the
// limit getting the bytes up to it. A negative count removes the limit (the default).
void FailReadsAfter(int64_t bytes);
// Number of file slots currently open.
int OpenFileCount();
// Closes every open slot and ends a running directory search (a clean state between tests).
void CloseAllFiles();
// From now on the platform records each image it creates, until the image is destroyed.
void TrackImages();
// Destroys every recorded image.
void DestroyTrackedImages();

}  // namespace platform::testing
