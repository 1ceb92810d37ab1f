// libtorvic_settings.so: the Qt settings store and the desktop's trash for
// processes that load the toolkit only when they are needed (the batch mode,
// the terminal).
#include "shell/deferred_settings.h"
#include "shell/settings_store.h"
#include "shell/trash.h"

extern "C" __attribute__((visibility("default"))) torvic::platform::SettingsStore*
TorvicCreateSettingsStore() {
  return new torvic::shell::QtSettingsStore();
}

extern "C" __attribute__((visibility("default"))) int TorvicMoveToTrash(const char* path) {
  return torvic::shell::QtMoveToTrash(path);
}
