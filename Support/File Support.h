// Small operations on files and directories: is a path a readable file or an enterable
// directory, a directory listing into an array of names, and a whole-file read.
//
// Directory searches (CAT) match the five attribute bits onto POSIX entries as follows:
//   1  read-only  the owner has no write permission on the entry
//   2  hidden     the name starts with a dot
//   4  system     neither a regular file nor a directory (device, pipe, socket, broken link)
//   16 directory  the entry is a directory
//   32 archive    the entry is a regular file
// A symbolic link counts as what it points to.
// An entry is listed only when each of its bits is also in the mask; a mask without the
// directory bit counts as holding the archive bit, so a mask of 0 still lists plain files.
#pragma once

#include <cstdint>
#include <string>

#include "platform/runtime.h"

// -1 when SOMEPATHTOTEST names a file that can be opened for reading, 0 otherwise (a
// directory, a missing path or an unreadable file).
int32_t IS_FILE(const std::string& SOMEPATHTOTEST);

// 0 when the working directory can be changed to SOMEPATHTOTEST (an enterable directory),
// -1 otherwise. The working directory is changed back before returning.
int32_t IS_DIR(const std::string& SOMEPATHTOTEST);

// Replaces FILELIST with the names that a search for PATH (whose last part may hold the
// wildcards * and ?) finds with the attribute mask ATTR, from index 0, in the order the host
// yields them and without sorting. "." and ".." are never listed. Running out of memory
// stops the program with runtime error 4.
void CAT(rt::Array<std::string>& FILELIST, const std::string& PATH, int32_t ATTR);

// Reads the whole file at PATH into BUFFER, bytes unchanged. False, with BUFFER empty, when
// the file cannot be opened. A failing read or close stops the program with runtime error 3, a
// file too large for memory with runtime error 4, each reported at `at` (the caller's check).
bool ReadFileBytes(const std::string& PATH, std::string& BUFFER, const rt::Where& at);
