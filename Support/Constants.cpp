#include "Support/Constants.h"

#include <cstdio>

#include "platform/platform.h"

static constexpr char MODULE_NAME[] = "Support/Constants";

rt::Array<std::string> CMD;

void CHECKPROCESSOR() {
#if defined(__i386__)
  // A 686 is the first family with CMOV; x86-64 processors always have it.
  if (!__builtin_cpu_supports("cmov")) {
    std::puts("This program requires at least a 686 to run.");
    platform::End(1);
  }
#endif
}

void CAPTURECOMMANDLINE() {
  for (int32_t n = 0;; ++n) {
    std::string word = platform::Command(n);
    if (word.empty()) break;
    CMD.RedimPreserve(0, n, RT_HERE);
    CMD.At(n, RT_HERE) = std::move(word);
  }
}

void OPENFIRSTWINDOW() {
  RT_CHECK(platform::ScreenRes(640, 480, 32, 1, 64));
  platform::PageSet(1, 0);
}
