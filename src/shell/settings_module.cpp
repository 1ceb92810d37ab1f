// libtorvic_settings.so: the Qt settings store for processes that load the
// toolkit only when a setting is needed (the batch mode).
#include "shell/deferred_settings.h"
#include "shell/settings_store.h"

extern "C" __attribute__((visibility("default"))) torvic::platform::SettingsStore*
TorvicCreateSettingsStore() {
  return new torvic::shell::QtSettingsStore();
}
