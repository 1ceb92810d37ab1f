// The built-in functions that report on the system and the interpreter:
// ver$, copyright$, host$, title$, cbt, info and info$.
//
// The host's facts come from platform/system_info.h, the window's title
// from the host's Process, and what only the interpreter knows (its
// volumes, its window's creation, its program's state) through
// EvalEnvironment::InterpreterInfo.
#pragma once

#include <cstdint>

#include "expr/functions.h"

namespace torvic {

// The build number of this release of the program (ABOUT's "Release",
// info(13)).
inline constexpr int kReleaseBuild = 1;

// ver$: "TORVIC Version 1.5.2"; copyright$: the copyright line of the
// banner; host$: the operating system (platform::HostDescription); title$:
// the window's title, at most 259 characters; cbt: the desktop's caret
// blink time in milliseconds.
int32_t FnVer(CallContext& ctx, const CValue* args, int count, CValue& result);
int32_t FnCopyright(CallContext& ctx, const CValue* args, int count, CValue& result);
int32_t FnHost(CallContext& ctx, const CValue* args, int count, CValue& result);
int32_t FnTitle(CallContext& ctx, const CValue* args, int count, CValue& result);
int32_t FnCbt(CallContext& ctx, const CValue* args, int count, CValue& result);

// info(n), n = 0..255 (else "?Function call error"): the fixed values of
// its table; 5 the tick count; 6 the volumes; 13 the build number; 19 and
// 20 the keyboard's repeat delay and speed settings; 21 when the
// executable was written, as a time value; 33 when the console window was
// made; 11, 24, 25 and 34 the program's lines, GOSUB levels, active FOR
// loops and nested stopped states. The rows that report memory (2, 3, 14
// to 18) belong to the memory budget and answer "?Not supported" until it
// is here. Every other row is 0.
int32_t FnInfo(CallContext& ctx, const CValue* args, int count, CValue& result);
// info$(n), n = 0..255: 1 the console's description, 2 "TORVIC", 3 the
// copyright line, 4 "Ready", 7 the version number; every other row empty.
int32_t FnInfoText(CallContext& ctx, const CValue* args, int count, CValue& result);

}  // namespace torvic
