// Screenshots: a page written as a PNG file under a name that no file has yet.
#pragma once

#include <cstdint>
#include <string>

namespace platform::screenshot {

// Writes width x height pixels (rows of 0xXXRRGGBB values, the X byte ignored) as an RGB PNG
// into `folder` (missing folders are made). Without a folder the picture goes to the working
// directory when it can be written, else to the user's pictures folder ($XDG_PICTURES_DIR, else
// ~/Pictures). The file is named maze-YYYYMMDD-HHMMSS-N.png after the local time with the lowest
// N from 1 that names no file. It is written under a hidden temporary name, flushed to disk and
// only then given its name, so no signal or full disk leaves a partial picture under that name,
// and no existing file is ever replaced. Returns the file's absolute path, or the empty text with
// the reason in `error` (the folder and the system's word for the cause).
std::string Save(const uint32_t* pixels, int width, int height, const std::string& folder,
                 std::string& error);

}  // namespace platform::screenshot
