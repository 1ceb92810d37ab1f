#include "base/errors.h"

namespace torvic {

namespace {
struct ErrorRow {
  int32_t code;
  const char* text;
};
constexpr ErrorRow kErrorTable[] = {
#define TORVIC_ERROR_ROW(code, name, text) {code, text},
    TORVIC_ERRORS(TORVIC_ERROR_ROW)
#undef TORVIC_ERROR_ROW
};
}  // namespace

const char* ErrorMessage(int32_t code) {
  for (const ErrorRow& row : kErrorTable)
    if (row.code == code) return row.text;
  return nullptr;
}

int32_t NormalizeErrorCode(int32_t code) {
  if (code >= 128 && code <= 255) return kErrUserDefinedError;
  if (code > 59 && code != kErrLoggingStopped && code != kErrUndefinedError &&
      code != kErrUserDefinedError)
    return kErrUndefinedError;
  return code;
}

}  // namespace torvic
