// The interpreter's side of the shell's commands: the start-up sequence,
// the question about a modified program, the Reset command, the status
// mode, and the window commands of SYS, EXEC 2350 and MENU.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "base/errors.h"
#include "engine/program_file_hooks.h"
#include "engine/session.h"

namespace torvic {
namespace {

namespace fs = std::filesystem;
using platform::Answer;
using platform::FileChoice;
using platform::FileDialogResult;
using platform::WindowCommand;

// Program files as the tests need them: a load enters the numbered lines
// of a text file, a save records the file and succeeds when told to.
struct FakeProgramFiles : ProgramFileHooks {
  int32_t loadError = 0;
  int32_t saveError = 0;
  std::vector<std::string> loaded;
  std::vector<FileChoice> saved;
  int news = 0;
  int32_t LoadProgram(Interpreter& in, const std::string& path) override {
    loaded.push_back(path);
    if (loadError) return loadError;
    std::ifstream file(path);
    for (std::string line; std::getline(file, line);) EnterNumberedLine(in.Program(), line);
    in.Program().SetModified(false);
    return 0;
  }
  int32_t SaveProgram(Interpreter& in, const FileChoice& file) override {
    saved.push_back(file);
    if (saveError == 0) in.Program().SetModified(false);
    return saveError;
  }
  void NewProgram(Interpreter& in) override {
    ++news;
    in.Program().Clear();
    in.Program().SetModified(false);
  }
};

struct TempFile {
  fs::path path;
  explicit TempFile(const std::string& text) {
    path = fs::temp_directory_path() /
           ("torvic_startup_" + std::to_string(::getpid()) + "_" + std::to_string(counter++));
    std::ofstream(path) << text;
  }
  ~TempFile() { fs::remove(path); }
  static inline int counter = 0;
};

TEST(StartupSequence, RunsTheStartupProgramAndLeavesNoProgram) {
  struct Case {
    const char* name;
    const char* program;  // nullptr: no start-up file
    int32_t loadError;
    const char* shown;  // the end of the screen's text
    bool erased;        // NEW after the run
    bool prompt;
  };
  const Case cases[] = {
      {"no file", nullptr, 0, "Ready\n", false, true},
      {"ends normally", "10 A=5\n20 PRINT \"STARTED\"\n", 0, "STARTED\nReady\n", true, true},
      {"ends with an error", "10 A=5: X=1/0\n", 0, "?/0 error in 10, /X=1/0/\nReady\n", false,
       true},
      {"asks to restart", "10 A=5: RESTART\n", 0, "", false, false},
      {"cannot be read", "10 A=5\n", kErrBadFile, "?Bad file loading \"_$TORVIC.TVC\"\nReady\n",
       false, true},
  };
  for (const Case& c : cases) {
    Session s;
    FakeProgramFiles files;
    files.loadError = c.loadError;
    s.in.SetProgramFiles(&files);
    std::optional<TempFile> file;
    if (c.program) file.emplace(c.program);
    s.in.RunStartupSequence(file ? file->path.string() : "/nonexistent/_$torvic.tvc", "");
    EXPECT_TRUE(Session::EndsWith(s.transcript, c.shown)) << c.name << "\n" << s.transcript;
    EXPECT_EQ(files.news, c.erased ? 1 : 0) << c.name;
    if (c.erased) {
      EXPECT_TRUE(s.in.Program().Empty()) << c.name;
      EXPECT_FALSE(s.in.Program().Modified()) << c.name;
    }
    EXPECT_EQ(s.memory.Byte(SettingsMemory::kStartupLoadingAddress), c.program ? 1 : 0) << c.name;
    if (c.program && !c.loadError) { EXPECT_EQ(s.Var('A'), 5) << c.name; }
    EXPECT_EQ(s.in.ExitRequested(), !c.prompt) << c.name;
    EXPECT_EQ(s.in.StatusText(), "") << c.name;
  }
}

TEST(StartupSequence, TheProgramNamedOnTheCommandLineIsLoadedAfterIt) {
  Session s;
  FakeProgramFiles files;
  s.in.SetProgramFiles(&files);
  TempFile startup("10 B=2\n");
  TempFile program("10 PRINT \"LOADED\"\n");
  s.in.RunStartupSequence(startup.path.string(), program.path.string());
  ASSERT_EQ(files.loaded.size(), 2u);
  EXPECT_EQ(files.loaded[1], program.path.string());
  EXPECT_EQ(s.Var('B'), 2);
  ASSERT_FALSE(s.in.Program().Empty());
  EXPECT_EQ(s.in.Program().First()->text, "PRINT \"LOADED\"");

  // A named program that cannot be read is reported, never taken for
  // loaded.
  Session plain;
  plain.in.RunStartupSequence("", "/nonexistent/games.tvc");
  EXPECT_TRUE(Session::EndsWith(plain.transcript,
                                "?File not found loading \"/nonexistent/games.tvc\"\nReady\n"))
      << plain.transcript;
}

TEST(AskToSaveChanges, EveryAnswerOfTheQuestionAndOfTheSave) {
  const std::string unable =
      "Unable to save the file (?Not supported).\nDo you want to exit without saving?";
  struct Case {
    const char* name;
    bool modified;
    std::vector<Answer> answers;
    std::optional<FileChoice> file;  // the save dialog's answer
    int32_t saveError;
    bool leaves;
    size_t boxes;
  };
  const FileChoice prog{"WORK:PROG.tvc", false};
  const Case cases[] = {
      {"unmodified", false, {}, std::nullopt, 0, true, 0},
      {"cancel", true, {Answer::Cancel}, std::nullopt, 0, false, 1},
      {"no", true, {Answer::No}, std::nullopt, 0, true, 1},
      {"yes, dialog cancelled", true, {Answer::Yes}, std::nullopt, 0, false, 1},
      {"yes, saved", true, {Answer::Yes}, prog, 0, true, 1},
      {"yes, failed, stay", true, {Answer::Yes, Answer::No}, prog, kErrNotSupported, false, 2},
      {"yes, failed, leave", true, {Answer::Yes, Answer::Yes}, prog, kErrNotSupported, true, 2},
  };
  for (const Case& c : cases) {
    Session s;
    FakeProgramFiles files;
    files.saveError = c.saveError;
    s.in.SetProgramFiles(&files);
    EnterNumberedLine(s.in.Program(), "10 PRINT 1");
    s.in.Program().SetModified(c.modified);
    for (Answer a : c.answers) s.host.QueueAnswer(a);
    s.host.QueueFileChoice(c.file ? FileDialogResult::Chosen : FileDialogResult::Cancelled,
                           c.file.value_or(FileChoice{}));
    EXPECT_EQ(s.in.AskToSaveChanges(), c.leaves) << c.name;
    ASSERT_EQ(s.host.Boxes().size(), c.boxes) << c.name;
    if (c.boxes > 0) {
      EXPECT_EQ(s.host.Boxes()[0].text,
                "Do you want to save the changes you made to the BASIC program?");
    }
    if (c.boxes > 1) { EXPECT_EQ(s.host.Boxes()[1].text, unable) << c.name; }
    EXPECT_EQ(s.in.Program().Modified(), !c.leaves) << c.name;
    if (c.file && c.answers.front() == Answer::Yes) {
      ASSERT_EQ(files.saved.size(), 1u) << c.name;
      EXPECT_EQ(files.saved[0].name, "WORK:PROG.tvc") << c.name;
    }
  }
}

// Reset while a program prints: the run ends without a prompt, the screen
// is cleared, and the next typed line works.
TEST(ResetCommand, EndsTheRunWithoutAPromptAndClearsTheScreen) {
  Session s;
  bool reset = false;
  s.onLine = [&](const std::string& t) {
    if (!reset && t.find("X\nX\n") != std::string::npos) {
      reset = true;
      s.in.ResetCommand();
    }
  };
  const std::string t = s.Run("10 PRINT \"X\": GOTO 10\nRUN\nPRINT 7\n");
  ASSERT_TRUE(reset);
  EXPECT_NE(t.find("X\nX\nPRINT 7\n 7\nReady\n"), std::string::npos) << t;
  EXPECT_EQ(s.screen.RowText(0), "PRINT 7");
}

TEST(StatusMode, FollowsWhatTheInterpreterDoes) {
  Session s;
  using M = Interpreter::StatusMode;
  std::map<std::string, M> seen;  // the mode as each output line ended
  s.onLine = [&](const std::string& t) {
    const size_t start = t.rfind('\n', t.size() - 2);
    seen[t.substr(start == std::string::npos ? 0 : start + 1)] = s.in.Mode();
  };
  EXPECT_EQ(s.in.Mode(), M::Command);
  s.Run("10 PRINT 1\nRUN\nPRINT 2\n");
  EXPECT_EQ(seen[" 1\n"], M::Program);
  EXPECT_EQ(seen[" 2\n"], M::Immediate);
  EXPECT_EQ(s.in.Mode(), M::Command);
}

TEST(WindowCommands, SysExecAndMenuAskTheWindow) {
  struct Case {
    const char* typed;
    std::vector<WindowCommand> commands;
  };
  const Case cases[] = {
      {"SYS 0\n", {WindowCommand::PrintSetup}},
      {"SYS 1\n", {WindowCommand::Print}},
      {"SYS 2\n", {WindowCommand::Volumes}},
      {"SYS 3\n", {WindowCommand::Font}},
      {"SYS 4\n", {WindowCommand::ContextMenu}},
      {"SYS 5: SYS 255\n", {}},
      // The second within 2 seconds of the first is ignored.
      {"SYS 2: SYS 3\n", {WindowCommand::Volumes}},
      {"POKE 9388,1: EXEC 2350\n", {WindowCommand::Minimize}},
      {"POKE 9388,6: EXEC 2350\n", {WindowCommand::Maximize}},
      {"POKE 9388,8: EXEC 2350\n", {WindowCommand::Restore}},
      {"POKE 9388,15: EXEC 2350\n", {WindowCommand::Resize}},
      {"POKE 9388,2: EXEC 2350\n", {}},
      {"RESIZE\n", {WindowCommand::Resize}},
      {"MENU\n", {WindowCommand::ContextMenu}},
  };
  for (const Case& c : cases) {
    Session s;
    s.host.SetHasWindow(true);
    const std::string t = s.Run(c.typed);
    EXPECT_EQ(s.host.WindowCommands(), c.commands) << c.typed;
    EXPECT_EQ(t.find('?'), std::string::npos) << c.typed << t;
  }
  // Two seconds later the next SYS acts again.
  Session s;
  s.host.SetHasWindow(true);
  s.host.TypeText("SYS 2\n");
  s.in.ShowPrompt();
  s.in.Entry().Editor().SetText("SYS 2", 5);
  s.in.ExecuteEnteredLine();
  s.host.Advance(1999);
  s.in.Entry().Editor().SetText("SYS 2", 5);
  s.in.ExecuteEnteredLine();
  EXPECT_EQ(s.host.WindowCommands().size(), 1u);
  s.host.Advance(1);
  s.in.Entry().Editor().SetText("SYS 2", 5);
  s.in.ExecuteEnteredLine();
  EXPECT_EQ(s.host.WindowCommands().size(), 2u);
}

}  // namespace
}  // namespace torvic
