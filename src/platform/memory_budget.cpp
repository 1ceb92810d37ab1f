#include "platform/memory_budget.h"

#include <malloc.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdio>
#include <cstring>

namespace torvic::memory {

namespace {

// The number a file holds at its start ("max" or anything else unreadable:
// no number).
bool ReadNumberFile(const char* path, uint64_t& value) {
  std::FILE* f = std::fopen(path, "re");
  if (!f) return false;
  char text[64] = {};
  const size_t n = std::fread(text, 1, sizeof text - 1, f);
  std::fclose(f);
  const auto [end, ec] = std::from_chars(text, text + n, value);
  return ec == std::errc() && end != text;
}

// The memory limit of the process's control group, when one is set (v2,
// then v1, where "no limit" reads as a huge number).
uint64_t ControlGroupLimit() {
  uint64_t v = 0;
  if (ReadNumberFile("/sys/fs/cgroup/memory.max", v)) return v;
  if (ReadNumberFile("/sys/fs/cgroup/memory/memory.limit_in_bytes", v)) return v;
  return UINT64_MAX;
}

// The machine's memory from the C library (one system call, no file to
// parse: the batch mode's start-up pays for this).
uint64_t PhysicalMemory() {
  const long pages = ::sysconf(_SC_PHYS_PAGES), size = ::sysconf(_SC_PAGE_SIZE);
  return pages > 0 && size > 0 ? static_cast<uint64_t>(pages) * static_cast<uint64_t>(size) : 0;
}

}  // namespace

void Exhausted() { throw std::bad_alloc(); }

void SetLimit(uint64_t bytes) { ledger.limit = std::clamp(bytes, kMinLimit, kMaxLimit); }

uint64_t DefaultLimit() {
  uint64_t usable = std::min(PhysicalMemory(), ControlGroupLimit());
  if (usable == 0) usable = kInitialLimit * 4;  // nothing known: the cap decides
  return std::clamp(usable / 4, kMinLimit, kInitialLimit);
}

bool ParseSize(std::string_view text, uint64_t& bytes) {
  uint64_t n = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), n);
  if (ec != std::errc() || end == text.data()) return false;
  std::string_view unit(end, static_cast<size_t>(text.data() + text.size() - end));
  if (unit.size() == 2 && (unit[1] == 'b' || unit[1] == 'B')) unit.remove_suffix(1);
  int shift = 0;
  if (unit.size() == 1) {
    switch (std::toupper(static_cast<unsigned char>(unit[0]))) {
      case 'K': shift = 10; break;
      case 'M': shift = 20; break;
      case 'G': shift = 30; break;
      case 'T': shift = 40; break;
      default: return false;
    }
  } else if (!unit.empty()) {
    return false;
  }
  if (n > (kMaxLimit >> shift)) return false;
  n <<= shift;
  if (n < kMinLimit) return false;
  bytes = n;
  return true;
}

SystemMemory ReadSystemMemory() {
  SystemMemory m;
  std::FILE* f = std::fopen("/proc/meminfo", "re");
  if (!f) return m;
  char line[256];
  while (std::fgets(line, sizeof line, f)) {
    char name[64];
    unsigned long long kib = 0;
    if (std::sscanf(line, "%63[^:]: %llu", name, &kib) != 2) continue;
    const uint64_t bytes = static_cast<uint64_t>(kib) * 1024;
    if (std::strcmp(name, "MemTotal") == 0) m.totalPhysical = bytes;
    else if (std::strcmp(name, "MemAvailable") == 0) m.availablePhysical = bytes;
    else if (std::strcmp(name, "SwapTotal") == 0) m.totalSwap = bytes;
    else if (std::strcmp(name, "SwapFree") == 0) m.freeSwap = bytes;
  }
  std::fclose(f);
  return m;
}

void ReturnFreeMemory() { malloc_trim(0); }

}  // namespace torvic::memory
