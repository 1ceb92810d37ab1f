#include "expr/volume_functions.h"

#include <cerrno>

#include "base/errors.h"
#include "expr/evaluator.h"
#include "expr/numeric_rules.h"
#include "platform/file_system.h"
#include "volumes/filenames.h"
#include "volumes/volumes.h"

namespace torvic {

namespace {

constexpr char kListSeparator = ',';

// The interpreter's volume table, or null (a bare evaluator).
VolumeTable* TableOf(CallContext& ctx) {
  VolumeEnquiries* v = ctx.env.Volumes();
  return v ? v->table : nullptr;
}

// The volume a function's argument names.
int32_t NamedVolume(CallContext& ctx, const CValue& arg, const Volume*& out,
                    int32_t malformed = kErrInvalidVolume) {
  const std::string_view name = arg.str.View();
  if (!IsVolumeName(name)) return malformed;
  VolumeTable* table = TableOf(ctx);
  out = table ? table->FindVolume(name) : nullptr;
  return out ? kOk : kErrVolumeDoesNotExist;
}

double Truth(bool b) { return b ? -1 : 0; }

// The test of access(f, mode) and exists(f).
int32_t AccessTest(CallContext& ctx, std::string_view name, int mode, CValue& result) {
  VolumeTable* table = TableOf(ctx);
  if (!table) return kErrVolumeDoesNotExist;
  ResolvedName r;
  if (int32_t e = ResolveFileName(*table, name, "", r)) return e;
  const bool read = mode == 1 || mode == 3;
  const bool write = mode == 0 || mode == 2 || mode == 3;
  if (write && r.readOnly) {
    result.SetNumber(0);
    return kOk;
  }
  result.SetNumber(Truth(platform::CheckAccess(r.path, read, write) == 0));
  return kOk;
}

}  // namespace

int32_t FnVolumes(CallContext& ctx, const CValue*, int, CValue& result) {
  VolumeTable* table = TableOf(ctx);
  result.SetNumber(table ? static_cast<double>(table->Count()) : 0);
  return kOk;
}

int32_t FnVolumeText(CallContext& ctx, const CValue* args, int, CValue& result) {
  const double n = RoundHalfUp(args[0].number);
  if (!(n >= -1 && n <= 5)) return kErrFunctionCallError;
  VolumeEnquiries* state = ctx.env.Volumes();
  if (!state || !state->table) {
    result.SetString("");
    return kOk;
  }
  VolumeTable& table = *state->table;
  const std::vector<Volume>& volumes = table.Volumes();
  const int mode = static_cast<int>(n);
  if (mode == -1) {
    result.SetString(table.DefaultName());
    return kOk;
  }
  if (mode == 0 || mode == 1) {
    if (mode == 0) state->nextVolume = 0;
    if (state->nextVolume >= volumes.size()) {
      result.SetString("");
      return kOk;
    }
    result.SetString(volumes[state->nextVolume++].name);
    return kOk;
  }
  std::string joined;
  for (const Volume& v : volumes) {
    const bool wanted = mode == 2 || (mode == 3 && !v.readOnly) || (mode == 4 && v.readOnly) ||
                        (mode == 5 && !table.FolderExists(v.folder));
    if (!wanted) continue;
    if (!joined.empty()) joined += kListSeparator;
    joined += v.name;
  }
  if (joined.size() > static_cast<size_t>(CBasicString::kMaxLength)) return kErrStringTooLong;
  result.SetString(joined);
  return kOk;
}

int32_t FnDefault(CallContext& ctx, const CValue* args, int, CValue& result) {
  const Volume* v = nullptr;
  if (int32_t e = NamedVolume(ctx, args[0], v)) return e;
  result.SetNumber(Truth(v->isDefault));
  return kOk;
}

int32_t FnMapped(CallContext& ctx, const CValue* args, int, CValue& result) {
  const Volume* v = nullptr;
  const int32_t e = NamedVolume(ctx, args[0], v);
  if (e == kErrInvalidVolume) return e;
  result.SetNumber(Truth(e == kOk));
  return kOk;
}

int32_t FnReadOnly(CallContext& ctx, const CValue* args, int, CValue& result) {
  const Volume* v = nullptr;
  if (int32_t e = NamedVolume(ctx, args[0], v)) return e;
  result.SetNumber(Truth(v->readOnly));
  return kOk;
}

int32_t FnFree(CallContext& ctx, const CValue* args, int, CValue& result) {
  const Volume* v = nullptr;
  if (int32_t e = NamedVolume(ctx, args[0], v, kErrFunctionCallError)) return e;
  uint64_t bytes = 0;
  const int e = platform::FreeSpace(v->folder, bytes);
  if (e == ENOSYS) return kErrSystemError;
  if (e) return kErrIoError;
  result.SetNumber(static_cast<double>(bytes));
  return kOk;
}

int32_t FnVerify(CallContext&, const CValue* args, int, CValue& result) {
  const std::string_view name = args[0].str.View();
  const size_t colon = name.find(':');
  const std::string_view file = colon == std::string_view::npos ? name : name.substr(colon + 1);
  result.SetNumber(Truth(file.size() < kMaxHostPath + 1 && IsValidFileName(name)));
  return kOk;
}

int32_t FnExists(CallContext& ctx, const CValue* args, int, CValue& result) {
  return AccessTest(ctx, args[0].str.View(), -1, result);
}

int32_t FnAccess(CallContext& ctx, const CValue* args, int, CValue& result) {
  const double mode = RoundHalfUp(args[1].number);
  if (!(mode >= -1 && mode <= 3)) return kErrFunctionCallError;
  return AccessTest(ctx, args[0].str.View(), static_cast<int>(mode), result);
}

int32_t FnAttribText(CallContext& ctx, const CValue* args, int, CValue& result) {
  VolumeTable* table = TableOf(ctx);
  if (!table) return kErrVolumeDoesNotExist;
  ResolvedName r;
  if (int32_t e = ResolveFileName(*table, args[0].str.View(), "", r)) return e;
  platform::FileInfo info;
  bool folder = false;
  if (platform::Inspect(r.path, info, &folder) != 0 || folder) return kErrFileNotFound;
  result.SetString(info.readOnly ? "R" : "");
  return kOk;
}

int32_t FnFileText(CallContext& ctx, const CValue* args, int, CValue& result) {
  const double n = RoundHalfUp(args[1].number);
  if (n != 0 && n != 1) return kErrFunctionCallError;
  VolumeEnquiries* state = ctx.env.Volumes();
  if (!state || !state->table) return kErrVolumeDoesNotExist;
  const std::string_view pattern = args[0].str.View();
  if (n == 1) {
    // The next name of the search under way; a pattern here starts none.
    if (!pattern.empty()) return kErrFunctionCallError;
  } else {
    state->files.clear();
    state->nextFile = 0;
    ResolvedName r;
    if (int32_t e = ResolveFilePattern(*state->table, pattern, "", r)) return e;
    std::vector<platform::FileInfo> found;
    const std::string folder = r.path.substr(0, r.path.size() - r.file.size());
    switch (platform::ListFiles(folder, r.file, found)) {
      case 0: break;
      case ENOENT:
      case ENOTDIR:
      case ENAMETOOLONG: return kErrInvalidFileName;
      case EACCES:
      case EPERM: return kErrAccessDenied;
      default: return kErrIoError;
    }
    platform::SortByName(found);
    for (platform::FileInfo& f : found) state->files.push_back(std::move(f.name));
  }
  if (state->nextFile >= state->files.size()) {
    result.SetString("");
    return kOk;
  }
  result.SetString(state->files[state->nextFile++]);
  return kOk;
}

}  // namespace torvic
