#include <gtest/gtest.h>

#include "base/errors.h"

namespace torvic {
namespace {

TEST(Errors, MessagesAndNormalising) {
  struct Case {
    int32_t code;
    const char* message;
    int32_t normalized;
  };
  const Case cases[] = {
      {1, "?Access denied", 1},
      {9, "?/0 error", 9},
      {43, "?Syntax error", 43},
      {59, "?Printer not open", 59},
      {60, nullptr, 1024},
      {127, nullptr, 1024},
      {128, nullptr, 1025},
      {200, nullptr, 1025},
      {255, nullptr, 1025},
      {256, "?Unable to continue logging", 256},
      {1024, "?Undefined error", 1024},
      {1025, "?User defined error", 1025},
      {0, nullptr, 0},
  };
  for (const Case& c : cases) {
    const char* m = ErrorMessage(c.code);
    if (c.message) EXPECT_STREQ(m, c.message) << c.code;
    else EXPECT_EQ(m, nullptr) << c.code;
    EXPECT_EQ(NormalizeErrorCode(c.code), c.normalized) << c.code;
  }
}

}  // namespace
}  // namespace torvic
