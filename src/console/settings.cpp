#include "console/settings.h"

namespace torvic {

void SettingsMemory::ResetToDefaults() {
  bytes_.fill(0);
  ApplyDefaults();
}

}  // namespace torvic
