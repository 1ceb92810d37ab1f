#include "expr/numeric_rules.h"

#include <cfenv>
#include <charconv>
#include <cstring>

#include "base/errors.h"

namespace torvic {

namespace {

constexpr double kExactPowersOfTen[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                        1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                        1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

struct PowersOfTen128 {
  unsigned __int128 p[23];
  constexpr PowersOfTen128() : p() {
    p[0] = 1;
    for (int i = 1; i < 23; ++i) p[i] = p[i - 1] * 10;
  }
};
constexpr PowersOfTen128 kPowers128;

constexpr uint64_t kHigh15 = 1000000000000000ULL;  // 10^15

// The 15-digit rounding done exactly in integers, for the magnitudes where
// it is cheap: |x| = m * 2^-shift, and |x| * 10^s is brought into
// [10^14, 10^15) with s from -1 to 22. The 15-digit decimal D is that value
// rounded to the nearest integer, ties to even (what "%.15G" does in the
// default rounding mode), and reading "D E-s" back gives the double nearest
// D / 10^s, which one division (or for s = -1 one multiplication) of two
// exactly represented doubles also gives (D < 2^53 and 10^s <= 10^22 are
// exact). False outside that range.
//
// The scale needs no retries: with 2^b <= |x| < 2^(b+1), the first guess
// s = 14 - floor(b log10 2) puts |x| * 10^s in [10^14, 10^16), so either it
// is right or the scaled value has one digit too many, and that digit is
// split off the integer part by one division by 10 with the binary rest
// deciding the rounding.
bool Round15Exactly(double x, double& out) {
  uint64_t bits;
  std::memcpy(&bits, &x, sizeof bits);
  const int biased = static_cast<int>((bits >> 52) & 0x7FF);
  if (biased == 0) return false;  // zero and subnormals: not fractional work worth a path
  const uint64_t m = (bits & ((uint64_t{1} << 52) - 1)) | (uint64_t{1} << 52);
  const int shift = 1075 - biased;  // |x| = m / 2^shift
  if (shift <= 0 || shift >= 128) return false;
  const int binaryExponent = biased - 1023;  // 2^b <= |x| < 2^(b+1)
  // (b * 78913) >> 18 is floor(b * log10 2) for |b| < 2^11.
  int s = 14 - ((binaryExponent * 78913) >> 18);
  if (s > 22) return false;
  // s = -1 (|x| from 2^50 to 2^52) is scaled as s = 0 and always takes the
  // extra-digit branch below.
  if (s < 0) s = 0;
  const unsigned __int128 scaled = static_cast<unsigned __int128>(m) * kPowers128.p[s];
  const uint64_t whole = static_cast<uint64_t>(scaled >> shift);  // < 10^16
  const unsigned __int128 rest = scaled & ((static_cast<unsigned __int128>(1) << shift) - 1);
  uint64_t digits;
  bool up;
  if (whole < kHigh15) {
    const unsigned __int128 half = static_cast<unsigned __int128>(1) << (shift - 1);
    digits = whole;
    up = rest > half || (rest == half && (digits & 1));
  } else {
    // One digit too many: the scaled value is whole + rest / 2^shift, its
    // tenth is digits + (last + rest / 2^shift) / 10.
    digits = whole / 10;
    const uint64_t last = whole % 10;
    up = last > 5 || (last == 5 && (rest != 0 || (digits & 1)));
    --s;
  }
  if (up) ++digits;
  const double r =
      s < 0 ? static_cast<double>(digits) * 10 : static_cast<double>(digits) / kExactPowersOfTen[s];
  out = std::signbit(x) ? -r : r;
  return true;
}

}  // namespace

double Round15Fraction(double x) {
  if (!(std::fabs(x) < 0x1p52) || x == static_cast<double>(static_cast<int64_t>(x))) return x;
  // A value with at most four binary places and at most eleven digits
  // before the point (halves, quarters: the common fractions of programs)
  // has at most fifteen significant decimal digits and is its own rounding.
  const double sixteenths = x * 16;
  if (std::fabs(x) < 1e11 && sixteenths == static_cast<double>(static_cast<int64_t>(sixteenths)))
    return x;
  double fast;
  if (Round15Exactly(x, fast)) return fast;
  // Elsewhere: scientific notation with 14 digits after the point is the
  // same correctly rounded 15-digit decimal as "%.15G"; to_chars/from_chars
  // do it without the locale and without allocating.
  char buf[40];
  const auto res = std::to_chars(buf, buf + sizeof buf, x, std::chars_format::scientific, 14);
  double y = x;
  std::from_chars(buf, res.ptr, y);
  return y;
}

bool RoundToInt32Slow(double x, int32_t& out) {
  const double r = RoundHalfUp(x);
  if (!(r > -2147483649.0 && r < 2147483648.0)) return false;
  out = static_cast<int32_t>(r);
  return true;
}

FpGuard::FpGuard() { std::feclearexcept(FE_ALL_EXCEPT); }

int32_t FpGuard::Error() {
  const int raised = std::fetestexcept(FE_DIVBYZERO | FE_INVALID | FE_OVERFLOW | FE_UNDERFLOW);
  if (raised == 0) return kOk;
  std::feclearexcept(FE_ALL_EXCEPT);
  if (raised & FE_DIVBYZERO) return kErrDivisionByZero;
  if (raised & FE_INVALID) return kErrFunctionCallError;
  if (raised & FE_OVERFLOW) return kErrOverflow;
  return kErrUnderflow;
}

int32_t UnusualResultError(double a, double b, double r, bool product) {
  if (std::isfinite(r) && r != 0 && std::fpclassify(r) != FP_SUBNORMAL) return kOk;
  if (std::isnan(r)) return (std::isnan(a) || std::isnan(b)) ? kOk : kErrFunctionCallError;
  if (std::isinf(r)) return (std::isinf(a) || std::isinf(b)) ? kOk : kErrOverflow;
  if (!product) return kOk;
  if (r == 0) return (a != 0 && b != 0 && !std::isinf(b)) ? kErrUnderflow : kOk;
  return kErrUnderflow;  // a subnormal product or quotient
}

}  // namespace torvic
