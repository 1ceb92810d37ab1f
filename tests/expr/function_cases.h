// Tables of expression cases for the function tests: each expression is
// compiled and evaluated in a Session and compared with its expected value,
// or with the error it must raise.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "expr_session.h"

namespace torvic::testing {

struct NumCase {
  const char* text;
  double value;  // when error is 0
  int32_t error;
};

struct StrCase {
  const char* text;
  std::string value;  // when error is 0
  int32_t error;
};

inline void RunNumericCases(Session& s, const NumCase* cases, size_t n) {
  for (size_t i = 0; i < n; ++i) {
    const NumCase& c = cases[i];
    Result r = s.Eval(c.text);
    ASSERT_TRUE(r.compiled) << c.text;
    EXPECT_EQ(r.error, c.error) << c.text;
    if (c.error == 0 && r.error == 0) {
      ASSERT_TRUE(r.value.IsNumber()) << c.text;
      EXPECT_DOUBLE_EQ(r.value.number, c.value) << c.text;
    }
  }
}

inline void RunStringCases(Session& s, const StrCase* cases, size_t n) {
  for (size_t i = 0; i < n; ++i) {
    const StrCase& c = cases[i];
    Result r = s.Eval(c.text);
    ASSERT_TRUE(r.compiled) << c.text;
    EXPECT_EQ(r.error, c.error) << c.text;
    if (c.error == 0 && r.error == 0) {
      ASSERT_TRUE(r.value.IsString()) << c.text;
      EXPECT_EQ(r.value.str.ToStdString(), c.value) << c.text;
    }
  }
}

}  // namespace torvic::testing
