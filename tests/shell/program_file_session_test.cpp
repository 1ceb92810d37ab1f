// Program files through the real executable where a transcript cannot
// look: the bytes of the files a session leaves behind, files damaged
// between two sessions, a SAVE that the file-size limit stops half-way,
// the start-up program in the configuration folder, and EXIT's save.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "shell/scratch_folder.h"

namespace {

namespace fs = std::filesystem;
using torvic::testing::ScratchFolder;

// One user's files: a home folder (settings, configuration) and the folder
// mounted as volume P, both kept from session to session.
class Sessions {
 public:
  Sessions() : home_("pf-home"), files_("pf-files") {}
  const fs::path& Files() const { return files_.path(); }
  fs::path ConfigFolder() const { return home_.path() / "config" / "Quellorix"; }

  // Types `keys` into `torvic --batch --mount P=...`; `limits` runs first in
  // the same shell (a ulimit); `program` is the batch mode's PROGRAM. The
  // transcript.
  std::string Run(const std::string& keys, const std::string& limits = "",
                  const std::string& program = "") {
    const fs::path input = home_.path() / "keys";
    std::ofstream(input, std::ios::binary) << keys;
    const std::string command = limits + home_.HomeAssignments() +
                                " timeout -k 5 120 '" TORVIC_EXE "' --batch --mount P='" +
                                files_.path().string() + "' " + program + " < '" + input.string() +
                                "' 2>/dev/null";
    std::string out;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe) return out;
    char buffer[4096];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
    ::pclose(pipe);
    return out;
  }

 private:
  ScratchFolder home_, files_;
};

std::string Bytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void Write(const fs::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

// The text between the echo of the first "LIST" after `from` and the next
// "Ready".
std::string Listing(const std::string& transcript, size_t from = 0) {
  const size_t list = transcript.find("LIST\n", from);
  if (list == std::string::npos) return "(no LIST)";
  const size_t start = list + 5;
  return transcript.substr(start, transcript.find("Ready\n", start) - start);
}

uint32_t U32(const std::string& b, size_t at) {
  return static_cast<uint32_t>(static_cast<uint8_t>(b[at])) |
         static_cast<uint32_t>(static_cast<uint8_t>(b[at + 1])) << 8 |
         static_cast<uint32_t>(static_cast<uint8_t>(b[at + 2])) << 16 |
         static_cast<uint32_t>(static_cast<uint8_t>(b[at + 3])) << 24;
}

void PutU32(std::string& b, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<char>(v >> (8 * i));
}

// Where a binary file's line records keep their parts.
struct Record {
  uint32_t number;
  size_t start, text, textLength, code, codeLength, end;
};

std::vector<Record> Records(const std::string& b) {
  std::vector<Record> records;
  for (size_t at = 40; at + 9 <= b.size();) {
    Record r;
    r.start = at;
    r.number = U32(b, at);
    r.textLength = U32(b, at + 5);
    r.text = at + 9;
    r.codeLength = U32(b, r.text + r.textLength + 4);
    r.code = r.text + r.textLength + 8;
    r.end = r.code + r.codeLength + 4;
    records.push_back(r);
    at = r.end;
  }
  return records;
}

uint32_t CodeSum(const std::string& b, const Record& r) {
  uint32_t sum = 0;
  for (size_t i = 0; i < r.codeLength; ++i)
    sum += static_cast<uint32_t>(static_cast<uint8_t>(b[r.code + i])) * static_cast<uint32_t>(i);
  return sum;
}

const char kProgram[] =
    "10 *START: A=1: B$=\"TEXT\"\n"
    "20 FOR I=1 TO 2: PRINT I; B$: NEXT I\n"
    "30 IF A THEN GOSUB *SUB\n"
    "40 END\n"
    "100 *SUB: PRINT \"SUB\"; A: RETURN\n";
const char kOutput[] = " 1TEXT\n 2TEXT\nSUB 1\n";

TEST(ProgramFileSessions, EachFormLoadsBackIdenticalAndSavesTheSameBytes) {
  Sessions s;
  const std::string first = s.Run(
      std::string(kProgram) + "SAVE \"P:B\"\nSAVE \"P:T\",A\nASAVE \"P:A\"\nBSAVE \"P:C\"\nLIST\n");
  const std::string typed = Listing(first);
  ASSERT_NE(typed.find("100 *SUB"), std::string::npos) << first;

  const std::string binary = Bytes(s.Files() / "B.tvc");
  const std::string text = Bytes(s.Files() / "T.tvc");
  ASSERT_GT(binary.size(), 40u);
  EXPECT_EQ(binary.substr(0, 12), std::string("\x41\x07\x0A\x0ETORVTVC\0", 12));
  EXPECT_EQ(Records(binary).size(), 5u);
  EXPECT_EQ(text.substr(0, 28), "10 *START: A=1: B$=\"TEXT\"\r\n2");
  EXPECT_EQ(Bytes(s.Files() / "A.tvc"), text);    // ASAVE writes text
  EXPECT_EQ(Bytes(s.Files() / "C.tvc"), binary);  // BSAVE the binary form

  const std::string second =
      s.Run("LOAD \"P:B\"\nLIST\nSAVE \"P:B2\"\nRUN\nLOAD \"P:T\"\nLIST\nSAVE \"P:T2\",A\nRUN\n");
  EXPECT_EQ(Listing(second), typed);
  EXPECT_EQ(Listing(second, second.find("LOAD \"P:T\"")), typed);
  EXPECT_EQ(Bytes(s.Files() / "B2.tvc"), binary);
  EXPECT_EQ(Bytes(s.Files() / "T2.tvc"), text);
  EXPECT_NE(second.find(std::string("RUN\n") + kOutput), std::string::npos) << second;

  // The batch mode's PROGRAM is read as LOAD reads it, whatever its name.
  Write(s.Files() / "binary.bas", binary);
  Write(s.Files() / "text.bin", text);
  for (const char* name : {"binary.bas", "text.bin"}) {
    const std::string out = s.Run("", "", "'" + (s.Files() / name).string() + "'");
    EXPECT_EQ(out.substr(0, sizeof kOutput - 1), kOutput) << name << "\n" << out;
  }
}

// Stored code is used only when its check sums match and the validator
// passes it; otherwise the line is compiled from its text (and runs as its
// text says) and the program counts as modified: NEW asks first.
TEST(ProgramFileSessions, DamagedStoredCodeIsCompiledAgainFromTheText) {
  Sessions s;
  s.Run(std::string(kProgram) + "SAVE \"P:B\"\n");
  const std::string good = Bytes(s.Files() / "B.tvc");
  const std::vector<Record> records = Records(good);
  ASSERT_EQ(records.size(), 5u);
  const Record& line20 = records[1];

  struct Case {
    const char* name;
    std::string bytes;
    bool modified;
  };
  std::vector<Case> cases;
  cases.push_back({"GOOD", good, false});
  {
    std::string b = good;  // the code check sum one off
    PutU32(b, line20.end - 4, U32(b, line20.end - 4) + 1);
    cases.push_back({"SUM", b, true});
  }
  {
    std::string b = good;  // no end byte, the check sum made to match
    b[line20.code + line20.codeLength - 1] ^= 0x5A;
    PutU32(b, line20.end - 4, CodeSum(b, line20));
    cases.push_back({"END", b, true});
  }
  {
    std::string b = good;  // every code byte 0xFF, the check sum made to match
    for (size_t i = 0; i < line20.codeLength; ++i) b[line20.code + i] = '\xFF';
    PutU32(b, line20.end - 4, CodeSum(b, line20));
    cases.push_back({"FF", b, true});
  }
  {
    std::string b = good;  // the header's bit 0 of the flags word: never trusted
    b[18] = 1;
    cases.push_back({"FLAG", b, true});
  }
  for (const Case& c : cases) {
    Write(s.Files() / (std::string(c.name) + ".tvc"), c.bytes);
    const std::string out =
        s.Run("CONFIRM ON\nLOAD \"P:" + std::string(c.name) + "\"\nRUN\nNEW\nY\n");
    EXPECT_NE(out.find(std::string("RUN\n") + kOutput), std::string::npos) << c.name << "\n" << out;
    EXPECT_EQ(out.find("New?") != std::string::npos, c.modified) << c.name << "\n" << out;
  }
}

TEST(ProgramFileSessions, TruncatedBinaryFileKeepsTheLinesBeforeTheCut) {
  Sessions s;
  s.Run(std::string(kProgram) + "SAVE \"P:B\"\n");
  const std::string good = Bytes(s.Files() / "B.tvc");
  const std::vector<Record> records = Records(good);
  ASSERT_EQ(records.size(), 5u);
  // Cut inside the last record's text, inside its code, and just before its
  // closing check sum.
  for (size_t cut : {records[4].text + 2, records[4].code + 1, records[4].end - 1}) {
    Write(s.Files() / "CUT.tvc", good.substr(0, cut));
    const std::string out = s.Run("LOAD \"P:CUT\"\nLIST\n");
    EXPECT_NE(out.find("?Unexpected end of file"), std::string::npos) << cut << "\n" << out;
    const std::string listing = Listing(out);
    EXPECT_NE(listing.find("40 END\n"), std::string::npos) << cut << "\n" << out;
    EXPECT_EQ(listing.find("100 "), std::string::npos) << cut << "\n" << out;
  }
}

// A SAVE that the file-size limit (512 bytes) stops in the middle reports
// the error and keeps the program, and the file it would have replaced stays
// as it was, with no partial file left beside it.
TEST(ProgramFileSessions, SaveStoppedHalfWayKeepsTheOldFile) {
  Sessions s;
  s.Run("10 PRINT \"OLD\"\nSAVE \"P:KEEP\"\nSAVE \"P:KEPT\",A\n");
  const std::string oldBinary = Bytes(s.Files() / "KEEP.tvc");
  const std::string oldText = Bytes(s.Files() / "KEPT.tvc");
  ASSERT_FALSE(oldBinary.empty());
  ASSERT_FALSE(oldText.empty());

  std::string big;
  for (int n = 10; n <= 200; n += 10)
    big += std::to_string(n) + " PRINT \"A LINE LONG ENOUGH TO PASS THE LIMIT\"; " +
           std::to_string(n) + "\n";
  const std::string out =
      s.Run(big + "SAVE \"P:KEEP\"\nSAVE \"P:KEPT\",A\nLIST 200\n", "ulimit -f 1; ");
  EXPECT_NE(out.find("SAVE \"P:KEEP\"\n?Maximum file size exceeded"), std::string::npos) << out;
  EXPECT_NE(out.find("SAVE \"P:KEPT\",A\n?Maximum file size exceeded"), std::string::npos) << out;
  EXPECT_NE(Listing(out.substr(out.find("LIST 200"))).size(), 0u) << out;
  EXPECT_EQ(Bytes(s.Files() / "KEEP.tvc"), oldBinary);
  EXPECT_EQ(Bytes(s.Files() / "KEPT.tvc"), oldText);
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(s.Files())) names.push_back(e.path().filename());
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"KEEP.tvc", "KEPT.tvc"}));
}

// RUN "*" runs "_$torvic.tvc" (any case) from the configuration folder and
// clears it after a normal end; a read error names the file.
TEST(ProgramFileSessions, StartUpProgramComesFromTheConfigurationFolder) {
  Sessions s;
  std::string out = s.Run("RUN \"*\"\n");
  EXPECT_NE(out.find("RUN \"*\"\n?File not found"), std::string::npos) << out;

  fs::create_directories(s.ConfigFolder());
  Write(s.ConfigFolder() / "_$torvic.tvc", "10 PRINT \"STARTING\"\r\n20 PRINT \"DONE\"\r\n");
  out = s.Run("10 PRINT \"MINE\"\nRUN \"*\"\nLIST\n");
  EXPECT_NE(out.find("RUN \"*\"\nSTARTING\nDONE\n"), std::string::npos) << out;
  EXPECT_EQ(Listing(out), "");
  fs::remove(s.ConfigFolder() / "_$torvic.tvc");

  Write(s.ConfigFolder() / "_$TORVIC.TVC", "10 PRINT 1\n70000 PRINT 2\n");
  out = s.Run("RUN \"*\"\n");
  EXPECT_NE(out.find("?Syntax error, /70000/ loading \"_$TORVIC.TVC\""), std::string::npos) << out;
}

// EXIT's "Yes" saves: through the volume file dialog (asked on the console
// line in the batch mode) when the program has no file, else back to its
// own file in its own form.
TEST(ProgramFileSessions, ExitSavesTheProgramWhenAnsweredYes) {
  Sessions s;
  s.Run("10 PRINT \"KEEP\"\nEXIT\nYP:KEPT\n");
  ASSERT_TRUE(fs::exists(s.Files() / "KEPT.tvc"));
  EXPECT_EQ(Bytes(s.Files() / "KEPT.tvc").substr(4, 4), "TORV");

  s.Run("LOAD \"P:KEPT\"\n20 PRINT \"MORE\"\nEXIT\nN");
  EXPECT_EQ(Listing(s.Run("LOAD \"P:KEPT\"\nLIST\n")), "10 PRINT \"KEEP\"\n");

  s.Run("10 PRINT \"TEXT\"\nSAVE \"P:T\",A\n20 PRINT \"MORE\"\nEXIT\nY");
  EXPECT_EQ(Bytes(s.Files() / "T.tvc"), "10 PRINT \"TEXT\"\r\n20 PRINT \"MORE\"\r\n");
}

}  // namespace
