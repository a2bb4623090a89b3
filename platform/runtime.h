// The language runtime every module shares: the runtime-error abort, the text/number
// conversions, rounding, and arrays with explicit bounds.
//
// Numbers: integer arithmetic is 32-bit two's complement and wraps (the build uses -fwrapv).
// A double becomes an int32 by a defined rule for every input: NaN gives 0, values beyond the
// int32 range saturate to INT32_MIN or INT32_MAX, everything else rounds as the function says.
#pragma once

#include <cmath>
#include <cstdint>
#include <limits>
#include <new>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace rt {

// Where a check failed: the source line (0 when unknown), the module and the procedure.
struct Where {
  int line;
  const char* module;
  const char* procedure;
};

// The position of the statement that uses it. Each source file names its module first:
//   static constexpr char MODULE_NAME[] = "Support/Property Core";
#define RT_HERE (::rt::Where{__LINE__, MODULE_NAME, __func__})
// Stops the program with runtime error n at this statement.
#define RT_ABORT(n) ::rt::Abort((n), RT_HERE)
// Runs a platform call that returns an error number and stops the program when it is not 0.
#define RT_CHECK(call)                                                 \
  do {                                                                 \
    if (const int rt_error_ = (call)) ::rt::Abort(rt_error_, RT_HERE); \
  } while (0)

// The runtime-error numbers the system reports.
inline constexpr int kIllegalFunctionCall = 1, kFileNotFound = 2, kFileIOError = 3,
                     kOutOfMemory = 4, kOutOfBounds = 6, kNullPointer = 7;

// The message of an error number ("illegal function call", ...); empty for unknown numbers.
const char* ErrorMessage(int code);
// The abort report: "\nAborting due to runtime error N (message) at line L of module::proc()\n\n",
// with " at line L" left out and "in" for "of" when the line is unknown (0).
std::string AbortReport(int code, const Where& at);
// Writes the report to the standard error stream and ends the program with exit code `code`.
[[noreturn]] void Abort(int code, const Where& at);

// ---------------------------------------------------------------------------------------------
// Running out of memory
//
// Wherever the program runs out of memory the answer is runtime error 4. Code that answers in a
// way of its own catches std::bad_alloc (or asks with std::nothrow) where it allocates; any other
// std::bad_alloc (or std::length_error) that nothing catches ends the program with runtime error
// 4, reported in the innermost procedure marked with RT_PROCEDURE when the allocation failed.

// Marks the procedure it is written in, from there to its end, as the one that a report of
// memory running out names (without a line: "in MODULE::PROCEDURE()").
#define RT_PROCEDURE const ::rt::ProcedureMark rt_procedure_mark_(MODULE_NAME, __func__)

class ProcedureMark {
 public:
  ProcedureMark(const char* module, const char* procedure);
  ~ProcedureMark();
  ProcedureMark(const ProcedureMark&) = delete;
  ProcedureMark& operator=(const ProcedureMark&) = delete;

  // The position that names the innermost marked procedure; operator new when none is marked.
  static Where Innermost();

 private:
  const ProcedureMark* outer_;
  const char* module_;
  const char* procedure_;
};

// ---------------------------------------------------------------------------------------------
// Conversions

// Text to int32: blanks (space, tab) skipped, an optional sign, decimal digits up to the first
// other character; no digits gives 0. The value wraps modulo 2^32.
int32_t ValInt(std::string_view text);
// Text to double: blanks skipped, then [sign] digits [. digits] [e|E|d|D [sign] digits], read up to
// the first character that cannot continue it; no digits gives 0. No inf, nan or hex forms, and
// the decimal point is always ".". Values too large become +-infinity.
double Val(std::string_view text);
// Text to uint64: blanks skipped, then decimal digits, or &H / &O / &B (either case) followed by
// hexadecimal, octal or binary digits, up to the first character that does not belong. A leading
// minus sign negates modulo 2^64. No digits gives 0; the value wraps modulo 2^64.
uint64_t ValULongInt(std::string_view text);

// int32 in decimal, minus sign only when negative, no blanks.
std::string Str(int32_t value);
// uint64 in decimal.
std::string StrUnsigned(uint64_t value);
// Double in the "%.16g" general format (a trailing decimal point dropped).
std::string Str(double value);
// An address as an unsigned decimal integer.
std::string StrAddress(const void* pointer);
// Upper-case hexadecimal without leading zeros ("0" for 0).
std::string Hex(uint32_t value);

// The roundings, conversions and the division below are inline: the renderers call them per
// column.

// Round to nearest, halves to even, as a double (exact for every finite input). Below 2^52 in
// magnitude, adding and taking away 2^52 leaves the nearest integer, ties to even, in the default
// rounding mode; from 2^52 on every double is an integer already.
inline double RoundEven(double value) {
  const double magnitude = std::fabs(value);
  if (!(magnitude < 0x1p52)) return value;  // integral, infinite or NaN
  return std::copysign(magnitude + 0x1p52 - 0x1p52, value);
}

// An already integral double as int32, saturating; NaN gives 0.
inline int32_t SaturateIntegral(double value) {
  if (std::isnan(value)) return 0;
  if (value >= 2147483647.0) return std::numeric_limits<int32_t>::max();
  if (value <= -2147483648.0) return std::numeric_limits<int32_t>::min();
  return static_cast<int32_t>(value);
}
// Round to nearest, halves to even, as int32 (NaN 0, saturating).
inline int32_t RoundInt(double value) {
  return SaturateIntegral(RoundEven(value));
}
// Largest integer not above value, as int32 (NaN 0, saturating).
inline int32_t FloorInt(double value) {
  return SaturateIntegral(std::floor(value));
}
// Toward zero, as int32 (NaN 0, saturating).
inline int32_t TruncInt(double value) {
  return SaturateIntegral(std::trunc(value));
}
// Integer division truncating toward zero, the language's a \ b. INT32_MIN \ -1 wraps to
// INT32_MIN; a divisor of 0 is the caller's error and gives 0.
inline int32_t IntDiv(int32_t a, int32_t b) {
  if (b == 0) return 0;
  if (b == -1) return static_cast<int32_t>(0u - static_cast<uint32_t>(a));
  return a / b;
}

// ---------------------------------------------------------------------------------------------
// Arrays with explicit bounds. Indexing outside lbound..ubound stops the program with runtime
// error 6 at the caller's position; running out of memory while resizing gives error 4.

template <class T>
class Array {
 public:
  int32_t LBound() const { return lbound_; }
  int32_t UBound() const { return lbound_ + static_cast<int32_t>(items_.size()) - 1; }
  bool Empty() const { return items_.empty(); }

  // Resizes to lbound..ubound; every element is constructed anew (an empty range is allowed).
  void Redim(int32_t lbound, int32_t ubound, const Where& at) {
    std::vector<T> fresh;
    Resize(fresh, lbound, ubound, at);
    items_.swap(fresh);
    lbound_ = lbound;
  }
  // Resizes to lbound..ubound keeping the elements whose index stays in range.
  void RedimPreserve(int32_t lbound, int32_t ubound, const Where& at) {
    std::vector<T> fresh;
    Resize(fresh, lbound, ubound, at);
    for (int32_t i = lbound; i <= ubound; ++i) {
      if (i >= lbound_ && i <= UBound())
        fresh[Offset(i, lbound)] = std::move(items_[Offset(i, lbound_)]);
    }
    items_.swap(fresh);
    lbound_ = lbound;
  }
  // Releases every element; the array becomes empty (0..-1).
  void Erase() {
    std::vector<T>().swap(items_);
    lbound_ = 0;
  }

  T& At(int32_t index, const Where& at) {
    if (index < lbound_ || index > UBound()) Abort(kOutOfBounds, at);
    return items_[Offset(index, lbound_)];
  }
  const T& At(int32_t index, const Where& at) const {
    return const_cast<Array*>(this)->At(index, at);
  }

 private:
  static size_t Offset(int32_t index, int32_t lbound) {
    return static_cast<size_t>(static_cast<int64_t>(index) - lbound);
  }
  static void Resize(std::vector<T>& v, int32_t lbound, int32_t ubound, const Where& at) {
    const int64_t count = static_cast<int64_t>(ubound) - lbound + 1;
    if (count <= 0) return;
    try {
      v.resize(static_cast<size_t>(count));
    } catch (const std::bad_alloc&) {
      Abort(kOutOfMemory, at);
    } catch (const std::length_error&) {
      Abort(kOutOfMemory, at);
    }
  }

  int32_t lbound_ = 0;
  std::vector<T> items_;
};

// A two-dimensional array with bounds (lo1..hi1, lo2..hi2).
template <class T>
class Array2 {
 public:
  void Redim(int32_t lo1, int32_t hi1, int32_t lo2, int32_t hi2, const Where& at) {
    lo1_ = lo1;
    hi1_ = hi1;
    lo2_ = lo2;
    hi2_ = hi2;
    const int64_t n1 = static_cast<int64_t>(hi1) - lo1 + 1,
                  n2 = static_cast<int64_t>(hi2) - lo2 + 1;
    cells_.Redim(0, static_cast<int32_t>(n1 > 0 && n2 > 0 ? n1 * n2 - 1 : -1), at);
  }
  T& At(int32_t i, int32_t j, const Where& at) {
    if (i < lo1_ || i > hi1_ || j < lo2_ || j > hi2_) Abort(kOutOfBounds, at);
    const int64_t n2 = static_cast<int64_t>(hi2_) - lo2_ + 1;
    return cells_.At(static_cast<int32_t>((int64_t{i} - lo1_) * n2 + (j - lo2_)), at);
  }
  int32_t LBound(int dimension) const { return dimension == 1 ? lo1_ : lo2_; }
  int32_t UBound(int dimension) const { return dimension == 1 ? hi1_ : hi2_; }

 private:
  int32_t lo1_ = 0, hi1_ = -1, lo2_ = 0, hi2_ = -1;
  Array<T> cells_;
};

}  // namespace rt
