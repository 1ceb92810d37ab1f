// The volume table: loading from the settings store (every step), the
// default and read-only rules, session volumes, and what is saved.
#include "volumes/volumes.h"

#include <gtest/gtest.h>

#include "base/errors.h"
#include "support/scripted_host.h"
#include "volume_fixture.h"

namespace torvic {
namespace {

using testing::ScratchFolder;
using testing::TestFolders;

struct Stored {
  const char* key;
  const char* folder;  // nullptr: no Folder value
  int attributes;      // -1: no Attributes value
};

struct TableFixture {
  ScratchFolder scratch;
  platform::ScriptedHost store;
  TestFolders folders;
  VolumeTable table;

  TableFixture() {
    folders.defaultFolder = scratch.Folder("documents/TORVIC");
    table.Attach(store, &folders);
  }
  void Store(const std::vector<Stored>& entries) {
    store.CreateKey("Volumes");
    for (const Stored& e : entries) {
      const std::string key = std::string("Volumes/") + e.key;
      store.CreateKey(key);
      if (e.folder) store.SetString(key, "Folder", e.folder);
      if (e.attributes >= 0)
        store.SetNumber(key, "Attributes", static_cast<uint32_t>(e.attributes));
    }
  }
  // "NAME*R" for each volume: default and read-only marks.
  std::string Summary() {
    std::string s;
    for (const Volume& v : table.Volumes()) {
      if (!s.empty()) s += ' ';
      s += v.name + (v.isDefault ? "*" : "") + (v.readOnly ? "R" : "");
    }
    return s;
  }
};

TEST(VolumeTable, FirstStartMakesTheDefaultTableWithoutSavingIt) {
  TableFixture f;
  EXPECT_EQ(f.Summary(), "TORVIC*");
  EXPECT_EQ(f.table.Volumes()[0].folder, f.folders.defaultFolder);
  EXPECT_EQ(f.table.WorkVolume(), "TORVIC");
  EXPECT_TRUE(f.store.KeyExists("Volumes"));
  EXPECT_TRUE(f.store.EnumSubKeys("Volumes").empty());
  // A key without volumes makes the default table again at the next start.
  VolumeTable again;
  again.Attach(f.store, &f.folders);
  EXPECT_EQ(again.DefaultName(), "TORVIC");
  EXPECT_EQ(f.folders.defaultTablesMade, 2);
}

TEST(VolumeTable, DefaultTableIsReadOnlyWhenItsFolderCannotBeWritten) {
  TableFixture f;
  f.folders.readOnly.insert(f.folders.defaultFolder);
  EXPECT_EQ(f.Summary(), "TORVIC*R");
}

TEST(VolumeTable, LoadingReadsEveryValidEntry) {
  ScratchFolder s;
  const std::string a = s.Folder("a"), b = s.Folder("b");
  struct Case {
    const char* name;
    std::vector<Stored> entries;
    std::vector<std::string> readOnlyFolders;
    const char* summary;
  };
  const std::string missing = s.Path() + "/missing";
  const Case cases[] = {
      {"two defaults: the first in name order keeps it",
       {{"ZED", a.c_str(), 1}, {"ALPHA", b.c_str(), 1}},
       {},
       "ALPHA* ZED"},
      {"no default: TORVIC takes it",
       {{"ALPHA", a.c_str(), 0}, {"torvic", b.c_str(), 0}},
       {},
       "ALPHA TORVIC*"},
      {"no default and no TORVIC: the first",
       {{"ZED", a.c_str(), 0}, {"MID", b.c_str(), 0}},
       {},
       "MID* ZED"},
      {"names in upper case, name order by bytes",
       {{"b2", a.c_str(), 1}, {"B10", b.c_str(), 0}},
       {},
       "B10 B2*"},
      {"read-only from bit 1", {{"A", a.c_str(), 3}, {"B", b.c_str(), 0}}, {}, "A*R B"},
      {"read-only when the folder cannot be written",
       {{"A", a.c_str(), 1}, {"B", b.c_str(), 0}},
       {b},
       "A* BR"},
      {"a missing folder is no reason for read-only", {{"A", missing.c_str(), 1}}, {missing}, "A*"},
      {"read-only spreads over volumes of one folder",
       {{"A", a.c_str(), 1}, {"B", a.c_str(), 2}, {"C", b.c_str(), 0}},
       {},
       "A*R BR C"},
      {"entries lacking a value are skipped",
       {{"A", a.c_str(), 1}, {"NOFOLDER", nullptr, 0}, {"NOATTR", b.c_str(), -1}},
       {},
       "A*"},
      {"an empty folder cannot be made a full path", {{"A", a.c_str(), 1}, {"E", "", 0}}, {}, "A*"},
      {"one name in two spellings: the first read counts",
       {{"WORK", a.c_str(), 1}, {"work", b.c_str(), 0}},
       {},
       "WORK*"},
      {"only invalid entries: the default table", {{"BAD_NAME", a.c_str(), 1}}, {}, "TORVIC*"},
  };
  for (const Case& c : cases) {
    TableFixture f;
    f.Store(c.entries);
    for (const std::string& ro : c.readOnlyFolders) f.folders.readOnly.insert(ro);
    EXPECT_EQ(f.Summary(), c.summary) << c.name;
  }
}

TEST(VolumeTable, InvalidNamesAreDeletedAndIncompleteEntriesLeftAlone) {
  TableFixture f;
  const std::string a = f.scratch.Folder("a");
  f.Store({{"GOOD", a.c_str(), 1},
           {"HAS_UNDERSCORE", a.c_str(), 0},
           {"SIXTEENCHARSLONG", a.c_str(), 0},
           {"NOFOLDER", nullptr, 0}});
  EXPECT_EQ(f.Summary(), "GOOD*");
  EXPECT_FALSE(f.store.KeyExists("Volumes/HAS_UNDERSCORE"));
  EXPECT_FALSE(f.store.KeyExists("Volumes/SIXTEENCHARSLONG"));
  EXPECT_TRUE(f.store.KeyExists("Volumes/NOFOLDER"));
  EXPECT_TRUE(f.store.KeyExists("Volumes/GOOD"));
}

TEST(VolumeTable, StoredFoldersBecomeFullPaths) {
  TableFixture f;
  const std::string a = f.scratch.Folder("a");
  const std::string cwd = std::filesystem::current_path().string();
  f.Store({{"A", (a + "/").c_str(), 1},
           {"ROOT", "/", 0},
           {"REL", "x/../y", 0},
           {"DOTS", (a + "/./sub/..").c_str(), 0}});
  EXPECT_EQ(f.table.FindVolume("A")->folder, a);
  EXPECT_EQ(f.table.FindVolume("ROOT")->folder, "/");
  EXPECT_EQ(f.table.FindVolume("REL")->folder, (cwd == "/" ? "" : cwd) + "/y");
  EXPECT_EQ(f.table.FindVolume("DOTS")->folder, a);
}

TEST(VolumeTable, LookupsIgnoreCase) {
  TableFixture f;
  const std::string a = f.scratch.Folder("a");
  f.Store({{"WORK", a.c_str(), 1}});
  ASSERT_NE(f.table.FindVolume("work"), nullptr);
  EXPECT_EQ(f.table.FindVolume("wOrK")->name, "WORK");
  EXPECT_EQ(f.table.FindVolume("WORKS"), nullptr);
  EXPECT_EQ(f.table.DefaultVolume()->name, "WORK");
}

// CV, VOLUME and SET VOLUME: the default for the run, never saved.
TEST(VolumeTable, DefaultForTheSessionIsNotSaved) {
  TableFixture f;
  const std::string a = f.scratch.Folder("a"), b = f.scratch.Folder("b");
  f.Store({{"A", a.c_str(), 1}, {"B", b.c_str(), 0}});
  EXPECT_EQ(f.table.SetDefaultForSession("ABCDEFGHIJKLMNOP"), kErrInvalidVolume);
  EXPECT_EQ(f.table.SetDefaultForSession("B C"), kErrInvalidVolume);
  EXPECT_EQ(f.table.SetDefaultForSession(""), kErrInvalidVolume);
  EXPECT_EQ(f.table.SetDefaultForSession("NONE"), kErrVolumeDoesNotExist);
  EXPECT_EQ(f.Summary(), "A* B");
  EXPECT_EQ(f.table.SetDefaultForSession("b"), kOk);
  EXPECT_EQ(f.Summary(), "A B*");
  EXPECT_EQ(f.store.GetNumber("Volumes/A", "Attributes"), 1u);
  EXPECT_EQ(f.store.GetNumber("Volumes/B", "Attributes"), 0u);
  // The next start finds the stored default again.
  VolumeTable restarted;
  restarted.Attach(f.store, &f.folders);
  EXPECT_EQ(restarted.DefaultName(), "A");
}

TEST(VolumeTable, SessionVolumesReplaceStoredOnesForTheRunOnly) {
  TableFixture f;
  const std::string a = f.scratch.Folder("a"), b = f.scratch.Folder("b"), c = f.scratch.Folder("c");
  f.Store({{"A", a.c_str(), 1}, {"PROJ", a.c_str(), 0}});
  f.table.AddSessionVolume("proj", b, false);
  f.table.AddSessionVolume("Z", c, true);
  // The first mount is the default; the stored PROJ is replaced.
  EXPECT_EQ(f.Summary(), "A PROJ* ZR");
  EXPECT_EQ(f.table.FindVolume("PROJ")->folder, b);
  EXPECT_TRUE(f.table.FindVolume("PROJ")->session);
  EXPECT_EQ(f.table.WorkVolume(), "PROJ");
  // Saving a session volume writes nothing.
  EXPECT_TRUE(f.table.SaveVolume(*f.table.FindVolume("Z")));
  EXPECT_FALSE(f.store.KeyExists("Volumes/Z"));
  EXPECT_EQ(f.store.GetString("Volumes/PROJ", "Folder"), a);
  // A folder the host refuses to write mounts read-only, and the volumes
  // of one folder agree.
  TableFixture g;
  const std::string d = g.scratch.Folder("d");
  g.folders.readOnly.insert(d);
  g.table.AddSessionVolume("D", d, false);
  g.table.AddSessionVolume("E", g.folders.defaultFolder, true);
  EXPECT_EQ(g.Summary(), "D*R ER TORVICR");
}

TEST(VolumeTable, AnUnattachedTableHoldsItsSessionVolumesOnly) {
  VolumeTable table;
  EXPECT_EQ(table.Count(), 0u);
  EXPECT_EQ(table.DefaultVolume(), nullptr);
  EXPECT_EQ(table.DefaultName(), "");
  table.AddSessionVolume("ONE", "/", false);
  EXPECT_EQ(table.DefaultName(), "ONE");
  EXPECT_FALSE(table.SaveVolume(*table.FindVolume("ONE")));
}

TEST(VolumeTable, SavingAndDeletingMatchStoredKeysWithoutRegardToCase) {
  TableFixture f;
  const std::string a = f.scratch.Folder("a"), b = f.scratch.Folder("b");
  f.Store({{"work", a.c_str(), 0}, {"HOME", b.c_str(), 1}});
  Volume v = *f.table.FindVolume("WORK");
  v.readOnly = true;
  v.folder = b;
  EXPECT_TRUE(f.table.SaveVolume(v));
  EXPECT_EQ(f.store.GetString("Volumes/work", "Folder"), b);
  EXPECT_EQ(f.store.GetNumber("Volumes/work", "Attributes"), 2u);
  EXPECT_FALSE(f.store.KeyExists("Volumes/WORK"));
  Volume n;
  n.name = "NEW";
  n.folder = a;
  n.isDefault = true;
  EXPECT_TRUE(f.table.SaveVolume(n));
  EXPECT_EQ(f.store.GetNumber("Volumes/NEW", "Attributes"), 1u);
  f.table.ClearStoredDefaults("new");
  EXPECT_EQ(f.store.GetNumber("Volumes/HOME", "Attributes"), 0u);
  EXPECT_EQ(f.store.GetNumber("Volumes/NEW", "Attributes"), 1u);
  EXPECT_TRUE(f.table.DeleteVolumeKey("WORK"));
  EXPECT_FALSE(f.store.KeyExists("Volumes/work"));
}

TEST(VolumeTable, FolderExistsUnlessTheHostSaysItIsMissing) {
  ScratchFolder s;
  VolumeTable table;
  EXPECT_TRUE(table.FolderExists(s.Path()));
  EXPECT_FALSE(table.FolderExists(s.Path() + "/missing"));
  EXPECT_FALSE(table.FolderExists(s.File("plain")));
  EXPECT_FALSE(table.FolderExists(s.File("plain") + "/below"));
}

TEST(VolumeTable, VolumeNamesAreOneToFifteenLettersAndDigits) {
  struct Case {
    const char* name;
    bool valid;
  } cases[] = {
      {"A", true},
      {"TORVIC", true},
      {"abc123", true},
      {"", false},
      {"A_B", false},
      {"A B", false},
      {"A:", false},
      {"ABCDEFGHIJKLMNO", true},
      {"ABCDEFGHIJKLMNOP", false},
      {"\xC4", false},
      {"A.B", false},
  };
  for (const Case& c : cases) EXPECT_EQ(IsVolumeName(c.name), c.valid) << c.name;
}

}  // namespace
}  // namespace torvic
