// The batch mode's settings store: loaded only on first use, and then the
// same store as the window's (a value written through one is read through
// the other).
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "shell/deferred_settings.h"
#include "shell/settings_store.h"

namespace fs = std::filesystem;
using torvic::shell::DeferredSettingsStore;
using torvic::shell::QtSettingsStore;

namespace {

class DeferredSettings : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("torvic-deferred-" + std::to_string(::getpid()));
    fs::create_directories(dir_);
    const char* old = std::getenv("XDG_CONFIG_HOME");
    if (old) saved_ = old, hadOld_ = true;
    ::setenv("XDG_CONFIG_HOME", dir_.c_str(), 1);
  }
  void TearDown() override {
    if (hadOld_) ::setenv("XDG_CONFIG_HOME", saved_.c_str(), 1);
    else ::unsetenv("XDG_CONFIG_HOME");
    fs::remove_all(dir_);
  }
  fs::path dir_;
  std::string saved_;
  bool hadOld_ = false;
};

TEST_F(DeferredSettings, LoadsOnFirstUseAndSharesTheWindowsStore) {
  {
    DeferredSettingsStore store;
    EXPECT_FALSE(store.Loaded());
    EXPECT_TRUE(store.SetNumber("Settings", "FontSize", 14));
    EXPECT_TRUE(store.Loaded());
    EXPECT_TRUE(store.CreateKey("Volumes/WORK"));
    EXPECT_TRUE(store.SetString("Volumes/WORK", "Path", "/tmp/work"));
  }
  QtSettingsStore window;
  EXPECT_EQ(window.GetNumber("Settings", "FontSize"), 14u);
  EXPECT_EQ(window.GetString("Volumes/WORK", "Path"), "/tmp/work");
  DeferredSettingsStore again;
  EXPECT_EQ(again.EnumSubKeys("Volumes"), std::vector<std::string>{"WORK"});
  EXPECT_TRUE(again.DeleteKey("Volumes/WORK"));
  EXPECT_FALSE(again.KeyExists("Volumes/WORK"));
}

}  // namespace
