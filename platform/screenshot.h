// Screenshots: a page written as a PNG file under a name that no file has yet.
#pragma once

#include <cstdint>
#include <string>

namespace platform::screenshot {

// Writes width x height pixels (rows of 0xXXRRGGBB values, the X byte ignored) as an RGB PNG
// into `folder` (the working directory when empty; missing folders are made), named
// maze-YYYYMMDD-HHMMSS-N.png after the local time with the lowest N from 1 that names no file.
// The file is created exclusively, so no existing file is ever replaced. Returns the file's
// absolute path, or the empty text with the reason in `error`.
std::string Save(const uint32_t* pixels, int width, int height, const std::string& folder,
                 std::string& error);

}  // namespace platform::screenshot
