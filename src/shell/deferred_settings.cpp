#include "shell/deferred_settings.h"

#include <dlfcn.h>

#include <cerrno>

#include "shell/system_services.h"

namespace torvic::shell {

namespace {

constexpr const char* kModuleName = "libtorvic_settings.so";

// The module, loaded once; null when it cannot be.
void* Module() {
  static void* module = [] {
    std::string path = ExecutablePath();
    const size_t slash = path.rfind('/');
    path = slash == std::string::npos ? kModuleName : path.substr(0, slash + 1) + kModuleName;
    return dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  }();
  return module;
}

}  // namespace

int DeferredMoveToTrash(const std::string& path) {
  void* module = Module();
  if (!module) return ENOSYS;
  using Move = int (*)(const char*);
  auto move = reinterpret_cast<Move>(dlsym(module, "TorvicMoveToTrash"));
  return move ? move(path.c_str()) : ENOSYS;
}

DeferredSettingsStore::DeferredSettingsStore() = default;

DeferredSettingsStore::~DeferredSettingsStore() {
  // The store writes itself back when destroyed; the module stays mapped
  // until the process ends so no code of it is unloaded under a destructor
  // that the toolkit registered.
  delete store_;
}

platform::SettingsStore* DeferredSettingsStore::Store() {
  if (tried_) return store_;
  tried_ = true;
  module_ = Module();
  if (!module_) return nullptr;
  using Factory = platform::SettingsStore* (*)();
  auto create = reinterpret_cast<Factory>(dlsym(module_, "TorvicCreateSettingsStore"));
  if (create) store_ = create();
  return store_;
}

std::optional<uint32_t> DeferredSettingsStore::GetNumber(std::string_view key,
                                                         std::string_view name) {
  auto* s = Store();
  return s ? s->GetNumber(key, name) : std::nullopt;
}

bool DeferredSettingsStore::SetNumber(std::string_view key, std::string_view name, uint32_t value) {
  auto* s = Store();
  return s && s->SetNumber(key, name, value);
}

std::optional<std::string> DeferredSettingsStore::GetString(std::string_view key,
                                                            std::string_view name) {
  auto* s = Store();
  return s ? s->GetString(key, name) : std::nullopt;
}

bool DeferredSettingsStore::SetString(std::string_view key, std::string_view name,
                                      std::string_view value) {
  auto* s = Store();
  return s && s->SetString(key, name, value);
}

std::optional<std::vector<uint8_t>> DeferredSettingsStore::GetBytes(std::string_view key,
                                                                    std::string_view name) {
  auto* s = Store();
  return s ? s->GetBytes(key, name) : std::nullopt;
}

bool DeferredSettingsStore::SetBytes(std::string_view key, std::string_view name,
                                     const std::vector<uint8_t>& value) {
  auto* s = Store();
  return s && s->SetBytes(key, name, value);
}

bool DeferredSettingsStore::KeyExists(std::string_view key) {
  auto* s = Store();
  return s && s->KeyExists(key);
}

bool DeferredSettingsStore::CreateKey(std::string_view key) {
  auto* s = Store();
  return s && s->CreateKey(key);
}

std::vector<std::string> DeferredSettingsStore::EnumSubKeys(std::string_view key) {
  auto* s = Store();
  return s ? s->EnumSubKeys(key) : std::vector<std::string>{};
}

bool DeferredSettingsStore::DeleteKey(std::string_view key) {
  auto* s = Store();
  return s && s->DeleteKey(key);
}

}  // namespace torvic::shell
