// The per-user settings store on QSettings: organisation "Quellorix",
// application "TORVIC", in the platform's native place (on Linux the
// configuration folder named by XDG_CONFIG_HOME, else ~/.config), so a
// test that points XDG_CONFIG_HOME at a fresh folder starts from defaults.
//
// Key paths use "/" between levels ("Settings", "Volumes/WORK"); a key
// exists once any value or a marker has been written under it.
#pragma once

#include <QSettings>
#include <memory>

#include "platform/host.h"

namespace torvic::shell {

class QtSettingsStore final : public platform::SettingsStore {
 public:
  QtSettingsStore();
  ~QtSettingsStore() override;

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

 private:
  std::unique_ptr<QSettings> settings_;
};

}  // namespace torvic::shell
