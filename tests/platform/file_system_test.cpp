// The host file-system helpers: patterns, listings, attributes, the
// documents folder and full paths.
#include "platform/file_system.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <map>

#include "../volumes/volume_fixture.h"

namespace torvic::platform {
namespace {

using torvic::testing::ScratchFolder;

TEST(FileSystem, PatternsMatchWithoutRegardToCase) {
  struct {
    const char* name;
    const char* pattern;
    bool matches;
  } cases[] = {
      {"GAME.TVC", "*.tvc", true},
      {"game.tvc", "G*.TVC", true},
      {"game.tvc", "*", true},
      {"game.tvc", "*.*", true},
      {"README", "*.*", true},
      {"README", "R*.*", true},
      {"README", "*.", true},
      {"game.tvc", "*.", false},
      {"a.b.c", "*.c", true},
      {"a.b.c", "a.*", true},
      {"ab", "a?", true},
      {"a", "a?", false},
      {"abc", "a?", false},
      {"abc", "*c", true},
      {"abc", "*b", false},
      {"aXbXc", "a*b*c", true},
      {"ab", "a*b*c", false},
      {"x.tvc", "X.TVC", true},
      {"x.tvc", "x.tv", false},
      {"", "*", true},
      {"scores.dat", "s*s.d?t", true},
      {"\xE9t\xE9", "\xE9*", true},
      {"\xC9T\xC9", "\xE9*", false},  // only ASCII folds
  };
  for (const auto& c : cases)
    EXPECT_EQ(MatchesPattern(c.name, c.pattern), c.matches) << c.name << " " << c.pattern;
}

TEST(FileSystem, ListingsHoldMatchingPlainFilesOnly) {
  ScratchFolder s;
  s.File("b.TXT", "12345");
  s.File("A.txt", "1");
  s.File("c.dat");
  s.File("noext");
  std::filesystem::create_directories(s.Path() + "/folder.txt");
  std::vector<FileInfo> files;
  ASSERT_EQ(ListFiles(s.Path(), "*.txt", files), 0);
  SortByName(files);
  ASSERT_EQ(files.size(), 2u);
  EXPECT_EQ(files[0].name, "A.txt");
  EXPECT_EQ(files[1].name, "b.TXT");
  EXPECT_EQ(files[1].size, 5u);
  EXPECT_FALSE(files[1].readOnly);
  files.clear();
  ASSERT_EQ(ListFiles(s.Path(), "*.*", files), 0);
  EXPECT_EQ(files.size(), 4u);
  files.clear();
  EXPECT_EQ(ListFiles(s.Path() + "/missing", "*", files), ENOENT);
  EXPECT_TRUE(files.empty());
}

TEST(FileSystem, SortedByNameWithoutRegardToCaseThenBytes) {
  std::vector<FileInfo> files;
  for (const char* n : {"b", "B", "a.txt", "A.TXT", "_x", "aa"}) {
    FileInfo f;
    f.name = n;
    files.push_back(f);
  }
  SortByName(files);
  std::string order;
  for (const FileInfo& f : files) order += f.name + " ";
  EXPECT_EQ(order, "A.TXT a.txt aa B b _x ");
}

TEST(FileSystem, AttributesAndTimes) {
  ScratchFolder s;
  const std::string file = s.File("f.txt", "abc");
  FileInfo info;
  bool folder = true;
  ASSERT_EQ(Inspect(file, info, &folder), 0);
  EXPECT_FALSE(folder);
  EXPECT_EQ(info.name, "f.txt");
  EXPECT_EQ(info.size, 3u);
  EXPECT_FALSE(info.readOnly);
  EXPECT_GE(info.lastWrite.year, 2024);
  ASSERT_EQ(SetReadOnly(file, true), 0);
  ASSERT_EQ(Inspect(file, info), 0);
  EXPECT_TRUE(info.readOnly);
  ASSERT_EQ(SetReadOnly(file, false), 0);
  ASSERT_EQ(Inspect(file, info), 0);
  EXPECT_FALSE(info.readOnly);
  EXPECT_EQ(Inspect(s.Path() + "/none", info), ENOENT);
  EXPECT_EQ(SetReadOnly(s.Path() + "/none", true), ENOENT);
  ASSERT_EQ(Inspect(s.Path(), info, &folder), 0);
  EXPECT_TRUE(folder);
  uint64_t free = 0;
  EXPECT_EQ(FreeSpace(s.Path(), free), 0);
  EXPECT_GT(free, 0u);
  EXPECT_EQ(FreeSpace(s.Path() + "/none", free), ENOENT);
}

TEST(FileSystem, FullPaths) {
  const std::string cwd = std::filesystem::current_path().string();
  struct {
    std::string path;
    std::optional<std::string> full;
  } cases[] = {
      {"/", "/"},         {"//", "/"},
      {"/a/b/", "/a/b"},  {"/a/./b/../c", "/a/c"},
      {"/..", "/"},       {"rel", cwd + "/rel"},
      {"", std::nullopt}, {std::string("/a\0b", 4), std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(FullPath(c.path), c.full) << c.path;
}

TEST(FileSystem, DocumentsFolder) {
  ScratchFolder home;
  std::map<std::string, std::string> env;
  const auto getenv = [&](const char* name) -> const char* {
    const auto it = env.find(name);
    return it == env.end() ? nullptr : it->second.c_str();
  };
  env["HOME"] = home.Path();
  EXPECT_EQ(DocumentsFolder(getenv), home.Path() + "/Documents");
  // The user's folder list, in the configuration folder.
  home.Folder(".config");
  home.File(".config/user-dirs.dirs",
            "# written by xdg-user-dirs-update\nXDG_DESKTOP_DIR=\"$HOME/Desktop\"\n"
            "XDG_DOCUMENTS_DIR=\"$HOME/Dokumente\"\n");
  EXPECT_EQ(DocumentsFolder(getenv), home.Path() + "/Dokumente");
  home.Folder("cfg");
  home.File("cfg/user-dirs.dirs", "XDG_DOCUMENTS_DIR=\"/srv/docs\"\n");
  env["XDG_CONFIG_HOME"] = home.Path() + "/cfg";
  EXPECT_EQ(DocumentsFolder(getenv), "/srv/docs");
  // The environment comes first; a relative value is no folder.
  env["XDG_DOCUMENTS_DIR"] = "relative";
  EXPECT_EQ(DocumentsFolder(getenv), "/srv/docs");
  env["XDG_DOCUMENTS_DIR"] = "/data/documents";
  EXPECT_EQ(DocumentsFolder(getenv), "/data/documents");
}

TEST(FileSystem, NamesFoundWithoutRegardToCase) {
  ScratchFolder s;
  s.File("Mixed.Txt");
  s.File("b.txt");
  s.File("B.TXT");
  s.Folder("SUB");
  EXPECT_EQ(FindNameIgnoringCase(s.Path(), "mixed.txt"), "Mixed.Txt");
  EXPECT_EQ(FindNameIgnoringCase(s.Path(), "b.txt"), "b.txt");
  EXPECT_EQ(FindNameIgnoringCase(s.Path(), "b.TXT"), "B.TXT");
  EXPECT_EQ(FindNameIgnoringCase(s.Path(), "sub"), std::nullopt);
  EXPECT_EQ(FindNameIgnoringCase(s.Path(), "none"), std::nullopt);
  EXPECT_EQ(FindNameIgnoringCase(s.Path() + "/missing", "x"), std::nullopt);
}

TEST(FileSystem, FoldersAndWriteAccess) {
  ScratchFolder s;
  EXPECT_TRUE(FolderExists(s.Path()));
  EXPECT_TRUE(FolderWritable(s.Path()));
  EXPECT_FALSE(FolderExists(s.Path() + "/none"));
  EXPECT_FALSE(FolderWritable(s.Path() + "/none"));
  EXPECT_FALSE(ExecutableFolder().empty());
  // Root may write everywhere, so the refusal can only be seen by others.
  if (::geteuid() != 0) {
    const std::string closed = s.Folder("closed");
    std::filesystem::permissions(
        closed, std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    EXPECT_FALSE(FolderWritable(closed));
    EXPECT_TRUE(FolderExists(closed));
  }
}

}  // namespace
}  // namespace torvic::platform
