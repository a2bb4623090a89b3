#include "platform/runtime.h"

#include <locale.h>
#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <limits>
#include <new>
#include <stdexcept>

#include "platform/platform.h"

namespace rt {

const char* ErrorMessage(int code) {
  switch (code) {
    case kIllegalFunctionCall:
      return "illegal function call";
    case kFileNotFound:
      return "file not found";
    case kFileIOError:
      return "file I/O error";
    case kOutOfMemory:
      return "out of memory";
    case kOutOfBounds:
      return "out of bounds array access";
    case kNullPointer:
      return "null pointer access";
    default:
      return "";
  }
}

std::string AbortReport(int code, const Where& at) {
  std::string report = "\nAborting due to runtime error " + Str(int32_t{code});
  const std::string message = ErrorMessage(code);
  if (!message.empty()) report += " (" + message + ")";
  if (at.line > 0) report += " at line " + Str(int32_t{at.line});
  report += at.line > 0 ? " of " : " in ";
  report += std::string(at.module) + "::" + at.procedure + "()\n\n";
  return report;
}

void Abort(int code, const Where& at) {
  platform::WriteError(AbortReport(code, at));
  platform::End(code);
}

namespace {

const ProcedureMark* innermost_mark = nullptr;  // the innermost live RT_PROCEDURE; null for none
constexpr Where kUnmarked{0, "platform/runtime", "operator new"};  // the report outside them
Where failed_allocation = kUnmarked;  // where the last failing operator new was asked
bool allocation_failed = false;       // whether any operator new has failed

// The new handler: notes where memory ran out and lets the allocation fail as usual, so that
// code which catches std::bad_alloc (or asked with std::nothrow) answers for itself.
void NoteFailedAllocation() {
  failed_allocation = ProcedureMark::Innermost();
  allocation_failed = true;
  throw std::bad_alloc();
}

// The terminate handler: an allocation failure that nothing caught is runtime error 4 where the
// allocation failed; anything else ends the program as the default handler does. An exception
// that leaves a noexcept function is not always the current one here; one still in flight after
// an allocation failed is taken for that failure.
[[noreturn]] void EndUncaught() {
  if (const std::exception_ptr uncaught = std::current_exception()) {
    try {
      std::rethrow_exception(uncaught);
    } catch (const std::bad_alloc&) {
      Abort(kOutOfMemory, failed_allocation);
    } catch (const std::length_error&) {
      Abort(kOutOfMemory, ProcedureMark::Innermost());
    } catch (...) {
    }
  } else if (std::uncaught_exceptions() > 0 && allocation_failed) {
    Abort(kOutOfMemory, failed_allocation);
  }
  std::abort();
}

// Both handlers are in place before main runs, in every program that links the runtime.
[[maybe_unused]] const bool handlers_installed =
    (std::set_new_handler(NoteFailedAllocation), std::set_terminate(EndUncaught), true);

}  // namespace

ProcedureMark::ProcedureMark(const char* module, const char* procedure)
    : outer_(innermost_mark), module_(module), procedure_(procedure) {
  innermost_mark = this;
}

ProcedureMark::~ProcedureMark() {
  innermost_mark = outer_;
}

Where ProcedureMark::Innermost() {
  if (innermost_mark == nullptr) return kUnmarked;
  return Where{0, innermost_mark->module_, innermost_mark->procedure_};
}

namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

size_t SkipBlanks(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && IsBlank(text[i])) ++i;
  return i;
}

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

// The "C" locale, so that strtod reads "." as the decimal point whatever the process uses.
locale_t CLocale() {
  static const locale_t c_locale = newlocale(LC_ALL_MASK, "C", locale_t{});
  return c_locale;
}

// Digit value in the given base, or -1.
int DigitValue(char c, int base) {
  int v = -1;
  if (c >= '0' && c <= '9')
    v = c - '0';
  else if (c >= 'a' && c <= 'f')
    v = c - 'a' + 10;
  else if (c >= 'A' && c <= 'F')
    v = c - 'A' + 10;
  return v < base ? v : -1;
}

}  // namespace

int32_t ValInt(std::string_view text) {
  size_t i = SkipBlanks(text);
  bool negative = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
  uint32_t value = 0;
  for (; i < text.size() && IsDigit(text[i]); ++i) value = value * 10u + uint32_t(text[i] - '0');
  if (negative) value = 0u - value;
  return static_cast<int32_t>(value);
}

double Val(std::string_view text) {
  size_t i = SkipBlanks(text);
  std::string number;  // the accepted characters, in the form strtod reads
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) number += text[i++];
  size_t digits = 0;
  for (; i < text.size() && IsDigit(text[i]); ++i, ++digits) number += text[i];
  if (i < text.size() && text[i] == '.') {
    number += text[i++];
    for (; i < text.size() && IsDigit(text[i]); ++i, ++digits) number += text[i];
  }
  if (digits == 0) return 0.0;
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E' || text[i] == 'd' || text[i] == 'D')) {
    size_t j = i + 1;
    std::string exponent = "e";
    if (j < text.size() && (text[j] == '-' || text[j] == '+')) exponent += text[j++];
    const size_t first = j;
    for (; j < text.size() && IsDigit(text[j]); ++j) exponent += text[j];
    if (j > first) number += exponent;
  }
  return strtod_l(number.c_str(), nullptr, CLocale());
}

uint64_t ValULongInt(std::string_view text) {
  size_t i = SkipBlanks(text);
  bool negative = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
  int base = 10;
  if (i + 1 < text.size() && text[i] == '&') {
    switch (text[i + 1]) {
      case 'h':
      case 'H':
        base = 16;
        break;
      case 'o':
      case 'O':
        base = 8;
        break;
      case 'b':
      case 'B':
        base = 2;
        break;
      default:
        break;
    }
    if (base != 10) i += 2;
  }
  uint64_t value = 0;
  for (int d; i < text.size() && (d = DigitValue(text[i], base)) >= 0; ++i) {
    value = value * uint64_t(base) + uint64_t(d);
  }
  return negative ? 0u - value : value;
}

std::string Str(int32_t value) {
  return std::to_string(value);
}

std::string StrUnsigned(uint64_t value) {
  return std::to_string(value);
}

std::string Str(double value) {
  char buffer[64];
#if defined(__cpp_lib_to_chars)
  const auto result =
      std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 16);
  std::string text(buffer, result.ptr);
#else
  // A standard library without floating-point to_chars (the browser build's): printf's %.16g
  // in the "C" locale gives the same digits.
  const locale_t previous = uselocale(CLocale());
  const int length = std::snprintf(buffer, sizeof buffer, "%.16g", value);
  uselocale(previous);
  std::string text(buffer, length > 0 ? static_cast<size_t>(length) : 0);
#endif
  if (!text.empty() && text.back() == '.') text.pop_back();
  return text;
}

std::string StrAddress(const void* pointer) {
  return StrUnsigned(reinterpret_cast<uintptr_t>(pointer));
}

std::string Hex(uint32_t value) {
  char buffer[16];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, 16);
  std::string text(buffer, result.ptr);
  for (char& c : text) {
    if (c >= 'a' && c <= 'f') c = static_cast<char>(c - 'a' + 'A');
  }
  return text;
}

}  // namespace rt
