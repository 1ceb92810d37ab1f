#include "expr/functions.h"

#include <array>

#include "engine/console_functions.h"
#include "engine/errors.h"
#include "expr/function_table.h"
#include "expr/number_format.h"
#include "expr/numeric_functions.h"
#include "expr/numeric_rules.h"
#include "expr/string_functions.h"

namespace torvic {

namespace {

int32_t NotSupported(CallContext&, const CValue*, int, CValue&) { return kErrNotSupported; }

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
  const double c = RoundHalfUp(args[0].number);
  if (!(c >= 0 && c <= 255)) return kErrFunctionCallError;
  result.MakeString().AppendByte(static_cast<uint8_t>(c));
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

// The workers built so far, by function number. Workers of the numeric,
// string, formatting, date and time, file, console and settings functions
// are added here as they are built, one line each.
struct WorkerEntry {
  uint8_t number;
  FunctionWorker worker;
};
constexpr WorkerEntry kWorkers[] = {
    {fnum::kMax, MaxMinOfTwo},
    {fnum::kMin, MaxMinOfTwo},
    {fnum::kChr, ChrOfOne},
    {38, FnErl},  // erl erlin
    {39, FnErr},  // err ern erno
    {40, FnErrText},  // err$
    {129, FnTimer},  // timer
    {56, FnNextKey},  // get$
    {61, FnNextKey},  // inkey$
    {244, FnScreen},  // screen
    {1, FnAbs},  // abs
    {3, FnAcos},  // acos
    {5, FnAlnum},  // alnum
    {6, FnAlpha},  // alpha
    {7, FnAngle},  // angle
    {8, FnAsin},  // asin
    {9, FnAtn},  // atn
    {11, FnBinText},  // bin$
    {12, FnCbr},  // cbr cbrt
    {13, FnCdn},  // cdn
    {14, FnCeil},  // ceil
    {15, FnChn},  // chn
    {17, FnCntrl},  // cntrl
    {19, FnCompress},  // compress$ squeeze$
    {20, FnCos},  // cos
    {21, FnCosh},  // cosh
    {22, FnCopySign},  // copysign
    {23, FnCot},  // cot
    {24, FnCsc},  // csc
    {26, FnCube},  // cube
    {27, FnCvn},  // cvn
    {34, FnDeg},  // deg rtd
    {35, FnDigit},  // digit
    {41, FnEsc},  // esc$
    {43, FnExp},  // exp
    {44, FnExp2},  // exp2
    {45, FnExp10},  // exp10
    {46, FnFalse},  // false
    {52, FnFp},  // fp
    {55, FnFullName},  // fullname$
    {57, FnHex},  // hex
    {58, FnHexText},  // hex$
    {60, FnHypot},  // hypot
    {63, FnInstr},  // instr indexof match
    {64, FnInt},  // int floor
    {65, FnInv},  // inv rcp
    {66, FnFix},  // ip fix
    {67, FnLCase},  // lcase$ lower$
    {69, FnLeft},  // left$
    {70, FnLen},  // len
    {73, FnLog},  // log
    {74, FnLog2},  // log2
    {75, FnLog10},  // log10
    {76, FnLower},  // lower
    {77, FnLTrim},  // ltrim$
    {80, FnMaxNum},  // maxnum
    {82, FnMid},  // mid$ seg$
    {84, FnMinNum},  // minnum
    {87, FnMkn},  // mkn$
    {89, FnMod},  // mod
    {93, FnNul},  // nul$
    {94, FnOctText},  // oct$
    {96, FnOrd},  // ord asc
    {98, FnPi},  // pi
    {99, FnPrint},  // print
    {100, FnQuote},  // quote$ enclose$
    {101, FnRad},  // rad dtr
    {104, FnRemainder},  // remainder
    {105, FnRepeat},  // repeat$
    {106, FnReverse},  // reverse$
    {107, FnRight},  // right$
    {108, FnRnd},  // rnd
    {109, FnRound},  // round
    {111, FnRTrim},  // rtrim$
    {114, FnSec},  // sec
    {116, FnSet},  // set$
    {117, FnSgn},  // sgn
    {118, FnSin},  // sin
    {119, FnSinh},  // sinh
    {120, FnSpace},  // space$
    {121, FnSplitName},  // splitname$
    {122, FnSqr},  // sqr sqrt
    {123, FnStr},  // str$
    {124, FnStringOf},  // string$
    {125, FnTan},  // tan
    {126, FnTanh},  // tanh
    {130, FnTrim},  // trim$
    {131, FnTrue},  // true
    {132, FnTruncate},  // truncate
    {133, FnTwoPi},  // twopi
    {134, FnUCase},  // ucase$ upper$
    {135, FnUpper},  // upper
    {136, FnUsing},  // using$
    {137, FnVal},  // val
    {208, FnEmpty},  // empty
    {209, FnFre},  // fre
    {227, FnComb},  // comb
    {228, FnComp},  // comp
    {229, FnCompI},  // compi
    {231, FnCount},  // count
    {235, FnLastIndexOf},  // lastindexof instrrev
    {236, FnIs0},  // is0
    {238, FnIsEmpty},  // isempty$
    {239, FnIsNeg},  // isneg
    {240, FnIsPos},  // ispos
    {242, FnPerm},  // perm
    {243, FnRet},  // ret$
    {247, FnTempName},  // tempname$
    {248, FnBeginsWith},  // beginswith
    {249, FnEndsWith},  // endswith
};

const std::array<FunctionWorker, 256>& DispatchTable() {
  static const std::array<FunctionWorker, 256> table = [] {
    std::array<FunctionWorker, 256> t;
    t.fill(NotSupported);
    for (const WorkerEntry& e : kWorkers) t[e.number] = e.worker;
    return t;
  }();
  return table;
}

constexpr SignatureKinds kFixed[26] = {
    {nullptr, false},  // 0: none
    {"", false},       // 1
    {"N", false},      // 2
    {"S", false},      // 3
    {"NN", false},     // 4
    {"NNN", false},    // 5
    {"NNNNNN", false}, // 6
    {"NSS", false},    // 7
    {"SN", false},     // 8
    {"SS", false},     // 9
    {"SSN", false},    // 10
    {"?", false},      // 11
    {"?=", false},     // 12
    {"", true},        // 13
    {"N", true},       // 14
    {"NN", true},      // 15
    {"NS", true},      // 16
    {"NSS", true},     // 17
    {"S", true},       // 18
    {"SN", true},      // 19
    {"SNN", true},     // 20
    {"SNS", true},     // 21
    {"SS", true},      // 22
    {"SSN", true},     // 23
    {"SSS", true},     // 24
    {"SSSN", true},    // 25: makename$ (volume, name, extension, flag)
};

}  // namespace

FunctionWorker WorkerFor(uint8_t number) { return DispatchTable()[number]; }

const SignatureKinds* FixedSignature(uint8_t signature) {
  if (signature == 0 || signature > 25) return nullptr;
  return &kFixed[signature];
}

}  // namespace torvic
