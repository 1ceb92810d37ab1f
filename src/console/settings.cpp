#include "console/settings.h"

namespace torvic {

void SettingsMemory::ResetToDefaults() {
  bytes_.fill(0);
  ApplyDefaults();
}

void SettingsMemory::ApplyDefaults() {
  // The lock-key mirrors (1107, 1210, 5776) are filled from the real
  // keyboard state by the console view.
  struct Default { uint16_t address; uint8_t value; };
  static constexpr Default kDefaults[] = {
      {872, 10},   {1995, 15},  {5794, 255},  {7822, 238},  {11266, 255},
      {26469, 42}, {26892, 50}, {26893, 50},  {26894, 50},  {26895, 50},
      {49565, 1},  {51520, 255}, {56136, 32}, {59250, 15},
  };
  for (const Default& d : kDefaults) bytes_[d.address] = d.value;
}

}  // namespace torvic
