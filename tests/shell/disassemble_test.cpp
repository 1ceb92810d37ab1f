// `torvic --disassemble PROGRAM`, the developer's view of compiled lines,
// through the real executable.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "shell/batch_run.h"
#include "shell/scratch_folder.h"

namespace {

namespace fs = std::filesystem;
using torvic::testing::RunTorvic;
using torvic::testing::ScratchFolder;

TEST(DisassembleCommand, PrintsEveryLinesRecordsInProgramOrder) {
  const ScratchFolder folder("disassemble");
  const fs::path program = folder.path() / "prog.bas";
  // Out of order on purpose: the listing follows the stored program.
  std::ofstream(program) << "20 END\n10 BEEP: GOTO 20\n\n30 PRINT \"A\n";
  const fs::path input = folder.path() / "input";
  std::ofstream(input).close();
  const torvic::testing::BatchResult r =
      RunTorvic("--disassemble '" + program.string() + "'", input);
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out,
            "10 BEEP: GOTO 20\n"
            "  header  jump 0021\n"
            "  0010  BEEP  @0+4  \"BEEP\"\n"
            "  0018  GOTO  @6+7  \"GOTO 20\"  operands 00 14 00 00 00 0b 00 02 00 00\n"
            "  002a  end\n"
            "20 END\n"
            "  header\n"
            "  0010  END  @0+3  \"END\"\n"
            "  0018  end\n"
            "30 PRINT \"A\n"
            "  header\n"
            "  0010  PRINT  @0+8  \"PRINT \\\"A\"  operands 00 06 02 01 41 00 00 0c 00\n"
            "  0021  end\n");
}

TEST(DisassembleCommand, MissingProgramOrMixedModesGiveStatusTwo) {
  const ScratchFolder folder("disassemble-bad");
  const fs::path input = folder.path() / "input";
  std::ofstream(input).close();
  const fs::path program = folder.path() / "prog.bas";
  std::ofstream(program) << "10 END\n";
  const std::string quoted = "'" + program.string() + "'";
  for (const std::string& args :
       {std::string("--disassemble"), "--disassemble '" + (folder.path() / "none").string() + "'",
        "--disassemble " + quoted + " " + quoted, "--batch --disassemble " + quoted,
        "--disassemble --screen " + quoted, "--terminal --disassemble " + quoted}) {
    const torvic::testing::BatchResult r = RunTorvic(args, input);
    EXPECT_EQ(r.status, 2) << args;
    EXPECT_EQ(r.out, "") << args;
  }
}

}  // namespace
