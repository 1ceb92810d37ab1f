// The system functions that report on memory: mem (and fre, its alias in
// numeric_functions.h) and info. Memory is reported against the memory
// budget (platform/memory_budget.h), the bytes BASIC programs may still take.
#pragma once

#include "expr/functions.h"

namespace torvic {

// Bytes still available to BASIC programs: what the memory budget allows
// beyond what it holds, and never more than the machine has free (its
// available memory and free swap). The value of mem and fre.
double AvailableMemory();
// The machine's available physical memory (ABOUT's system information).
double PhysicalMemoryAvailable();

// mem: AvailableMemory().
int32_t FnMem(CallContext& ctx, const CValue* args, int count, CValue& result);

// info(n), n = 0..255 (else "?Function call error"): the fixed values of
// its table, 2 and 3 from the variable store, 5 the tick count, 14 to 18
// the machine's memory; the rows about the system and the interpreter
// (InfoOfTheSystem, system_values.h); every other row is 0.
int32_t FnInfo(CallContext& ctx, const CValue* args, int count, CValue& result);

}  // namespace torvic
