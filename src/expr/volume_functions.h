// The built-in functions about volumes and files: volumes, volume$,
// default, mapped, readonly, free, verify, exists, access, attrib$, file$.
//
// They answer from the interpreter's volume table (EvalEnvironment::
// VolumeEnquiries); a bare evaluator has none and answers "?Volume does not
// exist". A volume argument must be 1 to 15 letters or digits ("?Invalid
// volume"; free says "?Function call error") and name a volume ("?Volume
// does not exist"). File names resolve as every statement's do
// (volumes/filenames.h), without a default extension.
//
// volume$(0) and volume$(1) walk the table, file$(pattern, 0) and
// file$("", 1) the files of one search: the state of both walks lives in
// VolumeEnquiries. A search takes its list when it starts, in name order
// (the order DOS-style file systems give), so files made during
// the walk do not confuse it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "expr/functions.h"

namespace torvic {

class VolumeTable;

struct VolumeEnquiries {
  VolumeTable* table = nullptr;
  size_t nextVolume = 0;           // volume$(1)
  std::vector<std::string> files;  // file$(.., 1)
  size_t nextFile = 0;
};

int32_t FnVolumes(CallContext& ctx, const CValue* args, int count, CValue& result);
// volume$(n): -1 the current volume, 0 the first and 1 the next name, 2 all
// names, 3 the writable, 4 the read-only and 5 the unmapped ones, joined by
// the list separator (a comma: the host keeps no list-separator setting).
int32_t FnVolumeText(CallContext& ctx, const CValue* args, int count, CValue& result);
int32_t FnDefault(CallContext& ctx, const CValue* args, int count, CValue& result);
int32_t FnMapped(CallContext& ctx, const CValue* args, int count, CValue& result);
int32_t FnReadOnly(CallContext& ctx, const CValue* args, int count, CValue& result);
// free(v): bytes an unprivileged user may still write on the volume's file
// system (statvfs).
int32_t FnFree(CallContext& ctx, const CValue* args, int count, CValue& result);
int32_t FnVerify(CallContext& ctx, const CValue* args, int count, CValue& result);
int32_t FnExists(CallContext& ctx, const CValue* args, int count, CValue& result);
// access(f, mode): -1 existence, 1 read, 0 and 2 write, 3 both.
int32_t FnAccess(CallContext& ctx, const CValue* args, int count, CValue& result);
int32_t FnAttribText(CallContext& ctx, const CValue* args, int count, CValue& result);
int32_t FnFileText(CallContext& ctx, const CValue* args, int count, CValue& result);

}  // namespace torvic
