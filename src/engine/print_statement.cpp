// PRINT and PRINT USING on the screen. The operand layout is the one
// CompilePrint writes (diagram in frontend/compile_console.cpp):
//
//   u8 form (0 screen, 1 PRINT #: file expr, 2 PRINT @: row expr, col expr)
//   [format expr]                         (PRINT USING only)
//   items: u8 item code and its operands ... u8 0
//
// Inline items (colours, inverse, character set) change the screen state
// for the rest of the statement only: the state is remembered before the
// first item and put back when the statement ends, whether it ended
// normally, by an error or by a stop.
//
// PRINT # writes the same text to a data file (datafiles.h): the comma and
// TAB work on the file's output column, with the record length as the
// line width, a new line is CR LF, and the screen's inline items only have
// their arguments checked.
#include <cmath>
#include <string>

#include "console/screen.h"
#include "engine/datafiles.h"
#include "engine/handlers.h"
#include "engine/statement_operands.h"
#include "expr/number_format.h"
#include "expr/numeric_rules.h"

namespace torvic {

namespace {

// Item codes of the PRINT layout.
enum Item : uint8_t {
  kEnd = 0,
  kAnsi = 1,
  kColours = 2,
  kZone = 3,
  kFillRow = 4,
  kEraseCells = 5,
  kExpression = 6,
  kGlyph = 7,
  kInverseArg = 8,
  kInverseOff = 9,
  kOem = 10,
  kInverseOn = 11,
  kNewLine = 12,
  kCharset = 13,
  kSpaces = 14,
  kTab = 15,
};

constexpr int32_t kZoneWidth = 10;
constexpr int32_t kOemCharset = 255;

// The character sets SEL and SELECT accept.
bool IsSelectableCharset(int32_t n) {
  switch (n) {
    case 0:
    case 161:
    case 162:
    case 177:
    case 178:
    case 186:
    case 204:
    case 238:
    case 255: return true;
    default: return false;
  }
}

// The screen state inline items may change, and its restoration.
class InlineState {
 public:
  explicit InlineState(ConsoleScreen& s)
      : screen_(s),
        text_(s.TextColor()),
        back_(s.BackColor()),
        inverse_(s.Inverse()),
        charset_(s.Charset()) {}
  ~InlineState() {
    screen_.RestoreColorState(text_, back_, inverse_);
    // When the remembered set cannot be made again the new one stays.
    if (screen_.Charset() != charset_) screen_.SetCharacterSet(charset_);
  }
  InlineState(const InlineState&) = delete;
  InlineState& operator=(const InlineState&) = delete;

 private:
  ConsoleScreen& screen_;
  int32_t text_, back_;
  bool inverse_;
  int32_t charset_;
};

// Writes a value as PRINT shows it: numbers in the free format with a
// leading blank unless negative, strings through WriteText so that control
// characters and escapes act.
void WriteValue(ConsoleScreen& screen, const CValue& v) {
  if (v.IsString()) {
    screen.WriteText(v.str.Data(), static_cast<size_t>(v.str.Length()));
    return;
  }
  char buf[kFreeFormatBuffer];
  const size_t n = FreeFormat(v.number, buf, true);
  screen.WriteText(reinterpret_cast<const uint8_t*>(buf), n);
}

void WriteBlanks(ConsoleScreen& screen, int32_t count) {
  static const std::string kBlanks(255, ' ');
  screen.WriteRaw(reinterpret_cast<const uint8_t*>(kBlanks.data()), static_cast<size_t>(count));
}

// The comma: blanks to the next print zone, or a new line from the last.
void NextZone(ConsoleScreen& screen) {
  const int32_t zone = (screen.Column() / kZoneWidth + 1) * kZoneWidth;
  if (zone >= kScreenColumns) screen.NewLine();
  else screen.PadToColumn(zone);
}

// One item with its operands; `value` is scratch storage reused across items.
int32_t PrintItem(OperandReader& ops, ConsoleScreen& screen, uint8_t item, CValue& value) {
  int32_t n = 0, m = 0;
  switch (item) {
    case kAnsi: return screen.SetCharacterSet(0);
    case kOem: return screen.SetCharacterSet(kOemCharset);
    case kColours:
      if (int32_t r = ops.Whole(n, 0, 15, kErrFunctionCallError)) return r;
      if (int32_t r = ops.Whole(m, 0, 15, kErrFunctionCallError)) return r;
      if (!ops.Stopped()) screen.SetColors(n, m);
      return 0;
    case kZone: NextZone(screen); return 0;
    case kFillRow: {
      if (int32_t r = ops.String(value.MakeString())) return r;
      if (ops.Stopped()) return 0;
      if (value.str.Empty()) return kErrFunctionCallError;
      const std::string fill(static_cast<size_t>(kScreenColumns - screen.Column()),
                             static_cast<char>(value.str[0]));
      screen.WriteRaw(fill);
      return 0;
    }
    case kEraseCells: {
      if (int32_t r = ops.Whole(n, -1, 255, kErrFunctionCallError)) return r;
      if (ops.Stopped()) return 0;
      const int32_t right = n < 0 ? kScreenColumns : screen.Column() + n;
      screen.EraseCells({screen.Column(), screen.Row(), right, screen.Row() + 1});
      return 0;
    }
    case kExpression:
      if (int32_t r = ops.Value(value)) return r;
      if (!ops.Stopped()) WriteValue(screen, value);
      return 0;
    case kGlyph:
      if (int32_t r = ops.Whole(n, 0, 255, kErrFunctionCallError)) return r;
      if (!ops.Stopped()) screen.DrawCellGlyph(n);
      return 0;
    case kInverseArg: {
      double x;
      if (int32_t r = ops.Number(x)) return r;
      if (!ops.Stopped()) screen.SetInverse(x != 0);
      return 0;
    }
    case kInverseOff: screen.SetInverse(false); return 0;
    case kInverseOn: screen.SetInverse(true); return 0;
    case kNewLine: screen.NewLine(); return 0;
    case kCharset:
      if (int32_t r = ops.Whole(n, INT32_MIN, INT32_MAX, kErrFunctionCallError)) return r;
      if (ops.Stopped()) return 0;
      if (!IsSelectableCharset(n)) return kErrFunctionCallError;
      return screen.SetCharacterSet(n);
    case kSpaces:
      if (int32_t r = ops.Whole(n, 0, 255, kErrFunctionCallError)) return r;
      if (!ops.Stopped()) WriteBlanks(screen, n);
      return 0;
    case kTab:
      if (int32_t r = ops.Whole(n, 0, kScreenColumns - 1, kErrFunctionCallError)) return r;
      if (ops.Stopped()) return 0;
      if (n < screen.Column()) screen.NewLine();
      screen.PadToColumn(n);
      return 0;
    default: return kErrInternalError;
  }
}

// PRINT's items on a data file. Text goes through WriteFileText; the
// screen's inline items are checked as on the screen and change nothing,
// but EXT of the glyphs 0..14 stands for one blank.
constexpr uint8_t kFileNewLine[] = {13, 10};

int32_t WriteFileNumber(DataFileTable& files, DataFile& f, double x) {
  char buf[kFreeFormatBuffer];
  const size_t n = FreeFormat(x, buf, true);
  return files.WriteFileText(f, reinterpret_cast<const uint8_t*>(buf), n);
}

int32_t WriteFileBlanks(DataFileTable& files, DataFile& f, int32_t count) {
  static const std::string kBlanks(255, ' ');
  for (; count > 0; count -= 255)
    if (int32_t r = files.WriteFileText(
            f, std::string_view(kBlanks).substr(0, static_cast<size_t>(std::min(count, 255)))))
      return r;
  return 0;
}

int32_t PrintFileItem(OperandReader& ops, DataFileTable& files, DataFile& f, uint8_t item,
                      CValue& value) {
  int32_t n = 0, m = 0;
  switch (item) {
    case kAnsi:
    case kOem:
    case kInverseOff:
    case kInverseOn: return 0;
    case kColours:
      if (int32_t r = ops.Whole(n, 0, 15, kErrFunctionCallError)) return r;
      return ops.Whole(m, 0, 15, kErrFunctionCallError);
    case kZone: {
      // The record length is the file's line width.
      const int32_t column = f.OutputColumn();
      const int32_t zone = (column / kZoneWidth + 1) * kZoneWidth;
      if (zone >= f.recordLength) return files.WriteFileText(f, kFileNewLine, 2);
      return WriteFileBlanks(files, f, zone - column);
    }
    case kFillRow:
      if (int32_t r = ops.String(value.MakeString())) return r;
      return !ops.Stopped() && value.str.Empty() ? kErrFunctionCallError : 0;
    case kEraseCells: return ops.Whole(n, -1, 255, kErrFunctionCallError);
    case kExpression:
      if (int32_t r = ops.Value(value)) return r;
      if (ops.Stopped()) return 0;
      if (value.IsNumber()) return WriteFileNumber(files, f, value.number);
      return files.WriteFileText(f, value.str.Data(), static_cast<size_t>(value.str.Length()));
    case kGlyph:
      if (int32_t r = ops.Whole(n, 0, 255, kErrFunctionCallError)) return r;
      return !ops.Stopped() && n <= 14 ? files.WriteFileText(f, " ") : 0;
    case kInverseArg: {
      double x;
      return ops.Number(x);
    }
    case kNewLine: return files.WriteFileText(f, kFileNewLine, 2);
    case kCharset:
      if (int32_t r = ops.Whole(n, INT32_MIN, INT32_MAX, kErrFunctionCallError)) return r;
      return !ops.Stopped() && !IsSelectableCharset(n) ? kErrFunctionCallError : 0;
    case kSpaces:
      if (int32_t r = ops.Whole(n, 0, 255, kErrFunctionCallError)) return r;
      return ops.Stopped() ? 0 : WriteFileBlanks(files, f, n);
    case kTab: {
      if (int32_t r = ops.Whole(n, 0, kScreenColumns - 1, kErrFunctionCallError)) return r;
      if (ops.Stopped()) return 0;
      if (n < f.OutputColumn())
        if (int32_t r = files.WriteFileText(f, kFileNewLine, 2)) return r;
      return WriteFileBlanks(files, f, n - f.OutputColumn());
    }
    default: return kErrInternalError;
  }
}

// The data file of PRINT # n: open (17) in a mode that is written (15).
// PRINT # of the echo file that begins with a new line switches the echo
// off instead of writing that new line.
int32_t PrintFile(Interpreter& in, OperandReader& ops, DataFile*& file) {
  double number;
  if (int32_t r = ops.Number(number)) return r;
  if (ops.Stopped()) return 0;
  number = RoundHalfUp(number);
  if (!(number >= 0 && number <= kMaxFileNumber)) return kErrCommandError;
  if (number == 0) return 0;
  DataFileTable& files = in.Files();
  file = files.FindFile(static_cast<int32_t>(number));
  if (!file) return kErrFileNotOpen;
  if (file->mode == FileMode::Input) return kErrFileModeError;
  if (files.EchoNumber() == file->number && ops.PeekByte() == kNewLine) {
    uint8_t skipped;
    ops.Byte(skipped);
    files.Detach();
  }
  return 0;
}

// The form byte and what it carries: the data file of PRINT # (null for
// the screen, file 0), or the position of PRINT @, which is taken before
// any item is written.
int32_t PrintForm(OperandReader& ops, Interpreter& in, DataFile*& file) {
  ConsoleScreen& screen = in.Screen();
  file = nullptr;
  uint8_t form;
  if (int32_t r = ops.Byte(form)) return r;
  switch (form) {
    case 0: return 0;
    case 1: return PrintFile(in, ops, file);
    case 2: {
      int32_t row, column;
      if (int32_t r = ops.Whole(row, 0, kScreenRows - 1)) return r;
      if (int32_t r = ops.Whole(column, 0, kScreenColumns - 1)) return r;
      if (!ops.Stopped()) screen.LocateCursor(row, column);
      return 0;
    }
    default: return kErrInternalError;
  }
}

}  // namespace

int32_t PrintItemsToFile(Interpreter& in, OperandReader& ops, DataFile& f) {
  DataFileTable& files = in.Files();
  CValue value;
  for (;;) {
    uint8_t item;
    if (int32_t r = ops.Byte(item)) return r;
    if (item == kEnd) return 0;
    if (int32_t r = PrintFileItem(ops, files, f, item, value)) return r;
    if (ops.Stopped() || in.Reason() != StopReason::None) return 0;
  }
}

int32_t PrintItemsOnScreen(Interpreter& in, OperandReader& ops) {
  ConsoleScreen& screen = in.Screen();
  InlineState state(screen);
  CValue value;
  for (;;) {
    uint8_t item;
    if (int32_t r = ops.Byte(item)) return r;
    if (item == kEnd) return 0;
    if (int32_t r = PrintItem(ops, screen, item, value)) return r;
    if (ops.Stopped() || in.Reason() != StopReason::None) return 0;
  }
}

namespace handlers {

// PRINT [# file ,] [@ row, col ,] items
int32_t Print(Interpreter& in, const uint8_t* code, size_t& offset) {
  OperandReader ops(in, code, offset);
  DataFile* file;
  if (int32_t r = PrintForm(ops, in, file)) return r;
  if (ops.Stopped()) return 0;
  if (file) {
    if (int32_t r = PrintItemsToFile(in, ops, *file)) return r;
    if (ops.Stopped() || in.Reason() != StopReason::None) return 0;
    return ops.Done(offset);
  }
  if (int32_t r = PrintItemsOnScreen(in, ops)) return r;
  if (ops.Stopped() || in.Reason() != StopReason::None) return 0;
  return ops.Done(offset);
}

// PRINT [# file ,] [@ row, col ,] USING format$ ; expr, ...
// Each value is formatted by the next field of the format and written at
// once, so that the output of the earlier values stands when a later one
// fails.
int32_t PrintUsing(Interpreter& in, const uint8_t* code, size_t& offset) {
  ConsoleScreen& screen = in.Screen();
  DataFileTable& files = in.Files();
  OperandReader ops(in, code, offset);
  DataFile* file;
  if (int32_t r = PrintForm(ops, in, file)) return r;
  CBasicString format;
  if (int32_t r = ops.String(format)) return r;
  if (ops.Stopped()) return 0;
  UsingFormat fields(format.View());
  CBasicString out;
  auto flush = [&]() -> int32_t {
    int32_t r = 0;
    if (file) r = files.WriteFileText(*file, out.Data(), static_cast<size_t>(out.Length()));
    else screen.WriteText(out.Data(), static_cast<size_t>(out.Length()));
    out.SetEmpty();
    return r;
  };
  // The literal text before the first field is held back until the format
  // is known to have a field: a format without one writes nothing.
  if (int32_t r = fields.Start(out)) return r;
  if (fields.Kind() == FieldKind::None) return kErrCommandError;
  if (int32_t r = flush()) return r;
  CValue value;
  for (;;) {
    uint8_t item;
    if (int32_t r = ops.Byte(item)) return r;
    if (item == kEnd) break;
    if (item == kNewLine) {
      if (!file) screen.NewLine();
      else if (int32_t r = files.WriteFileText(*file, kFileNewLine, 2)) return r;
      continue;
    }
    if (item != kExpression) return kErrInternalError;
    if (int32_t r = ops.Value(value)) return r;
    if (ops.Stopped()) return 0;
    if (int32_t r = fields.Put(value, out)) return r;
    if (int32_t r = flush()) return r;
  }
  return ops.Done(offset);
}

}  // namespace handlers

}  // namespace torvic
