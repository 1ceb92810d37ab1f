#include "expr/functions.h"

#include <array>

#include "base/errors.h"
#include "expr/console_functions.h"
#include "expr/date_functions.h"
#include "expr/evaluator.h"
#include "expr/file_functions.h"
#include "expr/function_table.h"
#include "expr/number_format.h"
#include "expr/numeric_functions.h"
#include "expr/numeric_rules.h"
#include "expr/string_functions.h"
#include "expr/system_functions.h"
#include "expr/system_values.h"
#include "expr/volume_functions.h"

namespace torvic {

namespace {

// A function of the language that this system does not implement, or one
// whose part of the system is not built yet (kept apart so that the two can
// never be mistaken for one another). Their arguments' kinds have been
// checked by the evaluator.
int32_t NotSupported(CallContext&, const CValue*, int, CValue&) { return kErrNotSupported; }
int32_t NotBuiltYet(CallContext&, const CValue*, int, CValue&) { return kErrNotSupported; }
// The numbers the evaluator serves itself never reach a worker.
int32_t ServedByEvaluator(CallContext&, const CValue*, int, CValue&) { return kErrInternalError; }

// max(a, b) and min(a, b): the two-argument forms (signature 4).
int32_t MaxMinOfTwo(CallContext& ctx, const CValue* args, int, CValue& result) {
  const double a = args[0].number, b = args[1].number;
  // Ties go to the second argument for MAX and to the first only when it is
  // smaller for MIN, which decides between -0 and +0.
  result.SetNumber(ctx.number == fnum::kMax ? (a <= b ? b : a) : (a < b ? a : b));
  return kOk;
}

// chr$(code): one byte, code rounded half up, 0..255.
int32_t ChrOfOne(CallContext&, const CValue* args, int, CValue& result) {
  uint8_t c;
  if (!CharacterCode(args[0].number, c)) return kErrFunctionCallError;
  result.MakeString().AppendByte(c);
  return kOk;
}

// peek(address): the settings memory as PEEK reads it, address 0..65535.
int32_t PeekOfOne(CallContext& ctx, const CValue* args, int, CValue& result) {
  const double a = RoundHalfUp(args[0].number);
  if (!(a >= 0 && a <= 65535)) return kErrFunctionCallError;
  result.SetNumber(ctx.env.PeekByte(static_cast<uint32_t>(a)));
  return kOk;
}

// peek$(address, count): count bytes read as PEEK does; a range that would
// pass the top of the memory is "?Function call error", as POKE$ is.
int32_t PeekString(CallContext& ctx, const CValue* args, int, CValue& result) {
  const double a = RoundHalfUp(args[0].number), n = RoundHalfUp(args[1].number);
  if (!(a >= 0 && a <= 65535) || !(n >= 0 && a + n <= 65536)) return kErrFunctionCallError;
  CBasicString& s = result.MakeString();
  for (uint32_t i = 0; i < static_cast<uint32_t>(n); ++i)
    s.AppendByte(static_cast<uint8_t>(ctx.env.PeekByte(static_cast<uint32_t>(a) + i)));
  return kOk;
}

// err, erl: the error registers; timer: milliseconds since the TIMER base.
int32_t FnErr(CallContext& ctx, const CValue*, int, CValue& result) {
  result.SetNumber(ctx.env.LastErrorCode());
  return kOk;
}
int32_t FnErl(CallContext& ctx, const CValue*, int, CValue& result) {
  result.SetNumber(ctx.env.LastErrorLine());
  return kOk;
}
int32_t FnTimer(CallContext& ctx, const CValue*, int, CValue& result) {
  result.SetNumber(ctx.env.TimerReading());
  return kOk;
}

// err$(n): the message of exactly code n (no normalising) without its "?";
// empty for a code without one.
int32_t FnErrText(CallContext&, const CValue* args, int, CValue& result) {
  const double n = RoundHalfUp(args[0].number);
  if (!(n >= 0 && n <= 255)) return kErrFunctionCallError;
  const char* message = ErrorMessage(static_cast<int32_t>(n));
  result.MakeString();
  if (message) result.SetString(message[0] == '?' ? message + 1 : message);
  return kOk;
}

// The data-file functions: the environment answers them (the engine from its
// data-file table, expr/file_functions.h).
template <FileFunction F>
int32_t FileWorker(CallContext& ctx, const CValue* args, int count, CValue& result) {
  return ctx.env.CallFileFunction(F, ctx, args, count, result);
}

// The workers built so far, by function number, one line each. A worker
// added here takes its number out of the list of functions not built yet.
constexpr FunctionWorkerRow kWorkers[] = {
    {fnum::kMax, MaxMinOfTwo},
    {fnum::kMin, MaxMinOfTwo},
    {fnum::kChr, ChrOfOne},
    {38, FnErl},                                  // erl erlin
    {39, FnErr},                                  // err ern erno
    {40, FnErrText},                              // err$
    {129, FnTimer},                               // timer
    {56, FnNextKey},                              // get$
    {61, FnNextKey},                              // inkey$
    {244, FnScreen},                              // screen
    {18, FnColumn},                               // column
    {110, FnRow},                                 // row csrlin
    {210, FnPos},                                 // pos
    {226, FnColor},                               // color
    {51, FnFont},                                 // font
    {113, FnScrW},                                // scrw
    {112, FnScrH},                                // scrh
    {245, FnSelect},                              // select
    {5, FnAlnum},                                 // alnum
    {6, FnAlpha},                                 // alpha
    {7, FnAngle},                                 // angle
    {11, FnBinText},                              // bin$
    {13, FnCdn},                                  // cdn
    {15, FnChn},                                  // chn
    {17, FnCntrl},                                // cntrl
    {19, FnCompress},                             // compress$ squeeze$
    {22, FnCopySign},                             // copysign
    {27, FnCvn},                                  // cvn
    {35, FnDigit},                                // digit
    {41, FnEsc},                                  // esc$
    {46, FnFalse},                                // false
    {55, FnFullName},                             // fullname$
    {57, FnHex},                                  // hex
    {58, FnHexText},                              // hex$
    {60, FnHypot},                                // hypot
    {63, FnInstr},                                // instr indexof match
    {67, FnLCase},                                // lcase$ lower$
    {69, FnLeft},                                 // left$
    {70, FnLen},                                  // len
    {76, FnLower},                                // lower
    {77, FnLTrim},                                // ltrim$
    {80, FnMaxNum},                               // maxnum
    {81, FnMem},                                  // mem
    {82, FnMid},                                  // mid$ seg$
    {84, FnMinNum},                               // minnum
    {87, FnMkn},                                  // mkn$
    {89, FnMod},                                  // mod
    {93, FnNul},                                  // nul$
    {94, FnOctText},                              // oct$
    {96, FnOrd},                                  // ord asc
    {97, PeekOfOne},                              // peek
    {98, FnPi},                                   // pi
    {99, FnPrint},                                // print
    {100, FnQuote},                               // quote$ enclose$
    {104, FnRemainder},                           // remainder
    {105, FnRepeat},                              // repeat$
    {106, FnReverse},                             // reverse$
    {107, FnRight},                               // right$
    {108, FnRnd},                                 // rnd
    {109, FnRound},                               // round
    {111, FnRTrim},                               // rtrim$
    {116, FnSet},                                 // set$
    {120, FnSpace},                               // space$
    {121, FnSplitName},                           // splitname$
    {123, FnStr},                                 // str$
    {124, FnStringOf},                            // string$
    {130, FnTrim},                                // trim$
    {131, FnTrue},                                // true
    {132, FnTruncate},                            // truncate
    {133, FnTwoPi},                               // twopi
    {134, FnUCase},                               // ucase$ upper$
    {135, FnUpper},                               // upper
    {136, FnUsing},                               // using$
    {137, FnVal},                                 // val
    {208, FnEmpty},                               // empty
    {209, FnFre},                                 // fre
    {220, FnInfo},                                // info
    {222, PeekString},                            // peek$
    {227, FnComb},                                // comb
    {228, FnComp},                                // comp
    {229, FnCompI},                               // compi
    {231, FnCount},                               // count
    {235, FnLastIndexOf},                         // lastindexof instrrev
    {236, FnIs0},                                 // is0
    {238, FnIsEmpty},                             // isempty$
    {239, FnIsNeg},                               // isneg
    {240, FnIsPos},                               // ispos
    {242, FnPerm},                                // perm
    {243, FnRet},                                 // ret$
    {247, FnTempName},                            // tempname$
    {248, FnBeginsWith},                          // beginswith
    {249, FnEndsWith},                            // endswith
    {92, FnNow},                                  // now
    {28, FnDate},                                 // date
    {127, FnTime},                                // time
    {224, FnFriday},                              // friday
    {143, FnTimePart},                            // year
    {90, FnTimePart},                             // month
    {30, FnTimePart},                             // day
    {142, FnTimePart},                            // weekday
    {59, FnTimePart},                             // hour
    {85, FnTimePart},                             // minute
    {115, FnTimePart},                            // second
    {68, FnLeapYear},                             // leapyear
    {88, FnMkTime},                               // mktime
    {4, FnAdjust},                                // adjust
    {233, FnCvDate},                              // cvdate
    {237, FnIsDate},                              // isdate
    {29, FnDateText},                             // date$
    {128, FnTimeText},                            // time$
    {25, FnCTimeText},                            // ctime$
    {31, FnDayName},                              // dayname$
    {91, FnMonthName},                            // monthname$
    {138, FnVer},                                 // ver$
    {230, FnCopyright},                           // copyright$
    {219, FnHost},                                // host$
    {223, FnTitle},                               // title$
    {218, FnCbt},                                 // cbt
    {221, FnInfoText},                            // info$
    {32, FnDec},                                  // dec
    {36, FileWorker<FileFunction::Eof>},          // eof
    {71, FileWorker<FileFunction::Loc>},          // loc
    {72, FileWorker<FileFunction::Lof>},          // lof
    {103, FileWorker<FileFunction::Rec>},         // rec
    {205, FileWorker<FileFunction::Bufsiz>},      // bufsiz
    {95, FileWorker<FileFunction::Open>},         // open
    {54, FileWorker<FileFunction::Freefile>},     // freefile
    {48, FileWorker<FileFunction::Filemode>},     // filemode
    {234, FileWorker<FileFunction::ModeLetter>},  // filemode$
    {49, FileWorker<FileFunction::FileName>},     // filename$
    {62, FileWorker<FileFunction::InputText>},    // input$
    {141, FnVolumes},                             // volumes
    {140, FnVolumeText},                          // volume$
    {33, FnDefault},                              // default
    {241, FnMapped},                              // mapped
    {102, FnReadOnly},                            // readonly
    {53, FnFree},                                 // free
    {139, FnVerify},                              // verify
    {42, FnExists},                               // exists
    {2, FnAccess},                                // access
    {10, FnAttribText},                           // attrib$
    {47, FnFileText},                             // file$
};

// The one-number built-ins that need nothing but their number: each number's
// worker is OneNumber, which calls the kernel; decoded expressions call the
// kernel themselves (NumberKernelFor).
constexpr FunctionKernelRow kKernels[] = {
    {1, kernel::Abs},     // abs
    {3, kernel::Acos},    // acos
    {8, kernel::Asin},    // asin
    {9, kernel::Atn},     // atn
    {12, kernel::Cbr},    // cbr cbrt
    {14, kernel::Ceil},   // ceil
    {20, kernel::Cos},    // cos
    {21, kernel::Cosh},   // cosh
    {23, kernel::Cot},    // cot
    {24, kernel::Csc},    // csc
    {26, kernel::Cube},   // cube
    {34, kernel::Deg},    // deg rtd
    {43, kernel::Exp},    // exp
    {44, kernel::Exp2},   // exp2
    {45, kernel::Exp10},  // exp10
    {52, kernel::Fp},     // fp
    {64, kernel::Int},    // int floor
    {65, kernel::Inv},    // inv rcp
    {66, kernel::Fix},    // ip fix
    {73, kernel::Log},    // log
    {74, kernel::Log2},   // log2
    {75, kernel::Log10},  // log10
    {101, kernel::Rad},   // rad dtr
    {114, kernel::Sec},   // sec
    {117, kernel::Sgn},   // sgn
    {118, kernel::Sin},   // sin
    {119, kernel::Sinh},  // sinh
    {122, kernel::Sqr},   // sqr sqrt
    {125, kernel::Tan},   // tan
    {126, kernel::Tanh},  // tanh
};

constexpr std::array<NumberKernel, 256> kKernelByNumber = [] {
  std::array<NumberKernel, 256> t{};
  for (const FunctionKernelRow& e : kKernels) t[e.number] = e.kernel;
  return t;
}();

int32_t OneNumber(CallContext& ctx, const CValue* args, int, CValue& result) {
  double v;
  if (int32_t e = kKernelByNumber[ctx.number](args[0].number, v)) return e;
  result.SetNumber(v);
  return kOk;
}

// The functions whose signature the evaluator serves itself: FN, MAXLEN,
// VARPTR and VARPTR$ (SADD compiles as VARPTR), USR and the array
// enquiries.
constexpr uint8_t kServedByEvaluator[] = {
    fnum::kFn,  fnum::kMaxLen, fnum::kVarPtr,  fnum::kVarPtrString, fnum::kSadd,
    fnum::kUsr, fnum::kLBound, fnum::kMaxSize, fnum::kSize,         fnum::kUBound,
};

// Functions of the language that this system does not implement: they
// answer "?Not supported" once their arguments are checked by kind.
using N = FunctionNotSupportedList;
constexpr FunctionNotSupportedRow kNotSupported[] = {
    {159, N::NotImplemented},  // even
    {177, N::NotImplemented},  // odd
    {161, N::NotImplemented},  // fact
    {169, N::NotImplemented},  // iif
    {158, N::NotImplemented},  // eval
    {150, N::NotImplemented},  // choose
    {151, N::NotImplemented},  // choose$
    {187, N::NotImplemented},  // switch
    {188, N::NotImplemented},  // switch$
    {144, N::NotImplemented},  // after$
    {145, N::NotImplemented},  // before$
    {146, N::NotImplemented},  // break findoneof
    {153, N::NotImplemented},  // cspan
    {186, N::NotImplemented},  // span
    {163, N::NotImplemented},  // find
    {183, N::NotImplemented},  // rfind
    {147, N::NotImplemented},  // center$
    {171, N::NotImplemented},  // insert$
    {174, N::NotImplemented},  // lpad$ lset$
    {182, N::NotImplemented},  // replace$
    {185, N::NotImplemented},  // rpad$ rset$
    {155, N::NotImplemented},  // delete$
    {160, N::NotImplemented},  // extract$
    {180, N::NotImplemented},  // remain$
    {181, N::NotImplemented},  // remove$
    {191, N::NotImplemented},  // xlate$
    {176, N::NotImplemented},  // mix$
    {148, N::NotImplemented},  // change$
    {157, N::NotImplemented},  // edit$
    {170, N::NotImplemented},  // iif$
    {175, N::NotImplemented},  // makename$
    {152, N::NotImplemented},  // clean$
    {179, N::NotImplemented},  // proper$
    {162, N::NotImplemented},  // fileinfo$
    {167, N::NotImplemented},  // getkey$
    {189, N::NotImplemented},  // volinfo$
    {184, N::NotImplemented},  // roman$
    {156, N::NotImplemented},  // dollar$
    {149, N::NotImplemented},  // chars$
    {164, N::NotImplemented},  // getalnum$
    {165, N::NotImplemented},  // getalpha$
    {166, N::NotImplemented},  // getdigit$
    {168, N::NotImplemented},  // getyn$
    {172, N::NotImplemented},  // inyn$
    {173, N::NotImplemented},  // log$
    {178, N::NotImplemented},  // prompt$
    {190, N::NotImplemented},  // waitkey$
    {154, N::NotImplemented},  // debug
    {193, N::Printer},         // pfont
    {196, N::Printer},         // pscrh
    {197, N::Printer},         // pscrw
    {192, N::Printer},         // pcol
    {195, N::Printer},         // prow
    {202, N::Printer},         // lpos
    {203, N::Printer},         // printer$
    {194, N::Graphics},        // point hpoint ppoint scrn
};

// The functions of the parts still to come; each part moves its numbers
// from here to the workers as it is built.
using C = FunctionComingPart;
constexpr FunctionComingRow kNotBuiltYet[] = {
    {86, C::KeyTexts},   // mkkey$
    {232, C::KeyTexts},  // ctrl$
    {246, C::KeyTexts},  // shift$
};

const std::array<FunctionWorker, 256>& DispatchTable() {
  static const std::array<FunctionWorker, 256> table = [] {
    std::array<FunctionWorker, 256> t;
    // A number no function has cannot come from the compiler.
    t.fill(ServedByEvaluator);
    for (const FunctionNotSupportedRow& e : kNotSupported) t[e.number] = NotSupported;
    for (const FunctionComingRow& e : kNotBuiltYet) t[e.number] = NotBuiltYet;
    for (const FunctionWorkerRow& e : kWorkers) t[e.number] = e.worker;
    for (const FunctionKernelRow& e : kKernels) t[e.number] = OneNumber;
    return t;
  }();
  return table;
}

constexpr SignatureKinds kFixed[26] = {
    {nullptr, false},   // 0: none
    {"", false},        // 1
    {"N", false},       // 2
    {"S", false},       // 3
    {"NN", false},      // 4
    {"NNN", false},     // 5
    {"NNNNNN", false},  // 6
    {"NSS", false},     // 7
    {"SN", false},      // 8
    {"SS", false},      // 9
    {"SSN", false},     // 10
    {"?", false},       // 11
    {"?=", false},      // 12
    {"", true},         // 13
    {"N", true},        // 14
    {"NN", true},       // 15
    {"NS", true},       // 16
    {"NSS", true},      // 17
    {"S", true},        // 18
    {"SN", true},       // 19
    {"SNN", true},      // 20
    {"SNS", true},      // 21
    {"SS", true},       // 22
    {"SSN", true},      // 23
    {"SSS", true},      // 24
    {"SSSN", true},     // 25: makename$ (volume, name, extension, flag)
};

}  // namespace

FunctionWorker WorkerFor(uint8_t number) { return DispatchTable()[number]; }

NumberKernel NumberKernelFor(uint8_t number) { return kKernelByNumber[number]; }

std::span<const FunctionWorkerRow> FunctionWorkerRows() { return kWorkers; }
std::span<const FunctionKernelRow> FunctionKernelRows() { return kKernels; }
std::span<const uint8_t> FunctionsServedByEvaluator() { return kServedByEvaluator; }
std::span<const FunctionNotSupportedRow> FunctionsNotSupported() { return kNotSupported; }
std::span<const FunctionComingRow> FunctionsNotBuiltYet() { return kNotBuiltYet; }

const SignatureKinds* FixedSignature(uint8_t signature) {
  if (signature == 0 || signature > 25) return nullptr;
  return &kFixed[signature];
}

}  // namespace torvic
