#include "resources/builtin_programs.h"

#include <algorithm>

namespace torvic {

namespace {

// Two numbered lines each; the second ends with END. PEEK(23) is always 1,
// so the statement behind "if peek(23)=0" is there for the record only.
//
//   1966 = 34   prompt after every line (255: not)
//   43113 = 127 no new row after the prompt (0: a new row)
//   11266       window margin colour (255: the system's)
//   22469 = 255 upper-case input (0: as typed)
//   38829 = 8   text colour 0 on background 15
constexpr BuiltinProgram kPrograms[] = {
    {"APPLE2",
     "1 poke 1966,34: poke 43113,127: if peek(23)=0 then prompt \"]\"\r\n"
     "2 poke 11266,0: poke 22469,0: color 15,0: cls: end\r\n"},
    {"COCO",
     "1 poke 1966,255: poke 43113,0: if peek(23)=0 then prompt \"OK\"\r\n"
     "2 poke 11266,0: poke 22469,255: color 0,10: cls: end\r\n"},
    {"TORVIC",
     "1 poke 1966,255: poke 43113,0: if peek(23)=0 then poke 19335,252\r\n"
     "2 poke 11266,255: poke 22469,0: poke 38829,8: cls: end\r\n"},
    {"WELCOME",
     "1 print \"Welcome to TORVIC!\"\r\n"
     "2 end\r\n"},
};

bool SameName(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           auto upper = [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; };
           return upper(x) == upper(y);
         });
}

}  // namespace

std::span<const BuiltinProgram> BuiltinPrograms() { return kPrograms; }

const BuiltinProgram* FindBuiltinProgram(std::string_view name) {
  for (const BuiltinProgram& p : kPrograms)
    if (SameName(p.name, name)) return &p;
  return nullptr;
}

}  // namespace torvic
