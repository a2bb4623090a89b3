#include "Support/File Support.h"

#include <cstdint>
#include <new>
#include <stdexcept>
#include <utility>
#include <vector>

#include "platform/platform.h"

static constexpr char MODULE_NAME[] = "Support/File Support";

int32_t IS_FILE(const std::string& SOMEPATHTOTEST) {
  return platform::IsReadableFile(SOMEPATHTOTEST) ? -1 : 0;
}

int32_t IS_DIR(const std::string& SOMEPATHTOTEST) {
  const std::string WHEREWECALL = platform::CurDir();
  const int32_t RESULT = platform::ChDir(SOMEPATHTOTEST) == 0 ? 0 : -1;
  platform::ChDir(WHEREWECALL);
  return RESULT;
}

namespace {

// The names of one search in the host's order, without "." and "..".
std::vector<std::string> SearchNames(const std::string& PATH, int32_t ATTR) {
  std::vector<std::string> names;
  for (std::string SFILE = platform::Dir(PATH, ATTR); !SFILE.empty(); SFILE = platform::Dir()) {
    if (SFILE != "." && SFILE != "..") names.push_back(std::move(SFILE));
  }
  return names;
}

}  // namespace

void CAT(rt::Array<std::string>& FILELIST, const std::string& PATH, int32_t ATTR) {
  FILELIST.Erase();
  std::vector<std::string> names;
  try {
    names = SearchNames(PATH, ATTR);
  } catch (const std::bad_alloc&) {
    RT_ABORT(rt::kOutOfMemory);
  } catch (const std::length_error&) {
    RT_ABORT(rt::kOutOfMemory);
  }
  if (names.size() > static_cast<size_t>(INT32_MAX)) RT_ABORT(rt::kOutOfMemory);
  FILELIST.Redim(0, static_cast<int32_t>(names.size()) - 1, RT_HERE);
  for (int32_t i = 0; i <= FILELIST.UBound(); ++i)
    FILELIST.At(i, RT_HERE) = std::move(names[static_cast<size_t>(i)]);
}

bool ReadFileBytes(const std::string& PATH, std::string& BUFFER, const rt::Where& at) {
  BUFFER.clear();
  const int slot = platform::FreeFile();
  if (slot == 0 || platform::Open(slot, PATH, platform::OpenMode::kBinaryRead) != 0) return false;
  const int64_t length = platform::Lof(slot);
  int error = 0;
  if (length > 0) {
    try {
      BUFFER.resize(static_cast<size_t>(length));
    } catch (const std::bad_alloc&) {
      error = rt::kOutOfMemory;
    } catch (const std::length_error&) {
      error = rt::kOutOfMemory;
    }
    size_t got = 0;
    if (error == 0) error = platform::Get(slot, 1, BUFFER.data(), BUFFER.size(), &got);
    BUFFER.resize(got);
  }
  const int closed = platform::Close(slot);
  if (error == 0) error = closed;
  if (error != 0) rt::Abort(error, at);
  return true;
}
