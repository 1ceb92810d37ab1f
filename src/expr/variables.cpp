#include "expr/variables.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "base/errors.h"
#include "expr/numeric_rules.h"

namespace torvic {

namespace {

// Identities handed out by VARPTR are indices into a table; past this many
// distinct places VARPTR answers "?Out of memory" rather than grow forever.
constexpr size_t kMaxIdentities = 1u << 20;

// Rounds and checks one subscript or bound: 0 <= s < 65537.
bool WholeSubscript(double x, int32_t& out) {
  const double r = RoundHalfUp(x);
  if (!(r >= 0 && r < kSubscriptLimit)) return false;
  out = static_cast<int32_t>(r);
  return true;
}

// The budget's share of a record: the object, its name, and the name's
// key in the index.
uint64_t RecordBytes(size_t objectSize, std::string_view name) {
  return memory::BlockBytes(objectSize) + 2 * memory::StringBytes(name.size());
}

}  // namespace

uint64_t CVariable::ElementCount() const {
  uint64_t n = 1;
  for (int d = 0; d < dimensions; ++d) n *= static_cast<uint64_t>(extents[d]);
  return dimensions == 0 ? 0 : n;
}

// --- name lists --------------------------------------------------------------

CVariable* VariableStore::NameList::Find(std::string_view name) const {
  auto it = index.find(name);
  return it == index.end() ? nullptr : it->second;
}

CVariable* VariableStore::NameList::Add(uint32_t kind, std::string_view name) {
  auto v = std::make_unique<CVariable>();
  v->held = memory::Reservation(RecordBytes(sizeof(CVariable), name));
  v->name = std::string(name);
  v->kind = kind;
  CVariable* p = v.get();
  // The list first: a failure to index takes the record out again, so the
  // index never names a record the list does not own.
  order.push_back(std::move(v));
  try {
    index.emplace(p->name, p);
  } catch (...) {
    order.pop_back();
    throw;
  }
  return p;
}

bool VariableStore::NameList::Remove(std::string_view name) {
  auto it = index.find(name);
  if (it == index.end()) return false;
  CVariable* p = it->second;
  ++*removals;
  index.erase(it);
  order.erase(
      std::find_if(order.begin(), order.end(), [p](const auto& u) { return u.get() == p; }));
  return true;
}

void VariableStore::NameList::Clear() {
  ++*removals;
  index.clear();
  order.clear();
}

// --- store -------------------------------------------------------------------

VariableStore::VariableStore() {
  frames_.resize(1);
  for (NameList& l : lists_) l.removals = &removals_;
}

CVariable* VariableStore::Scalar(uint32_t kind, std::string_view name) {
  NameList& list = List(kind);
  if (CVariable* v = list.Find(name)) return v;
  try {
    return list.Add(kind, name);
  } catch (const std::bad_alloc&) { return nullptr; }
}

const CVariable* VariableStore::FindScalar(uint32_t kind, std::string_view name) const {
  return lists_[kind - kNumericScalar].Find(name);
}

CVariable* VariableStore::FindArray(uint32_t kind, std::string_view name) {
  return List(kind).Find(name);
}

int32_t VariableStore::AllocateArray(CVariable& v, int count,
                                     const std::array<int32_t, kMaxDimensions>& extents) {
  uint64_t n = 1;
  for (int d = 0; d < count; ++d) n *= static_cast<uint64_t>(extents[d]);
  try {
    if (v.kind == kNumericArray) {
      memory::Vector<double> fresh(n, 0.0);
      v.numbers.swap(fresh);
    } else {
      memory::Vector<CBasicString> fresh(n);
      v.strings.swap(fresh);
    }
  } catch (const std::bad_alloc&) { return kErrOutOfMemory; }
  v.dimensions = count;
  v.extents = extents;
  return kOk;
}

int32_t VariableStore::Element(uint32_t kind, std::string_view name, int count,
                               const double* subscripts, bool running, VarSlot& slot,
                               uint64_t* linearIndex, CVariable** record) {
  if (count < 1 || count > kMaxDimensions) return kErrBadSubscript;
  int32_t subs[kMaxDimensions];
  for (int d = 0; d < count; ++d)
    if (!WholeSubscript(subscripts[d], subs[d])) return kErrBadSubscript;

  NameList& list = List(kind);
  CVariable* v = list.Find(name);
  if (!v) {
    // Automatic creation: up to 3 dimensions, subscripts up to 10.
    if (explicit_ && running) return kErrBadSubscript;
    if (count > kMaxAutoDimensions) return kErrBadSubscript;
    const int32_t base = running ? optionBase_ : 0;
    for (int d = 0; d < count; ++d)
      if (subs[d] < base || subs[d] > kAutoUpperBound) return kErrBadSubscript;
    std::array<int32_t, kMaxDimensions> extents{};
    for (int d = 0; d < count; ++d) extents[d] = kAutoUpperBound + 1 - base;
    try {
      v = list.Add(kind, name);
    } catch (const std::bad_alloc&) { return kErrOutOfMemory; }
    v->base = base;
    if (int32_t e = AllocateArray(*v, count, extents)) {
      list.Remove(name);
      return e;
    }
    arraysExist_ = true;
  }
  if (record) *record = v;
  return ElementOf(*v, count, subscripts, slot, linearIndex);
}

int32_t VariableStore::BoundsToExtents(uint32_t kind, int count, const double* bounds, int32_t base,
                                       std::array<int32_t, kMaxDimensions>& extents) const {
  if (count < 1 || count > kMaxDimensions) return kErrBadSubscript;
  uint64_t total = 1;
  for (int d = 0; d < count; ++d) {
    int32_t b;
    if (!WholeSubscript(bounds[d], b)) return kErrBadSubscript;
    if (kind == kNumericArray && b < 1) return kErrBadSubscript;  // DIM A(0) is refused
    extents[d] = base == 0 ? b + 1 : b;
    total *= static_cast<uint64_t>(extents[d]);
    if (total > kMaxArrayElements) return kErrBadSubscript;
  }
  return kOk;
}

int32_t VariableStore::CreateArray(uint32_t kind, std::string_view name, int count,
                                   const double* bounds, bool running) {
  const int32_t base = running ? optionBase_ : 0;
  std::array<int32_t, kMaxDimensions> extents{};
  // Bounds are checked before the name, as the statement evaluates them first.
  if (int32_t e = BoundsToExtents(kind, count, bounds, base, extents)) return e;
  NameList& list = List(kind);
  if (list.Find(name)) return kErrAlreadyDimensioned;
  CVariable* v;
  try {
    v = list.Add(kind, name);
  } catch (const std::bad_alloc&) { return kErrOutOfMemory; }
  v->base = base;
  if (int32_t e = AllocateArray(*v, count, extents)) {
    list.Remove(name);
    return e;
  }
  arraysExist_ = true;
  return kOk;
}

int32_t VariableStore::ResizeArray(bool preserve, uint32_t kind, std::string_view name, int count,
                                   const double* bounds, bool running) {
  CVariable* v = List(kind).Find(name);
  if (!v) return CreateArray(kind, name, count, bounds, running);
  std::array<int32_t, kMaxDimensions> extents{};
  if (int32_t e = BoundsToExtents(kind, count, bounds, v->base, extents)) return e;
  if (count != v->dimensions) return kErrBadSubscript;

  CVariable fresh;
  fresh.kind = kind;
  if (int32_t e = AllocateArray(fresh, count, extents)) return e;
  if (preserve) {
    // Match elements by subscripts: walk every old element and place it at
    // the same subscripts in the new shape when they fit.
    const uint64_t oldCount = v->ElementCount();
    std::array<int32_t, kMaxDimensions> idx{};
    for (uint64_t at = 0; at < oldCount; ++at) {
      bool fits = true;
      uint64_t to = 0;
      for (int d = 0; d < count; ++d) {
        if (idx[d] >= extents[d]) fits = false;
        to = to * static_cast<uint64_t>(extents[d]) + static_cast<uint64_t>(idx[d]);
      }
      if (fits) {
        if (kind == kNumericArray) fresh.numbers[to] = v->numbers[at];
        else fresh.strings[to] = std::move(v->strings[at]);
      }
      for (int d = count - 1; d >= 0; --d) {  // next subscripts, last fastest
        if (++idx[d] < v->extents[d]) break;
        idx[d] = 0;
      }
    }
  }
  v->numbers.swap(fresh.numbers);
  v->strings.swap(fresh.strings);
  v->extents = extents;
  return kOk;
}

bool VariableStore::DeleteArray(uint32_t kind, std::string_view name) {
  return List(kind).Remove(name);
}

void VariableStore::DeleteAllArrays() {
  List(kNumericArray).Clear();
  List(kStringArray).Clear();
}

int32_t VariableStore::EraseArray(uint32_t kind, std::string_view name, bool running) {
  if (!List(kind).Find(name)) {
    const double ten = kAutoUpperBound;
    VarSlot slot;
    if (int32_t e = Element(kind, name, 1, &ten, running, slot)) return e;
  }
  DeleteArray(kind, name);
  return kOk;
}

int32_t VariableStore::ClearArray(uint32_t kind, std::string_view name, bool running) {
  CVariable* v = List(kind).Find(name);
  if (!v) {
    const double ten = kAutoUpperBound;
    VarSlot slot;
    return Element(kind, name, 1, &ten, running, slot);  // created empty
  }
  std::fill(v->numbers.begin(), v->numbers.end(), 0.0);
  for (CBasicString& s : v->strings) s.Clear();
  return kOk;
}

int32_t VariableStore::AddConstant(std::string_view name, double value) {
  if (constantIndex_.find(name) != constantIndex_.end()) return kErrConstRedefined;
  try {
    constants_.emplace_back(std::string(name), value);
  } catch (const std::bad_alloc&) { return kErrOutOfMemory; }
  try {
    constantIndex_.emplace(std::string(name), constants_.size() - 1);
  } catch (const std::bad_alloc&) {
    constants_.pop_back();
    return kErrOutOfMemory;
  }
  return kOk;
}

const double* VariableStore::FindConstant(std::string_view name) const {
  auto it = constantIndex_.find(name);
  return it == constantIndex_.end() ? nullptr : &constants_[it->second].second;
}

int32_t VariableStore::DefineUserFunction(std::string_view name, uint32_t paramCount,
                                          const void* line, uint32_t bodyPos, const uint8_t* body,
                                          size_t bodyLength) {
  try {
    UserFunction* f;
    auto it = functionIndex_.find(name);
    if (it != functionIndex_.end()) {
      f = it->second;
      // A DEF FN inside a loop redefines the same body each time: skip the copy.
      if (f->line == line && f->bodyPos == bodyPos && f->paramCount == paramCount &&
          f->body.size() == bodyLength && std::memcmp(f->body.data(), body, bodyLength) == 0)
        return kOk;
      // The new body first: a failure leaves the old definition whole.
      memory::Vector<uint8_t> copy(body, body + bodyLength);
      f->body.swap(copy);
    } else {
      auto u = std::make_unique<UserFunction>();
      u->held = memory::Reservation(RecordBytes(sizeof(UserFunction), name));
      u->name = std::string(name);
      u->body.assign(body, body + bodyLength);
      f = u.get();
      functions_.push_back(std::move(u));
      try {
        functionIndex_.emplace(f->name, f);
      } catch (...) {
        functions_.pop_back();
        throw;
      }
    }
    f->paramCount = paramCount;
    f->line = line;
    f->bodyPos = bodyPos;
  } catch (const std::bad_alloc&) { return kErrOutOfMemory; }
  return kOk;
}

const UserFunction* VariableStore::FindUserFunction(std::string_view name) const {
  auto it = functionIndex_.find(name);
  return it == functionIndex_.end() ? nullptr : it->second;
}

bool VariableStore::PushParamFrame(size_t maxDepth) {
  if (frameDepth_ >= maxDepth) return false;
  if (frames_.size() <= frameDepth_ + 1) frames_.emplace_back();  // may throw: nothing changed yet
  ++frameDepth_;
  return true;
}

void VariableStore::PopParamFrame() {
  ParamFrame& f = frames_[frameDepth_];
  for (uint32_t i = 0; i < f.count; ++i) f.slots[i].str.SetEmpty();
  f.count = 0;
  if (frameDepth_ > 0) --frameDepth_;
}

void VariableStore::ReleaseParamFrames() {
  if (frameDepth_ != 0) return;
  frames_.resize(1);
  for (ParamFrame::Slot& slot : frames_[0].slots) slot.str.Clear();
}

void VariableStore::ResetScalars() {
  letters_.fill(0);
  for (auto& v : List(kNumericScalar).order) v->number = 0;
  for (auto& v : List(kStringScalar).order) v->str.Clear();
}

void VariableStore::ZeroArrays() {
  for (auto& v : List(kNumericArray).order) std::fill(v->numbers.begin(), v->numbers.end(), 0.0);
  for (auto& v : List(kStringArray).order)
    for (CBasicString& s : v->strings) s.Clear();
}

void VariableStore::ResetProgramState() {
  ResetScalars();
  DeleteAllArrays();
  arraysExist_ = false;
  optionBase_ = 0;
  explicit_ = false;
  constants_.clear();
  constantIndex_.clear();
  functions_.clear();
  functionIndex_.clear();
  while (frameDepth_ > 0) PopParamFrame();
  PopParamFrame();
}

void VariableStore::DeleteAll() {
  ResetProgramState();
  for (NameList& l : lists_) l.Clear();
  identities_.clear();
  identityIndex_.clear();
}

namespace {

template <class V>
uint64_t VectorBytes(const V& v) {
  return v.capacity() == 0 ? 0 : memory::BlockBytes(v.capacity() * sizeof(typename V::value_type));
}

// A record with what its containers and its strings hold.
uint64_t RecordHeld(const CVariable& v) {
  uint64_t n = v.held.Bytes() + VectorBytes(v.numbers) + VectorBytes(v.strings) + v.str.HeldBytes();
  for (const CBasicString& s : v.strings) n += s.HeldBytes();
  return n;
}

}  // namespace

uint64_t VariableStore::HeldBytes() const {
  uint64_t n = 0;
  for (const NameList& l : lists_) {
    n += VectorBytes(l.order);
    for (const auto& v : l.order) n += RecordHeld(*v);
  }
  n += VectorBytes(constants_);
  for (const auto& c : constants_) n += memory::StringBytes(c.first.size());
  n += VectorBytes(functions_);
  for (const auto& f : functions_) n += f->held.Bytes() + VectorBytes(f->body);
  return n;
}

uint64_t VariableStore::StringBytes() const {
  uint64_t n = 0;
  for (uint32_t kind : {kStringScalar, kStringArray})
    for (const auto& v : lists_[kind - kNumericScalar].order) n += RecordHeld(*v);
  return n;
}

double VariableStore::IdentityOf(uint32_t kind, std::string_view name, uint64_t element,
                                 int letter) {
  std::string key;
  key.reserve(name.size() + 24);
  key += static_cast<char>('0' + kind);
  key += std::to_string(letter);
  key += ':';
  key += std::to_string(element);
  key += ':';
  key += name;
  auto it = identityIndex_.find(key);
  if (it != identityIndex_.end()) return it->second;
  if (identities_.size() >= kMaxIdentities) return 0;
  try {
    identities_.push_back(Identity{
        kind, letter, std::string(name), element,
        memory::Reservation(memory::StringBytes(name.size()) + memory::StringBytes(key.size()))});
  } catch (const std::bad_alloc&) { return 0; }
  // Identities start at 1: 0 never names a variable.
  const uint32_t id = static_cast<uint32_t>(identities_.size());
  try {
    identityIndex_.emplace(std::move(key), id);
  } catch (const std::bad_alloc&) {
    identities_.pop_back();
    return 0;
  }
  return id;
}

bool VariableStore::ResolveIdentity(double id, VarSlot& slot) {
  if (!(id >= 1 && id <= static_cast<double>(identities_.size())) || id != std::trunc(id))
    return false;
  const Identity& i = identities_[static_cast<size_t>(id) - 1];
  if (i.letter >= 0) {
    slot = VarSlot{&letters_[i.letter], nullptr};
    return true;
  }
  CVariable* v = List(i.kind).Find(i.name);
  if (!v) return false;
  switch (i.kind) {
    case kNumericScalar: slot = VarSlot{&v->number, nullptr}; return true;
    case kStringScalar: slot = VarSlot{nullptr, &v->str}; return true;
    case kNumericArray:
      if (i.element >= v->numbers.size()) return false;
      slot = VarSlot{&v->numbers[i.element], nullptr};
      return true;
    case kStringArray:
      if (i.element >= v->strings.size()) return false;
      slot = VarSlot{nullptr, &v->strings[i.element]};
      return true;
  }
  return false;
}

}  // namespace torvic
