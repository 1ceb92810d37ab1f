// The per-user settings store as the batch mode sees it: the same store the
// window uses (QtSettingsStore), loaded from the module libtorvic_settings.so
// beside the executable only when a setting is first read or written. A
// batch run that touches no setting therefore never loads the GUI toolkit's
// libraries, which is most of what starting the process would cost.
//
// When the module cannot be loaded the store behaves as an empty store that
// refuses writes, as a settings store without a backing file does.
#pragma once

#include <memory>
#include <string>

#include "platform/host.h"

namespace torvic::shell {

class DeferredSettingsStore final : public platform::SettingsStore {
 public:
  DeferredSettingsStore();
  ~DeferredSettingsStore() override;

  std::optional<uint32_t> GetNumber(std::string_view key, std::string_view name) override;
  bool SetNumber(std::string_view key, std::string_view name, uint32_t value) override;
  std::optional<std::string> GetString(std::string_view key, std::string_view name) override;
  bool SetString(std::string_view key, std::string_view name, std::string_view value) override;
  std::optional<std::vector<uint8_t>> GetBytes(std::string_view key,
                                               std::string_view name) override;
  bool SetBytes(std::string_view key, std::string_view name,
                const std::vector<uint8_t>& value) override;
  bool KeyExists(std::string_view key) override;
  bool CreateKey(std::string_view key) override;
  std::vector<std::string> EnumSubKeys(std::string_view key) override;
  bool DeleteKey(std::string_view key) override;

  // Whether the real store has been loaded (for tests).
  bool Loaded() const { return store_ != nullptr; }

 private:
  platform::SettingsStore* Store();

  bool tried_ = false;
  void* module_ = nullptr;
  platform::SettingsStore* store_ = nullptr;
};

// KILL's move to the desktop's trash (platform::SetTrashHandler) through the
// same module, loaded on the first move: 0 or an errno (ENOSYS when the
// module cannot be loaded).
int DeferredMoveToTrash(const std::string& path);

}  // namespace torvic::shell

// The module's entry point: a new store, owned by the caller.
extern "C" torvic::platform::SettingsStore* TorvicCreateSettingsStore();
