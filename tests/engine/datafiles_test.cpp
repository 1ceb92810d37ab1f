// The data-file table on real files in a scratch folder: what INPUT # and
// LINE INPUT # read whatever the block length, records that move with
// INSERT # and DELETE # against a model, the sharing rules, and bytes that
// a failed write keeps until they can be written. The statements
// themselves are exercised through the real executable
// (tests/transcripts/datafiles_*, tests/shell/datafiles_session_test.cpp).
#include <gtest/gtest.h>

#include <sys/resource.h>

#include <cerrno>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "base/errors.h"
#include "engine/datafiles.h"
#include "engine/session.h"
#include "volumes/volume_dialogs.h"
#include "volumes/volume_fixture.h"

namespace torvic {
namespace {

using testing::ScratchFolder;

std::string Contents(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

struct Files {
  ScratchFolder scratch;
  Session s;
  DataFileTable& table = s.in.Files();

  std::string Path(const std::string& name) const { return scratch.Path() + "/" + name; }
  int32_t Open(int32_t number, FileMode mode, int32_t length, const std::string& name) {
    return table.Open(number, mode, length, "WORK", name, Path(name));
  }
  DataFile& Opened(int32_t number, FileMode mode, int32_t length, const std::string& name) {
    EXPECT_EQ(Open(number, mode, length, name), kOk) << name;
    return *table.FindFile(number);
  }
};

// INPUT # fields: each case is read with block lengths from 1 byte up, and
// must give the same fields, errors and end whatever the length.
TEST(DataFiles, InputFieldsReadTheSameWhateverTheBlockLength) {
  struct Case {
    const char* name;
    std::string content;
    const char* kinds;  // N a number, S a string
    std::vector<std::string> fields;
    int32_t lastError;  // of the read after the fields
  };
  const Case cases[] = {
      {"two numbers", "1,2\r\n", "NN", {"1", "2"}, kErrInputPastEnd},
      {"zeros and blanks", "  007 , 12 34\r\n", "NNN", {"7", "12", "34"}, kErrInputPastEnd},
      {"based literals", "&H10,&O17 , X9,", "NNN", {"16", "15", "0"}, kErrInputPastEnd},
      {"quoted and plain", "\"A,B\" , C  \r\nD", "SSS", {"A,B", "C", "D"}, kErrInputPastEnd},
      {"quote not closed", "\"OPEN TO THE END", "S", {"OPEN TO THE END"}, kErrInputPastEnd},
      {"NUL bytes dropped",
       std::string("a\0b,1\0"
                   "2\n",
                   8),
       "SN",
       {"ab", "12"},
       kErrInputPastEnd},
      {"line ends", "X\rY\nZ\r\n", "SSS", {"X", "Y", "Z"}, kErrInputPastEnd},
      {"empty fields", ",\r\n", "NS", {"0", ""}, kErrInputPastEnd},
      {"too large", "1E400", "", {}, kErrOverflow},
      {"too small", "1E-400", "", {}, kErrUnderflow},
      {"empty file", "", "", {}, kErrInputPastEnd},
  };
  for (const Case& c : cases) {
    for (int32_t length : {1, 2, 3, 7, 512}) {
      Files f;
      std::ofstream(f.Path("IN"), std::ios::binary) << c.content;
      DataFile& file = f.Opened(1, FileMode::Input, length, "IN");
      const std::string where = std::string(c.name) + ", LEN " + std::to_string(length);
      for (size_t i = 0; c.kinds[i]; ++i) {
        if (c.kinds[i] == 'N') {
          double x = -1;
          ASSERT_EQ(f.table.ReadNumberField(file, x), kOk) << where << ", field " << i;
          std::ostringstream text;
          text << x;
          EXPECT_EQ(text.str(), c.fields[i]) << where << ", field " << i;
        } else {
          CBasicString s;
          ASSERT_EQ(f.table.ReadStringField(file, s), kOk) << where << ", field " << i;
          EXPECT_EQ(s.ToStdString(), c.fields[i]) << where << ", field " << i;
        }
      }
      // EOF turns true with the last field, not one read later.
      if (c.lastError == kErrInputPastEnd) { EXPECT_TRUE(file.atEnd) << where; }
      double x;
      EXPECT_EQ(f.table.ReadNumberField(file, x), c.lastError) << where;
    }
  }
}

// The lines of LINE INPUT # as the rules split them: CR, LF or CR LF end a
// line (a CR LF split between two blocks is one line end), NUL bytes go,
// and the end of the file after a line end is no line of its own.
std::vector<std::string> ReferenceLines(const std::string& content) {
  std::vector<std::string> lines;
  std::string line;
  bool open = false;
  for (size_t i = 0; i < content.size(); ++i) {
    const char c = content[i];
    if (c == '\r' || c == '\n') {
      lines.push_back(line);
      line.clear();
      open = false;
      if (c == '\r' && i + 1 < content.size() && content[i + 1] == '\n') ++i;
    } else {
      if (c != '\0') line.push_back(c);
      open = true;
    }
  }
  if (open) lines.push_back(line);
  return lines;
}

TEST(DataFiles, LinesAreTheSameWhateverTheBlockLength) {
  std::mt19937 random(7);
  const char pieces[] = {'A', 'B', ' ', '\r', '\n', '\0', ','};
  for (int round = 0; round < 40; ++round) {
    std::string content;
    const int n = static_cast<int>(random() % 60);
    for (int i = 0; i < n; ++i) content.push_back(pieces[random() % sizeof pieces]);
    if (round % 3 == 0) content += "\r\n";
    const std::vector<std::string> expected = ReferenceLines(content);
    Files f;
    std::ofstream(f.Path("LINES"), std::ios::binary) << content;
    for (int32_t length = 1; length <= 13; ++length) {
      DataFile& file = f.Opened(length, FileMode::Input, length, "LINES");
      std::vector<std::string> got;
      while (!file.atEnd && got.size() <= expected.size()) {
        CBasicString line;
        ASSERT_EQ(f.table.ReadFileLine(file, line), kOk);
        got.push_back(line.ToStdString());
      }
      EXPECT_EQ(got, expected) << "round " << round << ", LEN " << length;
      CBasicString line;
      EXPECT_EQ(f.table.ReadFileLine(file, line), kErrInputPastEnd);
    }
  }
}

// PUT, INSERT # and DELETE # in random order against a list of records.
TEST(DataFiles, RecordsMoveWithInsertAndDeleteAsAListDoes) {
  constexpr int32_t kLength = 3;
  std::mt19937 random(11);
  for (int round = 0; round < 20; ++round) {
    Files f;
    // Some files start with a short last record.
    std::vector<std::string> model;
    std::string start;
    for (int i = 0; i < round % 4; ++i) start += "ab" + std::to_string(i);
    if (round % 2) start += "z";
    std::ofstream(f.Path("R"), std::ios::binary) << start;
    for (size_t at = 0; at < start.size(); at += kLength)
      model.push_back(start.substr(at, kLength));
    DataFile& file = f.Opened(1, FileMode::Random, kLength, "R");
    for (int step = 0; step < 25; ++step) {
      const int32_t record = 1 + static_cast<int32_t>(random() % 8);
      const std::string text = {static_cast<char>('a' + step), static_cast<char>('A' + step), '.'};
      std::copy(text.begin(), text.end(), file.buffer.get());
      const std::string gap(kLength, '\0');
      // Writing past a short last record fills it up with zero bytes.
      auto extendTo = [&](size_t records) {
        if (model.size() >= records) return;
        if (!model.empty()) model.back().resize(kLength, '\0');
        while (model.size() < records) model.push_back(gap);
      };
      switch (random() % 3) {
        case 0:
          ASSERT_EQ(f.table.PutRecord(file, record), kOk);
          extendTo(static_cast<size_t>(record));
          // A short last record overwritten becomes whole.
          model[record - 1] = text;
          break;
        case 1:
          ASSERT_EQ(f.table.InsertRecord(file, record), kOk);
          if (static_cast<size_t>(record) > model.size()) {
            extendTo(static_cast<size_t>(record));
            model.back() = text;
          } else {
            model.insert(model.begin() + (record - 1), text);
          }
          break;
        default:
          ASSERT_EQ(f.table.DeleteRecord(file, record), kOk);
          if (static_cast<size_t>(record) <= model.size()) {
            model.erase(model.begin() + (record - 1));
          }
          break;
      }
      std::string expected;
      for (const std::string& r : model) expected += r;
      ASSERT_EQ(Contents(f.Path("R")), expected) << "round " << round << ", step " << step;
      int32_t error;
      EXPECT_EQ(f.table.Length(file, error), static_cast<int64_t>(model.size()));
    }
  }
}

// Writers hold a file alone, readers share it.
TEST(DataFiles, OpenersThatWriteHoldTheFileAlone) {
  struct Case {
    FileMode first, second;
    int32_t result;
  };
  const Case cases[] = {
      {FileMode::Input, FileMode::Input, kOk},
      {FileMode::Input, FileMode::Output, kErrAccessDenied},
      {FileMode::Input, FileMode::Random, kErrAccessDenied},
      {FileMode::Output, FileMode::Input, kErrAccessDenied},
      {FileMode::Append, FileMode::Append, kErrAccessDenied},
      {FileMode::Random, FileMode::Random, kErrAccessDenied},
  };
  for (const Case& c : cases) {
    Files f;
    std::ofstream(f.Path("SHARED"), std::ios::binary) << "TEXT";
    ASSERT_EQ(f.Open(1, c.first, 512, "SHARED"), kOk);
    EXPECT_EQ(f.Open(2, c.second, 512, "SHARED"), c.result)
        << ModeWord(c.first) << " then " << ModeWord(c.second);
    // The file an OUTPUT refused is not emptied.
    EXPECT_EQ(Contents(f.Path("SHARED")), c.first == FileMode::Output ? "" : "TEXT");
    f.table.CloseFile(1);
    if (c.result != kOk) { EXPECT_EQ(f.Open(2, c.second, 512, "SHARED"), kOk); }
  }
}

TEST(DataFiles, HostErrorsBecomeTheirBasicErrors) {
  const struct {
    int error;
    int32_t open, write, close;
  } cases[] = {
      {0, kOk, kOk, kOk},
      {ENOENT, kErrFileNotFound, kErrIoError, kErrIoError},
      {ENAMETOOLONG, kErrInvalidFileName, kErrIoError, kErrIoError},
      {EACCES, kErrAccessDenied, kErrIoError, kErrIoError},
      {EWOULDBLOCK, kErrAccessDenied, kErrIoError, kErrIoError},
      {EISDIR, kErrAccessDenied, kErrIoError, kErrIoError},
      {ENOSPC, kErrVolumeFull, kErrVolumeFull, kErrVolumeFull},
      {EDQUOT, kErrVolumeFull, kErrVolumeFull, kErrVolumeFull},
      {EFBIG, kErrIoError, kErrMaxFileSize, kErrIoError},
      {ENOMEM, kErrOutOfMemory, kErrIoError, kErrIoError},
      {EIO, kErrIoError, kErrIoError, kErrIoError},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(MapOpenError(c.error), c.open) << c.error;
    EXPECT_EQ(MapWriteError(c.error), c.write) << c.error;
    EXPECT_EQ(MapCloseError(c.error), c.close) << c.error;
  }
}

// A block that cannot be written stays in the buffer: the write is refused
// with the host's error and made good once the host takes it again.
TEST(DataFiles, BytesAFailedWriteKeptReachTheFileLater) {
  Files f;
  DataFile& file = f.Opened(1, FileMode::Output, 512, "LIMITED");
  struct rlimit saved;
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
  struct rlimit limited = saved;
  limited.rlim_cur = 1024;  // two blocks
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limited), 0);
  std::string text;
  for (int i = 0; i < 300; ++i) text += std::to_string(i % 10);
  int32_t result = kOk;
  int writes = 0;
  while (result == kOk && writes < 10) {
    result = f.table.WriteFileText(file, text);
    ++writes;
  }
  EXPECT_EQ(result, kErrMaxFileSize);
  EXPECT_EQ(f.table.CloseFile(1), kErrMaxFileSize);  // the file stays open
  ASSERT_NE(f.table.FindFile(1), nullptr);
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &saved), 0);
  EXPECT_EQ(f.table.CloseFile(1), kOk);
  // Every write before the failing one is whole in the file, and of the
  // failing one what had gone into the block before it was refused.
  std::string all;
  for (int i = 0; i < writes; ++i) all += text;
  const std::string written = Contents(f.Path("LIMITED"));
  EXPECT_GE(written.size(), text.size() * (writes - 1));
  EXPECT_GT(written.size(), 1024u);
  EXPECT_EQ(written, all.substr(0, written.size()));
}

// filename$ names the file's volume, which the Volumes dialog may remove
// while the file is open; the file itself stays open and closes cleanly.
TEST(DataFiles, TheNameOfAFileWhoseVolumeWentIsAnError) {
  Files f;
  VolumeTable& volumes = f.s.in.Volumes();
  volumes.AddSessionVolume("WORK", f.scratch.Folder("work"), false);
  volumes.AddSessionVolume("OTHER", f.scratch.Folder("other"), false);
  VolumesDialog dialog(volumes, f.s.h);
  bool removed = false;
  f.s.onLine = [&](const std::string& text) {
    if (removed || !Session::EndsWith(text, "OTHER:NOTES.dat\n")) return;
    removed = true;
    dialog.Open(100, 300);
    dialog.Select(0);  // OTHER, before WORK in name order
    dialog.Remove();
  };
  f.s.Run(
      "OPEN \"OTHER:NOTES\" FOR OUTPUT AS #1: PRINT FILENAME$(1)\n"
      "PRINT FILENAME$(1)\nPRINT #1, \"KEPT\": CLOSE #1: PRINT OPEN(1)\n");
  ASSERT_TRUE(removed);
  EXPECT_EQ(volumes.Count(), 1u);
  EXPECT_TRUE(f.s.Has("?Volume does not exist, /PRINT FILENAME$(1)/")) << f.s.transcript;
  EXPECT_TRUE(f.s.Has("PRINT OPEN(1)\n 0\n")) << f.s.transcript;
  EXPECT_EQ(Contents(f.scratch.Path() + "/other/NOTES.dat"), "KEPT\r\n");
}

}  // namespace
}  // namespace torvic
