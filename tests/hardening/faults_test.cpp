// Faults of the host rather than of the input: a read that fails, and memory that runs out. Each
// reader answers with its runtime error (3 or 4) and a report that names the procedure its caller
// called, never with a quiet end of file or an escaping std::bad_alloc.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <utility>

#include "Support/Property Core.h"
#include "Support/Property Shorthand.h"
#include "Support/String Support.h"
#include "Support/VGA Lookup.h"
#include "platform/testing.h"
#include "tests/engine/world_fixture.h"
#include "tests/hardening/allocation_meter.h"

namespace {

constexpr size_t kMiB = size_t{1} << 20;

// The report of runtime error `code` in `where` (MODULE::PROCEDURE), with a line, or without
// one ("in" instead of "of") when `lined` is false.
std::string Report(int code, const std::string& where, bool lined = true) {
  const std::string message = code == 3 ? "file I/O error" : "out of memory";
  return "^\nAborting due to runtime error " + std::to_string(code) + " \\(" + message + "\\) " +
         (lined ? "at line [0-9]+ of " : "in ") + where + "\\(\\)\n\n$";
}

// One call of a reader, with everything it needs already in place.
struct Reader {
  const char* what;
  std::function<void()> call;
  std::string where;   // the procedure that the report names
  bool lined = true;   // whether the report gives the line of a check
  int64_t budget = 0;  // for read errors: the bytes read well before the read that fails
};

// Runs `call` as a program without a handler of its own would: an exception that nothing
// catches ends it (through the terminate handler) rather than reaching the test framework.
void AsProgram(const std::function<void()>& call) {
  [&call]() noexcept { call(); }();
}

void LoadTable(const char* file) {
  rt::Array<std::string> table;
  VGA_LOAD(table, file);
}

// Each test opens the default window; the readers run in child processes.
using Faults = testsupport::WorldTest;

TEST_F(Faults, AFailingReadIsRuntimeError3InTheProcedureCalled) {
  WriteTextures({"a", "b"});
  testsupport::WriteFile("params.property", "TEXTURES=textures.property\n");
  testsupport::WriteFile("text", "k=v\r\n");
  OpenDefaultWindow();
  // The list is read whole before its first bitmap, in one piece and one more read that finds
  // its end (allowed by the budget's one byte past it); then a bitmap's size fields take 8
  // bytes, and BLoadCheck and BLoad read 70 each before the pixels.
  const auto list = static_cast<int64_t>(std::filesystem::file_size("textures.property")) + 1;
  const std::string lists = "engine/Textures::LOADTEXTUREDB", bitmaps = "engine/Textures::BMP_LOAD";
  std::string buffer;
  PROPERTY_STORE store;
  const Reader cases[] = {
      {"parameter file", [] { LOADPARAMS("params.property"); }, "engine/Params::LOADPARAMS"},
      {"texture list", [] { LOADTEXTUREDB("textures.property"); }, lists},
      {"bitmap sizes", [] { LOADTEXTUREDB("textures.property"); }, bitmaps, true, list},
      {"bitmap pixels", [] { LOADTEXTUREDB("textures.property"); }, bitmaps, true,
       list + 8 + 70 + 70},
      {"LOAD_BUFFER", [] { LOAD_BUFFER("text"); }, "Support/String Support::LOAD_BUFFER"},
      {"VGA_LOAD", [] { LoadTable("text"); }, "Support/VGA Lookup::VGA_LOAD"},
      {"PROPERTY_DATABASE_LOAD", [&store] { PROPERTY_DATABASE_LOAD(store, "text"); },
       "Support/Property Core::PROPERTY_LOAD_RAW_BUFFER"},
      {"__LOAD", [&store] { __LOAD(store, "text"); },
       "Support/Property Core::PROPERTY_LOAD_RAW_BUFFER"},
      {"PROPERTY_LOAD_RAW_BUFFER", [&buffer] { PROPERTY_LOAD_RAW_BUFFER(buffer, "text"); },
       "Support/Property Core::PROPERTY_LOAD_RAW_BUFFER"},
  };
  for (const Reader& c : cases) {
    EXPECT_EXIT(
        {
          platform::testing::FailReadsAfter(c.budget);
          c.call();
        },
        testing::ExitedWithCode(3), Report(3, c.where))
        << c.what;
  }
  platform::IMAGE* image = platform::ImageCreate(64, 64);
  platform::testing::FailReadsAfter(0);
  EXPECT_EQ(platform::BLoadCheck("t0.bmp"), 3);
  EXPECT_EQ(platform::BLoad("t0.bmp", image), 3);
  platform::testing::FailReadsAfter(-1);
  platform::ImageDestroy(image);
}

// Every save writes through PROPERTY_SAVE_RAW_BUFFER, so a full disk is reported there.
TEST_F(Faults, AFailingWriteIsRuntimeError3InTheRawSave) {
  std::filesystem::create_directory("Assets (v0x22)");
  OpenDefaultWindow();
  PROPERTY_STORE store;
  PROPERTY_DATABASE_SET(store, "k", "v");
  std::string words = "two words";
  const std::function<void()> saves[] = {
      [&store] { PROPERTY_DATABASE_SAVE(store, "f.property"); },
      [&store] { __SAVE(store, "f.property"); },
      [&store, &words] { PROPERTY_DIGEST_WORD(store, words); },
      [] { PROPERTY_SAVE_RAW_BUFFER("k=v", "f.property"); },
  };
  for (const auto& save : saves) {
    EXPECT_EXIT(
        {
          platform::testing::FailWritesAfter(0);
          save();
        },
        testing::ExitedWithCode(3), Report(3, "Support/Property Core::PROPERTY_SAVE_RAW_BUFFER"));
  }
}

TEST_F(Faults, RunningOutOfMemoryIsRuntimeError4InTheProcedureCalled) {
  const std::string big(4 * kMiB, 'x');  // more than the limit below
  testsupport::WriteFile("big", big);
  testsupport::WriteFile("middling", std::string(600 * 1024, 'x'));  // fits once, not twice
  testsupport::WriteFile("list", "a=" + big);
  OpenDefaultWindow();
  PROPERTY_STORE store;
  const Reader cases[] = {
      {"a parameter line", [] { LOADPARAMS("big"); }, "engine/Params::LOADPARAMS"},
      {"a texture-list line", [] { LOADTEXTUREDB("list"); }, "engine/Textures::LOADTEXTUREDB"},
      {"LOAD_BUFFER", [] { LOAD_BUFFER("big"); }, "Support/String Support::LOAD_BUFFER"},
      {"VGA_LOAD", [] { LoadTable("big"); }, "Support/VGA Lookup::VGA_LOAD"},
      {"PROPERTY_DATABASE_LOAD", [&store] { PROPERTY_DATABASE_LOAD(store, "big"); },
       "Support/Property Core::PROPERTY_LOAD_RAW_BUFFER"},
      // The line is read, but the label copied from it finds no room: the std::bad_alloc that
      // nothing catches ends the program in the procedure it happened in, without a line.
      {"a parameter line copied", [] { LOADPARAMS("middling"); }, "engine/Params::LOADPARAMS",
       false},
  };
  for (const Reader& c : cases) {
    EXPECT_EXIT(AsProgram([&c] {
                  allocmeter::Start();
                  allocmeter::Limit(kMiB);
                  c.call();
                }),
                testing::ExitedWithCode(4), Report(4, c.where, c.lined))
        << c.what;
  }
}

// Bytes of address space the process holds (its virtual memory size).
uint64_t AddressSpace() {
  uint64_t pages = 0;
  std::ifstream("/proc/self/statm") >> pages;
  return pages * static_cast<uint64_t>(sysconf(_SC_PAGESIZE));
}

// Lets the process hold at most `more` bytes of address space beyond what it holds now.
void LimitAddressSpace(uint64_t more) {
  const rlimit limit{AddressSpace() + more, AddressSpace() + more};
  if (setrlimit(RLIMIT_AS, &limit) != 0) std::abort();
}

TEST_F(Faults, ALongLineCostsItsOwnSizeUnderAnAddressSpaceLimit) {
#ifdef MAZE_SANITIZE
  GTEST_SKIP() << "AddressSanitizer reserves more address space than the limit leaves";
#endif
  // Lines of zero bytes, left as holes in their files: one fits the limit once but not twice, the
  // other does not fit at all.
  for (const auto& [file, size] : {std::pair{"long", 96 * kMiB}, {"params.property", 192 * kMiB}}) {
    testsupport::WriteFile(file, "");
    std::filesystem::resize_file(file, size);
  }
  OpenDefaultWindow();
  EXPECT_EXIT(
      {
        LimitAddressSpace(160 * kMiB);
        std::string line;
        const int slot = platform::FreeFile();
        platform::Open(slot, "long", platform::OpenMode::kInput);
        std::exit(platform::LineInput(slot, line) == 0 && line.size() == 96 * kMiB ? 0 : 1);
      },
      testing::ExitedWithCode(0), "");
  EXPECT_EXIT(
      {
        LimitAddressSpace(160 * kMiB);
        LOADPARAMS("params.property");
      },
      testing::ExitedWithCode(4), Report(4, "engine/Params::LOADPARAMS"));
}

}  // namespace

TEST_F(Faults, AStoreThatCannotDoubleStillGrowsByAFractionOfItself) {
  // Room for 42 Ki records: the doubling from 16 Ki to 32 Ki records (48 Ki held during the move)
  // fails, and the 3616 appends past 16 Ki must not each reallocate the whole store.
  constexpr int32_t kRecords = 20000;
  constexpr size_t kLimit = 42000 * sizeof(PROPERTY_DB_TYPE);
  EXPECT_EXIT(
      {
        PROPERTY_STORE store;
        allocmeter::Start();
        allocmeter::Limit(kLimit);
        while (store.Count() < kRecords) PROPERTY_INC_CAPACITY(store, 1);
        std::exit(allocmeter::Bytes() < 4 * kLimit ? 0 : 1);
      },
      testing::ExitedWithCode(0), "");
}
