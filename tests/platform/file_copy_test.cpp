// Copying, moving and deleting host files, the append target, the trash
// hook, access tests and the DOS-style short names of the catalogue.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "../volumes/volume_fixture.h"
#include "platform/file_system.h"

namespace torvic::platform {
namespace {

using torvic::testing::ScratchFolder;

std::string Contents(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

struct timespec MTime(const std::string& path) {
  struct stat st {};
  ::stat(path.c_str(), &st);
  return st.st_mtim;
}

TEST(FileCopy, CopyKeepsTheSourcesTimeAndReplacesTheDestination) {
  ScratchFolder s;
  const std::string from = s.File("a.txt", "new contents");
  const std::string to = s.File("b.txt", "old contents that were longer");
  const struct timespec when[2] = {{1194181509, 0}, {1194181509, 0}};  // 2007-11-04
  ASSERT_EQ(::utimensat(AT_FDCWD, from.c_str(), when, 0), 0);
  ASSERT_EQ(CopyFile(from, to), 0);
  EXPECT_EQ(Contents(to), "new contents");
  EXPECT_EQ(MTime(to).tv_sec, 1194181509);
}

TEST(FileCopy, RefusalsLeaveTheDestinationAsItWas) {
  ScratchFolder s;
  const std::string a = s.File("a.txt", "a");
  const std::string kept = s.File("kept.txt", "kept");
  ::chmod(kept.c_str(), 0444);
  s.Folder("folder");
  ::symlink(a.c_str(), (s.Path() + "/link.txt").c_str());
  ::mkfifo((s.Path() + "/pipe").c_str(), 0600);
  struct {
    std::string from, to;
    int error;
  } cases[] = {
      {a, a, EBUSY},                       // onto itself: nothing truncated
      {a, s.Path() + "/link.txt", EBUSY},  // onto itself through a link
      {a, kept, EACCES},                   // the read-only attribute, even for root
      {a, s.Path() + "/folder", EISDIR},
      {s.Path() + "/folder", s.Path() + "/x", EISDIR},
      {s.Path() + "/pipe", s.Path() + "/x", EINVAL},  // no plain file, and no wait
      {s.Path() + "/missing", s.Path() + "/x", ENOENT},
  };
  for (const auto& c : cases) EXPECT_EQ(CopyFile(c.from, c.to), c.error) << c.from << " " << c.to;
  EXPECT_EQ(Contents(a), "a");
  EXPECT_EQ(Contents(kept), "kept");
  EXPECT_FALSE(std::filesystem::exists(s.Path() + "/x"));
}

TEST(FileCopy, CopyThatFailsHalfWayRemovesThePartialDestination) {
  // /dev/full takes the open and refuses every write: the copy fails after
  // the destination was made, and a file copied that way must not be left.
  ScratchFolder s;
  const std::string from = s.File("a.txt", std::string(100000, 'x'));
  if (::access("/dev/full", W_OK) != 0) GTEST_SKIP() << "no /dev/full";
  // A link in the folder to /dev/full stands for a disk that fills up.
  const std::string to = s.Path() + "/full";
  ASSERT_EQ(::symlink("/dev/full", to.c_str()), 0);
  EXPECT_EQ(CopyFile(from, to), ENOSPC);
  struct stat st;
  EXPECT_NE(::lstat(to.c_str(), &st), 0) << "the partial destination is gone";
}

TEST(FileCopy, MoveRefusesAnExistingDestinationUnlessToldToReplace) {
  ScratchFolder s;
  const std::string a = s.File("a.txt", "a"), b = s.File("b.txt", "b");
  EXPECT_EQ(MoveFile(a, b, false), EEXIST);
  EXPECT_EQ(Contents(b), "b");
  EXPECT_EQ(MoveFile(a, b, true), 0);
  EXPECT_EQ(Contents(b), "a");
  EXPECT_FALSE(std::filesystem::exists(a));
  EXPECT_EQ(MoveFile(a, b, true), ENOENT);
  const std::string c = s.File("c.txt", "c");
  ::chmod(b.c_str(), 0444);
  EXPECT_EQ(MoveFile(c, b, true), EACCES);
}

TEST(FileCopy, DeleteRefusesReadOnlyFilesAndFolders) {
  ScratchFolder s;
  const std::string a = s.File("a.txt");
  ::chmod(a.c_str(), 0444);
  EXPECT_EQ(DeleteFile(a), EACCES);
  EXPECT_EQ(DeleteFile(s.Folder("f")), EISDIR);
  EXPECT_EQ(DeleteFile(s.Path() + "/none"), ENOENT);
  ::chmod(a.c_str(), 0644);
  EXPECT_EQ(DeleteFile(a), 0);
  EXPECT_FALSE(std::filesystem::exists(a));
}

TEST(FileCopy, AppendTargetStopsAtItsRoomAndKnowsItself) {
  ScratchFolder s;
  const std::string a = s.File("a", std::string(1300, 'a')), b = s.File("b", "bbbb");
  AppendTarget t;
  ASSERT_EQ(t.Open(s.Path() + "/all"), 0);
  EXPECT_TRUE(t.IsSameFile(s.Path() + "/all"));
  EXPECT_FALSE(t.IsSameFile(a));
  uint64_t n = 0;
  EXPECT_EQ(t.Append(a, 10000, n), 0);
  EXPECT_EQ(n, 1300u);
  EXPECT_EQ(t.Append(b, 2, n), EFBIG);
  EXPECT_EQ(n, 2u);
  EXPECT_EQ(t.Close(), 0);
  EXPECT_EQ(Contents(s.Path() + "/all"), std::string(1300, 'a') + "bb");
}

int trashed = 0;
int FakeTrash(const std::string&) { return ++trashed, 0; }

TEST(FileCopy, TrashGoesThroughTheInstalledHandler) {
  ScratchFolder s;
  const std::string a = s.File("a");
  SetTrashHandler(nullptr);
  EXPECT_EQ(MoveToTrash(a), ENOSYS);
  SetTrashHandler(FakeTrash);
  EXPECT_EQ(MoveToTrash(a), 0);
  EXPECT_EQ(MoveToTrash(s.Path() + "/none"), ENOENT);
  EXPECT_EQ(MoveToTrash(s.Folder("f")), EISDIR);
  EXPECT_EQ(trashed, 1);
  SetTrashHandler(nullptr);
}

TEST(FileCopy, ListingsPassOverSocketsPipesAndFoldersButFollowLinks) {
  ScratchFolder s;
  s.File("plain.txt");
  s.Folder("folder.txt");
  ::mkfifo((s.Path() + "/pipe.txt").c_str(), 0600);
  ::symlink((s.Path() + "/plain.txt").c_str(), (s.Path() + "/link.txt").c_str());
  ::symlink((s.Path() + "/folder.txt").c_str(), (s.Path() + "/dirlink.txt").c_str());
  const int sock = ::socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un addr{};
  addr.sun_family = AF_UNIX;
  const std::string sockPath = s.Path() + "/sock.txt";
  if (sockPath.size() < sizeof addr.sun_path) {
    std::snprintf(addr.sun_path, sizeof addr.sun_path, "%s", sockPath.c_str());
    ::bind(sock, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
  }
  std::vector<FileInfo> files;
  ASSERT_EQ(ListFiles(s.Path(), "*.txt", files), 0);
  SortByName(files);
  ASSERT_EQ(files.size(), 2u);
  EXPECT_EQ(files[0].name, "link.txt");
  EXPECT_EQ(files[1].name, "plain.txt");
  ::close(sock);
}

TEST(FileCopy, AccessTestsHonourTheReadOnlyAttribute) {
  ScratchFolder s;
  const std::string a = s.File("a");
  EXPECT_EQ(CheckAccess(a, true, true), 0);
  ::chmod(a.c_str(), 0444);
  EXPECT_EQ(CheckAccess(a, true, false), 0);
  EXPECT_EQ(CheckAccess(a, false, true), EACCES);
  EXPECT_EQ(CheckAccess(a, false, false), 0);
  EXPECT_EQ(CheckAccess(s.Path() + "/none", false, false), ENOENT);
  EXPECT_EQ(CheckAccess(s.Folder("f"), false, false), EISDIR);
}

TEST(FileCopy, DosShortNames) {
  struct {
    const char* name;
    const char* base;
    const char* extension;
  } cases[] = {
      {"readme.txt", "README", "TXT"},      {"A Long File Name.html", "A_LONG_F", "HTM"},
      {"archive.tar.gz", "ARCHIVE_", "GZ"}, {"noext", "NOEXT", ""},
      {".bashrc", "_BASHRC", ""},           {"a+b=c;d[1].x,y", "A_B_C_D_", "X_Y"},
      {"caf\xE9.txt", "CAF\xE9", "TXT"},    {"(ok)~$1.b-c", "(OK)~$1", "B-C"},
  };
  for (const auto& c : cases) {
    std::string base, ext;
    DosShortName(c.name, base, ext);
    EXPECT_EQ(base, c.base) << c.name;
    EXPECT_EQ(ext, c.extension) << c.name;
  }
}

}  // namespace
}  // namespace torvic::platform
