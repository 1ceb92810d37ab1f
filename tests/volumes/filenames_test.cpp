// BASIC file names: resolution to host paths, the syntax check, the volume
// part and the read check.
#include "volumes/filenames.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "base/errors.h"
#include "volume_fixture.h"

namespace torvic {
namespace {

using testing::ScratchFolder;

// Two volumes on scratch folders: WORK (the default) and DATA, and GONE,
// whose folder is deleted.
struct NameFixture {
  ScratchFolder scratch;
  std::string work = scratch.Folder("work"), data = scratch.Folder("data");
  VolumeTable table;
  NameFixture() {
    table.AddSessionVolume("WORK", work, false);
    table.AddSessionVolume("DATA", data, true);
    const std::string gone = scratch.Folder("gone");
    table.AddSessionVolume("GONE", gone, false);
    std::filesystem::remove(gone);
  }
};

struct Case {
  const char* name;
  const char* extension;
  const char* path;  // under the WORK folder ("" for an error)
  int32_t error;
};

void Check(NameFixture& f, const Case* cases, size_t n, bool pattern) {
  for (size_t i = 0; i < n; ++i) {
    const Case& c = cases[i];
    ResolvedName r;
    const int32_t e = pattern ? ResolveFilePattern(f.table, c.name, c.extension, r)
                              : ResolveFileName(f.table, c.name, c.extension, r);
    EXPECT_EQ(e, c.error) << c.name;
    if (e == 0 && c.error == 0) {
      EXPECT_EQ(r.path, f.work + "/" + c.path) << c.name;
      EXPECT_EQ(r.file, c.path) << c.name;
    }
  }
}

TEST(FileNames, SingleNames) {
  NameFixture f;
  const std::string long256(256, 'a'), long257(257, 'a');
  const std::string nul("A\0B", 3);
  const Case cases[] = {
      {"X", "tvc", "X.tvc", 0},
      {":X", "tvc", "X.tvc", 0},
      {"work:X", "tvc", "X.tvc", 0},
      {"X.", "tvc", "X", 0},  // an explicit "no extension"
      {"X.BAS", "tvc", "X.BAS", 0},
      {"A.B.C", "tvc", "A.B.C", 0},
      {"X", "", "X", 0},  // no default extension: nothing added
      {".hidden", "tvc", ".hidden", 0},
      {"..x", "tvc", "..x", 0},
      {"x..", "tvc", "x.", 0},
      {"Caf\xE9", "dat", "Caf\xE9.dat", 0},
      // reserved device names, in any case
      {"con", "tvc", "", kErrInvalidFileName},
      {"Con.txt", "tvc", "", kErrInvalidFileName},
      {"LPT1.dat", "tvc", "", kErrInvalidFileName},
      {"CLOCK$", "tvc", "", kErrInvalidFileName},
      {"com9", "", "", kErrInvalidFileName},
      {"COM0", "", "COM0", 0},
      {"CONSOLE", "", "CONSOLE", 0},
      // the volume part
      {"ABCDEFGHIJKLMNOP:X", "tvc", "", kErrInvalidVolume},
      {"WO RK:X", "tvc", "", kErrInvalidVolume},
      {"A.B:X", "tvc", "", kErrInvalidVolume},
      {"NOWHERE:X", "tvc", "", kErrVolumeDoesNotExist},
      {"GONE:X", "tvc", "", kErrFolderGone},
      {"WORK:", "tvc", "", kErrInvalidFileName},
      {"", "tvc", "", kErrInvalidFileName},
      {"WORK:X:Y", "tvc", "", kErrInvalidFileName},
      // forbidden characters
      {"A?", "tvc", "", kErrInvalidFileName},
      {"A*", "tvc", "", kErrInvalidFileName},
      {"A/B", "tvc", "", kErrInvalidFileName},
      {"A\\B", "tvc", "", kErrInvalidFileName},
      {"A|B", "tvc", "", kErrInvalidFileName},
      {"A<B", "tvc", "", kErrInvalidFileName},
      {"A\"B", "tvc", "", kErrInvalidFileName},
      {"A\tB", "tvc", "", kErrInvalidFileName},
      {"A.B?", "tvc", "", kErrInvalidFileName},
      // nothing leaves the folder
      {".", "tvc", "", kErrInvalidFileName},
      {"..", "tvc", "", kErrInvalidFileName},
      {"...", "tvc", "", kErrInvalidFileName},
      {"WORK:..", "", "", kErrInvalidFileName},
      {"../X", "tvc", "", kErrInvalidFileName},
      // lengths: a base of 256 fits the rules but not one host entry
      {long257.c_str(), "", "", kErrInvalidFileName},
      {long256.c_str(), "", "", kErrInvalidFileName},
  };
  Check(f, cases, std::size(cases), false);
  ResolvedName r;
  EXPECT_EQ(ResolveFileName(f.table, nul, "tvc", r), kErrInvalidFileName);
}

TEST(FileNames, TheHostPathStaysBelowItsLimits) {
  NameFixture f;
  // Path so far: the folder and "/"; the base must keep the total below 260.
  const size_t room = kMaxHostPath - (f.work.size() + 1);  // characters left
  ResolvedName r;
  EXPECT_EQ(ResolveFileName(f.table, std::string(room, 'b'), "", r),
            room <= 255 ? kOk : kErrInvalidFileName);
  EXPECT_EQ(ResolveFileName(f.table, std::string(room + 1, 'b'), "", r), kErrInvalidFileName);
  // The default extension counts as well.
  EXPECT_EQ(ResolveFileName(f.table, std::string(room - 4, 'b'), "tvc", r),
            room - 4 <= 255 ? kOk : kErrInvalidFileName);
  EXPECT_EQ(ResolveFileName(f.table, std::string(room - 3, 'b'), "tvc", r), kErrInvalidFileName);
  EXPECT_EQ(ResolveFileName(f.table, "b." + std::string(room - 2, 'e'), "", r),
            room <= 255 ? kOk : kErrInvalidFileName);
  EXPECT_EQ(ResolveFileName(f.table, "b." + std::string(room - 1, 'e'), "", r),
            kErrInvalidFileName);
}

TEST(FileNames, Patterns) {
  NameFixture f;
  const Case cases[] = {
      {"WORK:", "tvc", "*.*", 0},
      {"", "", "*.*", 0},
      {":", "", "*.*", 0},
      {"?", "tvc", "?.tvc", 0},
      {"A*", "", "A*", 0},
      {"*.BAS", "tvc", "*.BAS", 0},
      {"A*.", "tvc", "A*.", 0},  // names without an extension
      {"A.", "tvc", "A", 0},     // without wildcards: the name itself
      {"X", "tvc", "X.tvc", 0},
      {"NOWHERE:*", "", "", kErrVolumeDoesNotExist},
      {"BAD_VOL:*", "", "", kErrInvalidVolume},
      {"GONE:", "", "", kErrFolderGone},
      {"A/*", "", "", kErrInvalidFileName},
      {"con.*", "", "", kErrInvalidFileName},
      {"..", "", "", kErrInvalidFileName},
      {"...", "", "", kErrInvalidFileName},
  };
  Check(f, cases, std::size(cases), true);
}

TEST(FileNames, OtherVolumesResolveInTheirOwnFolders) {
  NameFixture f;
  ResolvedName r;
  ASSERT_EQ(ResolveFileName(f.table, "data:scores", "dat", r), kOk);
  EXPECT_EQ(r.path, f.data + "/scores.dat");
  EXPECT_EQ(r.volume, "DATA");
  EXPECT_TRUE(r.readOnly);
  ASSERT_EQ(f.table.SetDefaultForSession("DATA"), kOk);
  ASSERT_EQ(ResolveFileName(f.table, "X", "tvc", r), kOk);
  EXPECT_EQ(r.path, f.data + "/X.tvc");
}

// Linux names depend on case, BASIC names do not.
TEST(FileNames, AnExistingFileIsFoundWithoutRegardToCase) {
  NameFixture f;
  for (const char* n : {"startrek.tvc", "SCORES.DAT", "b.txt", "B.TXT", "c.TXT", "C.txt"})
    std::ofstream(f.work + "/" + n) << "x";
  std::filesystem::create_directories(f.work + "/Dir.tvc");
  struct {
    const char* name;
    const char* extension;
    const char* file;
  } cases[] = {
      {"STARTREK", "tvc", "startrek.tvc"},
      {"StarTrek.TVC", "tvc", "startrek.tvc"},
      {"scores", "DAT", "SCORES.DAT"},
      {"scores", "dat", "SCORES.DAT"},
      {"b.txt", "", "b.txt"},  // the exact spelling wins
      {"B.TXT", "", "B.TXT"},
      {"b.Txt", "", "B.TXT"},  // else the first in byte order
      {"c.txt", "", "C.txt"},
      {"new.dat", "", "new.dat"},  // a new file keeps the name as written
      {"DIR", "tvc", "DIR.tvc"},   // folders are no match
  };
  for (const auto& c : cases) {
    ResolvedName r;
    ASSERT_EQ(ResolveFileName(f.table, c.name, c.extension, r), kOk) << c.name;
    EXPECT_EQ(r.file, c.file) << c.name;
    EXPECT_EQ(r.path, f.work + "/" + c.file) << c.name;
  }
  // Patterns keep their spelling; matching them is the listing's work.
  ResolvedName r;
  ASSERT_EQ(ResolveFilePattern(f.table, "STARTREK", "TVC", r), kOk);
  EXPECT_EQ(r.file, "STARTREK.TVC");
}

TEST(FileNames, SyntaxCheckAlone) {
  const std::string long259(259, 'a'), long260(260, 'a');
  struct {
    std::string name;
    bool valid;
  } cases[] = {
      {"X", true},
      {"NOWHERE:X.DAT", true},  // no volume lookup
      {":X", true},
      {"X.", true},
      {"CON", false},
      {"con", true},  // only the upper-case forms fail here
      {"LPT1.DAT", false},
      {"Lpt1.dat", true},
      {"ABCDEFGHIJKLMNOP:X", false},
      {"A B:X", false},
      {"WORK:", false},
      {"", false},
      {"A?", false},
      {"A*.B", false},
      {"A.B?", false},
      {std::string("A\0", 2), false},
      {"A\x1F", false},
      {"..", false},
      {"...", false},
      {"..x", true},
      {long259, true},
      {long260, false},
      {"x." + long259, true},
      {"x." + long260, false},
  };
  for (const auto& c : cases) EXPECT_EQ(IsValidFileName(c.name), c.valid) << c.name;
}

TEST(FileNames, VolumeOfAName) {
  NameFixture f;
  struct {
    const char* name;
    bool ok;
    const char* volume;
  } cases[] = {
      {"X.DAT", true, "WORK"},        {":X", true, "WORK"}, {"data:X", true, "data"},
      {"NOWHERE:X", true, "NOWHERE"}, {"A B:X", false, ""}, {"ABCDEFGHIJKLMNOP:X", false, ""},
  };
  for (const auto& c : cases) {
    std::string volume;
    EXPECT_EQ(VolumeOfName(f.table, c.name, volume), c.ok) << c.name;
    if (c.ok) { EXPECT_EQ(volume, c.volume) << c.name; }
  }
  VolumeTable empty;
  std::string volume;
  EXPECT_FALSE(VolumeOfName(empty, "X", volume));
}

TEST(FileNames, ReadAccess) {
  ScratchFolder s;
  const std::string file = s.File("readable.txt");
  EXPECT_EQ(CheckReadAccess(file), kOk);
  EXPECT_EQ(CheckReadAccess(s.Path() + "/missing.txt"), kErrFileNotFound);
  EXPECT_EQ(CheckReadAccess(s.Path()), kErrAccessDenied);
  EXPECT_EQ(CheckReadAccess(file + "/below"), kErrInvalidFileName);
  EXPECT_EQ(CheckReadAccess(s.Path() + "/" + std::string(300, 'n')), kErrInvalidFileName);
  // Root reads everything: the refusal shows only for other users.
  if (::geteuid() != 0) {
    const std::string closed = s.File("closed.txt");
    std::filesystem::permissions(closed, std::filesystem::perms::none);
    EXPECT_EQ(CheckReadAccess(closed), kErrAccessDenied);
  }
}

}  // namespace
}  // namespace torvic
