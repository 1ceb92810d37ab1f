#include "expr/string_functions.h"

#include <algorithm>
#include <cstdio>

#include "base/errors.h"
#include "expr/function_table.h"
#include "expr/numeric_rules.h"

namespace torvic {

namespace {

constexpr double kMaxCount = CBasicString::kMaxLength;

// A count or position argument: rounded half up, lo..65535 (lo >= 0).
// floor(x + 0.5) lies in lo..65535 exactly when x + 0.5 lies in
// [lo, 65536), and truncating a non-negative y is its floor, so no rounding
// call is made.
bool Whole(double x, int32_t lo, int32_t& out) {
  const double y = x + 0.5;
  if (!(y >= lo && y < kMaxCount + 1)) return false;
  out = static_cast<int32_t>(y);
  return true;
}

// A character argument: its first byte; false when it is empty.
bool Character(const CValue& a, char& c) {
  if (a.str.Empty()) return false;
  c = static_cast<char>(a.str[0]);
  return true;
}

int32_t Text(CValue& result, std::string_view s) {
  result.SetString(s);  // into the result's own block: no temporary
  return kOk;
}

int32_t Number(CValue& result, double v) {
  result.SetNumber(v);
  return kOk;
}

// A search position: 1-based, or 0 for "not found" (the string searches
// answer -1).
double Position(int32_t found) { return found < 0 ? 0 : found; }

char UpperByte(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; }
char LowerByte(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; }

bool IsVolumeCharacter(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
}

// The built-in volume that stands in until the volume table exists.
class BuiltInVolume final : public FileNameVolumes {
 public:
  std::string CurrentVolume() override { return "TORVIC"; }
  bool VolumeExists(std::string_view v) override {
    return v.size() == 6 && std::equal(v.begin(), v.end(), "TORVIC",
                                       [](char a, char b) { return UpperByte(a) == b; });
  }
  bool FileExists(std::string_view, std::string_view) override { return false; }
};

BuiltInVolume builtInVolume;
FileNameVolumes* volumes = &builtInVolume;

// The interpreter's volume table when it has one, else the stand-in.
FileNameVolumes* VolumesOf(CallContext& ctx) {
  FileNameVolumes* own = ctx.env.FileVolumes();
  return own ? own : volumes;
}

// The interpreter's temporary-name counter: each tempname$ moves it past
// the name it hands out.
uint32_t tempNameCounter = 0;

}  // namespace

void SetFileNameVolumes(FileNameVolumes* v) { volumes = v ? v : &builtInVolume; }
void SetTempNameCounter(uint32_t value) { tempNameCounter = value; }

// ---------------------------------------------------------------------------
// Cutting and building.

bool LeftPart(std::string_view s, double count, std::string_view& out) {
  int32_t n;
  if (!Whole(count, 0, n)) return false;
  out = s.substr(0, static_cast<size_t>(n));
  return true;
}
bool RightPart(std::string_view s, double count, std::string_view& out) {
  int32_t n;
  if (!Whole(count, 0, n)) return false;
  out = s.substr(s.size() - std::min(s.size(), static_cast<size_t>(n)));
  return true;
}
bool MidPart(std::string_view s, double position, double count, std::string_view& out) {
  int32_t p, n;
  if (!Whole(position, 1, p) || !Whole(count, 0, n)) return false;
  out = static_cast<size_t>(p) > s.size()
            ? std::string_view()
            : s.substr(static_cast<size_t>(p) - 1, static_cast<size_t>(n));
  return true;
}

int32_t FnLeft(CallContext&, const CValue* a, int, CValue& r) {
  std::string_view part;
  if (!LeftPart(a[0].str.View(), a[1].number, part)) return kErrFunctionCallError;
  return Text(r, part);
}
int32_t FnRight(CallContext&, const CValue* a, int, CValue& r) {
  std::string_view part;
  if (!RightPart(a[0].str.View(), a[1].number, part)) return kErrFunctionCallError;
  return Text(r, part);
}
int32_t FnMid(CallContext&, const CValue* a, int, CValue& r) {
  std::string_view part;
  if (!MidPart(a[0].str.View(), a[1].number, a[2].number, part)) return kErrFunctionCallError;
  return Text(r, part);
}
int32_t FnRepeat(CallContext&, const CValue* a, int, CValue& r) {
  int32_t n;
  if (!Whole(a[1].number, 0, n)) return kErrFunctionCallError;
  const std::string_view s = a[0].str.View();
  if (static_cast<int64_t>(s.size()) * n > CBasicString::kMaxLength) return kErrStringTooLong;
  r.MakeString().AppendRepeated(s, n);
  return kOk;
}
// string$(c, n): n copies of the first byte of c.
int32_t FnStringOf(CallContext&, const CValue* a, int, CValue& r) {
  char c;
  int32_t n;
  if (!Character(a[0], c) || !Whole(a[1].number, 0, n)) return kErrFunctionCallError;
  r.MakeString().AppendRepeated(std::string_view(&c, 1), n);
  return kOk;
}
int32_t FnSpace(CallContext&, const CValue* a, int, CValue& r) {
  int32_t n;
  if (!Whole(a[0].number, 0, n)) return kErrFunctionCallError;
  r.MakeString().AppendRepeated(" ", n);
  return kOk;
}
int32_t FnNul(CallContext&, const CValue*, int, CValue& r) {
  return Text(r, std::string_view("\0", 1));
}
int32_t FnEsc(CallContext&, const CValue*, int, CValue& r) { return Text(r, "\x1b"); }
int32_t FnRet(CallContext&, const CValue*, int, CValue& r) { return Text(r, "\r"); }

namespace {

// The argument's bytes mapped one by one into the result.
template <typename Map>
int32_t MapBytes(const CValue& a, CValue& r, Map map) {
  CBasicString& s = r.MakeString();
  s.Assign(a.str.View());
  uint8_t* d = s.MutableData();
  for (int32_t i = 0; i < s.Length(); ++i)
    d[i] = static_cast<uint8_t>(map(static_cast<char>(d[i])));
  return kOk;
}

}  // namespace

int32_t FnLCase(CallContext&, const CValue* a, int, CValue& r) {
  return MapBytes(a[0], r, LowerByte);
}
int32_t FnUCase(CallContext&, const CValue* a, int, CValue& r) {
  return MapBytes(a[0], r, UpperByte);
}
int32_t FnReverse(CallContext&, const CValue* a, int, CValue& r) {
  CBasicString& s = r.MakeString();
  s.Assign(a[0].str.View());
  std::reverse(s.MutableData(), s.MutableData() + s.Length());
  return kOk;
}
// Blanks trimmed at both ends and every inner run of blanks cut to one.
int32_t FnCompress(CallContext&, const CValue* a, int, CValue& r) {
  std::string_view s = a[0].str.View();
  const size_t first = s.find_first_not_of(' ');
  CBasicString& out = r.MakeString();
  if (first == std::string_view::npos) return kOk;
  s = s.substr(first, s.find_last_not_of(' ') - first + 1);
  size_t run = 0;  // start of the text not yet copied
  for (size_t i = 1; i < s.size(); ++i) {
    if (s[i] == ' ' && s[i - 1] == ' ') {
      out.Append(s.substr(run, i - run));
      while (i < s.size() && s[i] == ' ') ++i;
      run = i;
    }
  }
  out.Append(s.substr(run));
  return kOk;
}
int32_t FnLTrim(CallContext&, const CValue* a, int, CValue& r) {
  char c;
  if (!Character(a[1], c)) return kErrFunctionCallError;
  const std::string_view s = a[0].str.View();
  const size_t first = s.find_first_not_of(c);
  return Text(r, first == std::string_view::npos ? std::string_view() : s.substr(first));
}
int32_t FnRTrim(CallContext&, const CValue* a, int, CValue& r) {
  char c;
  if (!Character(a[1], c)) return kErrFunctionCallError;
  const std::string_view s = a[0].str.View();
  const size_t last = s.find_last_not_of(c);
  return Text(r, last == std::string_view::npos ? std::string_view() : s.substr(0, last + 1));
}
int32_t FnTrim(CallContext&, const CValue* a, int, CValue& r) {
  char c;
  if (!Character(a[1], c)) return kErrFunctionCallError;
  const std::string_view s = a[0].str.View();
  const size_t first = s.find_first_not_of(c);
  if (first == std::string_view::npos) return Text(r, "");
  return Text(r, s.substr(first, s.find_last_not_of(c) - first + 1));
}
// set$(a, c): as long as a, every byte c.
int32_t FnSet(CallContext&, const CValue* a, int, CValue& r) {
  char c;
  if (!Character(a[1], c)) return kErrFunctionCallError;
  r.MakeString().AppendRepeated(std::string_view(&c, 1), a[0].str.Length());
  return kOk;
}
// quote$(a, q): the first byte of q, a, the second byte of q.
int32_t FnQuote(CallContext&, const CValue* a, int, CValue& r) {
  const std::string_view q = a[1].str.View();
  if (q.size() < 2) return kErrFunctionCallError;
  CBasicString& s = r.MakeString();
  s.Append(q.substr(0, 1));
  s.Append(a[0].str);
  s.Append(q.substr(1, 1));
  return kOk;
}
int32_t FnIsEmpty(CallContext&, const CValue* a, int, CValue& r) {
  return Text(r, a[0].str.Empty() ? a[1].str.View() : a[0].str.View());
}

// ---------------------------------------------------------------------------
// Searching and comparing.

// instr(a, b), or instr(p, a, b) searching from position p.
bool InstrFrom(double position, int32_t& from) { return Whole(position, 1, from); }
int32_t FnInstr(CallContext& ctx, const CValue* a, int, CValue& r) {
  if (ctx.signature == sig::kInstr3) {
    int32_t p;
    if (!InstrFrom(a[0].number, p)) return kErrFunctionCallError;
    return Number(r, InstrPosition(a[1].str.View(), a[2].str.View(), p));
  }
  return Number(r, InstrPosition(a[0].str.View(), a[1].str.View(), 1));
}
// lastindexof(a, b, p): the last b that ends at or before p (-1: the end).
int32_t FnLastIndexOf(CallContext&, const CValue* a, int, CValue& r) {
  const double p = RoundHalfUp(a[2].number);
  int32_t end;
  if (p == -1) end = a[0].str.Length();
  else if (!Whole(p, 1, end)) return kErrFunctionCallError;
  return Number(r, Position(a[0].str.FindLast(a[1].str.View(), end)));
}
// Non-overlapping occurrences, scanning left to right.
int32_t FnCount(CallContext&, const CValue* a, int, CValue& r) {
  const std::string_view s = a[0].str.View(), b = a[1].str.View();
  if (s.empty() || b.empty()) return Number(r, 0);
  if (b.size() == 1) return Number(r, static_cast<double>(std::count(s.begin(), s.end(), b[0])));
  double n = 0;
  for (size_t at = s.find(b); at != std::string_view::npos; at = s.find(b, at + b.size())) ++n;
  return Number(r, n);
}
int32_t FnBeginsWith(CallContext&, const CValue* a, int, CValue& r) {
  return Number(r, a[0].str.View().starts_with(a[1].str.View()) ? -1 : 0);
}
int32_t FnEndsWith(CallContext&, const CValue* a, int, CValue& r) {
  return Number(r, a[0].str.View().ends_with(a[1].str.View()) ? -1 : 0);
}

// ---------------------------------------------------------------------------
// File-name strings: VOLUME:NAME.EXT.

namespace {

// The parts of a file name: the volume before the first ":" (with its
// colon), the name, and the extension after the last "." of what follows.
struct NameParts {
  std::string_view volume;  // "WORK:" or empty
  std::string_view name;
  std::string_view extension;  // without its "."
  bool dot = false;            // a "." was there (perhaps with nothing after it)
};

NameParts SplitFileName(std::string_view f) {
  NameParts p;
  const size_t colon = f.find(':');
  if (colon != std::string_view::npos) {
    p.volume = f.substr(0, colon + 1);
    f = f.substr(colon + 1);
  }
  const size_t dot = f.rfind('.');
  p.dot = dot != std::string_view::npos;
  p.name = p.dot ? f.substr(0, dot) : f;
  if (p.dot) p.extension = f.substr(dot + 1);
  return p;
}

}  // namespace

// splitname$(f, part): -1 the volume, 0 the name, 1 the extension.
int32_t FnSplitName(CallContext&, const CValue* a, int, CValue& r) {
  const double part = RoundHalfUp(a[1].number);
  if (part != -1 && part != 0 && part != 1) return kErrFunctionCallError;
  const NameParts p = SplitFileName(a[0].str.View());
  if (part == -1) return Text(r, p.volume.substr(0, p.volume.empty() ? 0 : p.volume.size() - 1));
  return Text(r, part == 0 ? p.name : p.extension);
}
// fullname$(f, e): f with the current volume when it names none and the
// extension e when it has none.
int32_t FnFullName(CallContext& ctx, const CValue* a, int, CValue& r) {
  if (a[0].str.Empty()) return kErrFunctionCallError;
  FileNameVolumes* table = VolumesOf(ctx);
  const NameParts p = SplitFileName(a[0].str.View());
  CBasicString& s = r.MakeString();
  if (p.volume.empty()) {
    s.Append(table->CurrentVolume());
    s.AppendByte(':');
  } else {
    s.Append(p.volume);
  }
  s.Append(p.name);
  s.AppendByte('.');
  s.Append(p.dot ? p.extension : a[1].str.View());
  return kOk;
}
// tempname$(v, e): "v:XXXXXXXX.e" with the first counter value whose file
// does not exist on the volume.
int32_t FnTempName(CallContext& ctx, const CValue* a, int, CValue& r) {
  const std::string_view v = a[0].str.View(), e = a[1].str.View();
  FileNameVolumes* table = VolumesOf(ctx);
  if (v.empty() || v.size() > 15 || !std::all_of(v.begin(), v.end(), IsVolumeCharacter))
    return kErrFunctionCallError;
  if (!table->VolumeExists(v)) return kErrVolumeDoesNotExist;
  // A volume whose every candidate exists would keep the loop going for
  // ever: give up after a generous number of tries.
  for (int tries = 0; tries < 65536; ++tries) {
    char hex[9];
    std::snprintf(hex, sizeof hex, "%08X", tempNameCounter++);
    CBasicString& s = r.MakeString();
    s.Append(std::string_view(hex, 8));
    s.AppendByte('.');
    s.Append(e);
    if (!table->FileExists(v, s.View())) {
      s.SetEmpty();
      s.Append(v);
      s.AppendByte(':');
      s.Append(std::string_view(hex, 8));
      s.AppendByte('.');
      s.Append(e);
      return kOk;
    }
  }
  return kErrIoError;
}

// ---------------------------------------------------------------------------
// The statements.

// MID$(v, p [, n]) = r
int32_t ExecuteMidStatement(Evaluator& ev, Code code, size_t pos) {
  ResolvedRef ref;
  if (int32_t e = ev.ResolveReference(code, pos, ref)) return e;
  if (!ref.slot.IsString()) return kErrTypeMismatch;
  double p, n;
  if (int32_t e = ev.EvaluateNumber(code, pos, p, true)) return e;
  if (int32_t e = ev.EvaluateNumber(code, pos, n, true)) return e;
  CBasicString& v = *ref.slot.str;
  if (!(p >= 1 && p <= v.Length() + 1) || !(n >= 0 && n <= kMaxCount)) return kErrCommandError;
  // The replacement is evaluated only once the ranges are known good.
  CBasicString& replacement = ev.Scratch().value.str;
  if (int32_t e = ev.EvaluateString(code, pos, replacement)) return e;
  const std::string_view cut = replacement.View().substr(0, static_cast<size_t>(n));
  if (v.Borrowed()) {
    // A variable bound to a record buffer is unbound, and takes the cut
    // replacement as its whole value; the record buffer is left as it was.
    v.Assign(cut);
    return kOk;
  }
  const size_t at = static_cast<size_t>(p) - 1;
  const size_t end = std::min<size_t>(at + cut.size(), CBasicString::kMaxLength);
  if (end > static_cast<size_t>(v.Length()))
    v.Resize(static_cast<int32_t>(end));  // grows, never shrinks
  std::copy(cut.begin(), cut.begin() + static_cast<std::ptrdiff_t>(end - at), v.MutableData() + at);
  return kOk;
}

// LEFT$(v, n) = r | RIGHT$(v, n) = r
int32_t ExecuteLeftRightStatement(Evaluator& ev, Code code, size_t pos) {
  ResolvedRef ref;
  if (int32_t e = ev.ResolveReference(code, pos, ref)) return e;
  if (!ref.slot.IsString()) return kErrTypeMismatch;
  double n;
  if (int32_t e = ev.EvaluateNumber(code, pos, n, true)) return e;
  CBasicString& replacement = ev.Scratch().value.str;
  if (int32_t e = ev.EvaluateString(code, pos, replacement)) return e;
  if (!(n >= 0 && n <= kMaxCount)) return kErrCommandError;
  return kErrNotSupported;
}

}  // namespace torvic
