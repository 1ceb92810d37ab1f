// How numbers become text: the free format of PRINT, STR$ and WRITE, the
// base conversions (HEX$, OCT$, BIN$), the byte image of MKN$, and the
// format language of PRINT USING and USING$.
//
// Every operation appends to a CBasicString, so a caller that formats many
// values into one result (USING$, a PRINT list) reuses one string's storage.
// Number formatting itself writes into stack buffers and never allocates,
// except for fields of the format language too wide for them.
//
// Formatting uses the C library's printf conversions, which read the
// decimal point from the C locale's numeric category: the application keeps
// LC_NUMERIC at "C".
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "expr/functions.h"
#include "expr/value.h"

namespace torvic {

// ---------------------------------------------------------------------------
// Free format: "%.15G" (at most 15 significant digits, no trailing zeros or
// point, exponent form "1E+15" below 1E-4 and from 1E15 on).

// Room for the longest free-format text ("-1.23456789012345E-308") and a
// leading blank.
inline constexpr size_t kFreeFormatBuffer = 32;

// Writes the free format of x into buf (at least kFreeFormatBuffer bytes;
// not NUL-terminated by contract) and returns its length. With
// `leadingBlank` a number that is not negative gets a blank in front: the
// form PRINT uses.
size_t FreeFormat(double x, char* buf, bool leadingBlank = false);

// Appends the free format of x (STR$ and WRITE: leadingBlank false; PRINT:
// true), clamped at the string limit like any append.
void AppendFreeFormat(CBasicString& out, double x, bool leadingBlank = false);

// The same as a std::string, for callers outside the hot paths.
std::string FreeFormatText(double x, bool leadingBlank = false);

// ---------------------------------------------------------------------------
// Base conversions. x is rounded half up and must lie in 0 .. 4294967295,
// else "?Function call error"; digits are written without leading zeros (0
// gives "0"). radix is 2, 8 or 16 (upper-case digits).
int32_t AppendRadixDigits(CBasicString& out, double x, int radix);

// The 8 bytes of the double x, least significant first (the inverse of cvn).
void AppendNumberImage(CBasicString& out, double x);

// ---------------------------------------------------------------------------
// The format language of PRINT USING and USING$.
//
// Numeric fields: [+] [** [$] | $$] #... [,] [. #...] [^^^^] [+ | -]
//   (at least one #; the comma only directly after the integer # run; a
//   trailing sign only without a leading +). String fields: "!" (first
//   character), "&" (whole string), "\...\" (fixed width, cut or padded on
//   the right), "% ... %" (the same, only blanks between), "/.../" (fixed
//   width, right-aligned). "_" makes the next character literal. Anything
//   else, including a field start that does not complete, is literal text.
//
// A format is applied to values one at a time, so that PRINT USING can
// write each piece as its value is evaluated:
//
//   UsingFormat f(format);          // format text stays alive meanwhile
//   f.Start(out);                   // literal text before the first field
//   for each value:
//     f.Kind()                      // the field the value will go into
//     f.Put(value, out)             // the value, then literal text up to the
//                                   // next field (or the end of the format)
//
// When the end of the format is reached and another value comes, Put starts
// again from the beginning (writing the leading literal text again). A
// format without fields writes its text once in Start; Put then uses
// nothing. Every append is checked: a result that would reach 65536 bytes
// raises "?String too long" (the caller may empty `out` between calls, as
// PRINT USING does after writing each piece to the screen).
enum class FieldKind : uint8_t { None, Number, String };

class UsingFormat {
 public:
  explicit UsingFormat(std::string_view format) : format_(format) {}

  // Appends the literal text before the first field.
  int32_t Start(CBasicString& out);
  // The kind of field the next value goes into (None: the format has none).
  FieldKind Kind() const;
  // Formats v into the current field and appends it with the literal text
  // after it. A value whose kind differs from the field's raises "?Type
  // mismatch" and writes nothing.
  int32_t Put(const CValue& v, CBasicString& out);

  struct Field;  // a parsed field (number_format.cpp)

 private:
  int32_t Literal(CBasicString& out);  // literal text up to the next field or the end
  bool FieldAt(size_t p, Field& f) const;
  bool HasField() const;

  std::string_view format_;
  size_t pos_ = 0;
  mutable int8_t hasField_ = -1;  // -1 not yet known
  mutable size_t first_ = 0;      // position of the first field
};

// USING$(format, values...): the whole format applied to `count` values.
int32_t FormatUsing(CBasicString& out, std::string_view format, const CValue* values, int count);

// ---------------------------------------------------------------------------
// The workers of str$, hex$, oct$, bin$, mkn$ and using$ (functions.h).
using WorkerFunction = int32_t(CallContext& ctx, const CValue* args, int count, CValue& result);
WorkerFunction FnStr, FnHexText, FnOctText, FnBinText, FnMkn, FnUsing;

}  // namespace torvic
