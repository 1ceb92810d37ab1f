#include "expr/functions.h"

#include <array>

#include "engine/errors.h"
#include "expr/function_table.h"
#include "expr/numeric_rules.h"

namespace torvic {

namespace {

int32_t NotSupported(CallContext&, const CValue*, int, CValue&) { return kErrNotSupported; }

// max(a, b) and min(a, b): the two-argument forms (signature 4).
int32_t MaxMinOfTwo(CallContext& ctx, const CValue* args, int, CValue& result) {
  const double a = args[0].number, b = args[1].number;
  result.SetNumber(ctx.number == fnum::kMax ? (a >= b ? a : b) : (a <= b ? a : b));
  return kOk;
}

// chr$(code): one byte, code rounded half up, 0..255.
int32_t ChrOfOne(CallContext&, const CValue* args, int, CValue& result) {
  const double c = RoundHalfUp(args[0].number);
  if (!(c >= 0 && c <= 255)) return kErrFunctionCallError;
  result.MakeString().AppendByte(static_cast<uint8_t>(c));
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
