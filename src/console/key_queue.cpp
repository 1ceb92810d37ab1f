#include "console/key_queue.h"

namespace torvic {

std::string EncodeKey(const KeyRecord& r) {
  std::string out;
  const char code = static_cast<char>(r.key & 0xFF);
  if (r.kind == KeyRecord::kChar) {
    if ((r.key == 8 || r.key == 9) && r.shift) out += {'\0', '\x10'};
    out += code;
    return out;
  }
  if (r.ctrl) out += {'\0', '\x11'};
  if (r.shift) out += {'\0', '\x10'};
  const bool digitOrTab = r.key == 9 || (r.key >= '0' && r.key <= '9');
  if (!digitOrTab) out += '\0';
  out += code;
  return out;
}

}  // namespace torvic
