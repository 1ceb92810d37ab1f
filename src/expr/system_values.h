// The built-in functions that report on the system and the interpreter:
// ver$, copyright$, host$, title$, cbt, info$, and the rows of info that
// are not about memory.
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

// The rows of info (system_functions.h) about the system and the
// interpreter: 6 the volumes, 13 the build number, 19 and 20 the keyboard's
// repeat delay and speed settings, 21 when the executable was written (a
// time value), 33 when the console window was made, and 11, 24, 25 and 34
// the program's lines, GOSUB levels, active FOR loops and nested stopped
// states. False for any other row; the interpreter's rows are 0 without an
// interpreter.
bool InfoOfTheSystem(CallContext& ctx, int row, double& value);
// info$(n), n = 0..255: 1 the console's description, 2 "TORVIC", 3 the
// copyright line, 4 "Ready", 7 the version number; every other row empty.
int32_t FnInfoText(CallContext& ctx, const CValue* args, int count, CValue& result);

}  // namespace torvic
