// The volume file dialog as a model: labels by purpose, the files a type
// shows, names with a volume part, the checks and the questions.
#include "volumes/volume_file_dialog.h"

#include <gtest/gtest.h>

#include <fstream>

#include "support/scripted_host.h"
#include "volume_fixture.h"

namespace torvic {
namespace {

using platform::Answer;
using platform::FileDialogPurpose;
using platform::ProgramFileType;
using testing::ScratchFolder;
using testing::TestFolders;

// Two volumes: WORK (default) with a few files, GAMES empty.
struct FileDialogFixture {
  ScratchFolder scratch;
  std::string work = scratch.Folder("work"), games = scratch.Folder("games");
  platform::ScriptedHost host;
  TestFolders folders;
  VolumeTable table;
  FileDialogFixture() {
    host.SetString("Volumes/WORK", "Folder", work);
    host.SetNumber("Volumes/WORK", "Attributes", 1);
    host.SetString("Volumes/GAMES", "Folder", games);
    host.SetNumber("Volumes/GAMES", "Attributes", 0);
    table.Attach(host, &folders);
    for (const char* name : {"b.tvc", "A.TVC", "notes.txt", "data.dat"})
      std::ofstream(work + "/" + name) << "x";
  }
};

TEST(VolumeFileDialog, LabelsFollowThePurpose) {
  FileDialogFixture f;
  const VolumeFileDialog open(f.table, f.host, FileDialogPurpose::Open);
  const VolumeFileDialog save(f.table, f.host, FileDialogPurpose::Save);
  EXPECT_EQ(open.Title(), "Open");
  EXPECT_EQ(open.VolumeLabel(), "Look &in:");
  EXPECT_EQ(open.TypeLabel(), "Files of &type:");
  EXPECT_EQ(open.AcceptLabel(), "&Open");
  EXPECT_EQ(save.Title(), "Save");
  EXPECT_EQ(save.VolumeLabel(), "Save &in:");
  EXPECT_EQ(save.TypeLabel(), "Save as &type:");
  EXPECT_EQ(save.AcceptLabel(), "&Save");
  EXPECT_EQ(save.FileName(), "Untitled.tvc");
  EXPECT_EQ(save.VolumeNames(), (std::vector<std::string>{"GAMES", "WORK"}));
  EXPECT_EQ(save.SelectedVolume(), 1);  // the default volume
}

TEST(VolumeFileDialog, TheTypeChoosesTheFilesShown) {
  FileDialogFixture f;
  VolumeFileDialog d(f.table, f.host, FileDialogPurpose::Open);
  EXPECT_EQ(d.Files(), (std::vector<std::string>{"A.TVC", "b.tvc"}));
  d.SetType(ProgramFileType::Text);
  EXPECT_EQ(d.Files(), (std::vector<std::string>{"notes.txt"}));
  d.SetType(ProgramFileType::All);
  EXPECT_EQ(d.Files().size(), 4u);
  d.SelectVolume(0);
  EXPECT_TRUE(d.Files().empty());
}

TEST(VolumeFileDialog, NamesChecksAndQuestions) {
  struct Case {
    const char* name;
    FileDialogPurpose purpose;
    std::vector<Answer> answers;
    bool accepted;
    const char* chosen;   // the BASIC name handed out
    const char* message;  // the last message box ("" none)
  };
  const Case cases[] = {
      {"PROG", FileDialogPurpose::Save, {}, true, "WORK:PROG.tvc", ""},
      {"games:prog", FileDialogPurpose::Save, {}, true, "GAMES:prog.tvc", ""},
      {"GAMES:", FileDialogPurpose::Save, {}, false, "", ""},
      {"NOWHERE:PROG",
       FileDialogPurpose::Save,
       {Answer::Ok},
       false,
       "",
       "Volume NOWHERE does not exist.\nPlease verify the appropriate volume was given."},
      {"b",
       FileDialogPurpose::Save,
       {Answer::No},
       false,
       "",
       "WORK:b.tvc\nThis file already exists.\nRelpace existing file?"},
      {"b",
       FileDialogPurpose::Save,
       {Answer::Yes},
       true,
       "WORK:b.tvc",
       "WORK:b.tvc\nThis file already exists.\nRelpace existing file?"},
      {"a", FileDialogPurpose::Open, {}, true, "WORK:A.TVC", ""},
      {"missing",
       FileDialogPurpose::Open,
       {Answer::Ok},
       false,
       "",
       "WORK:missing.tvc\nFile not found.\nPlease verify the correct file name was given."},
      {"con", FileDialogPurpose::Save, {Answer::Ok}, false, "", "?Invalid file name"},
      {"", FileDialogPurpose::Save, {}, false, "", ""},
  };
  for (const Case& c : cases) {
    FileDialogFixture f;
    for (Answer a : c.answers) f.host.QueueAnswer(a);
    VolumeFileDialog d(f.table, f.host, c.purpose);
    d.SetFileName(c.name);
    EXPECT_EQ(d.Accept(), c.accepted) << c.name;
    if (c.accepted) { EXPECT_EQ(d.Chosen().BasicName(), c.chosen) << c.name; }
    const std::string last = f.host.Boxes().empty() ? "" : f.host.Boxes().back().text;
    EXPECT_EQ(last, c.message) << c.name;
  }
  // A volume part that names a volume selects it, and the name field keeps
  // the rest.
  FileDialogFixture f;
  VolumeFileDialog d(f.table, f.host, FileDialogPurpose::Save);
  d.SetFileName("GAMES:");
  d.Accept();
  EXPECT_EQ(d.VolumeNames()[static_cast<size_t>(d.SelectedVolume())], "GAMES");
  EXPECT_EQ(d.FileName(), "");
  // The text type adds .txt.
  d.SetType(ProgramFileType::Text);
  d.SetFileName("LISTING");
  ASSERT_TRUE(d.Accept());
  EXPECT_EQ(d.Chosen().BasicName(), "GAMES:LISTING.txt");
  EXPECT_EQ(d.Chosen().type, ProgramFileType::Text);
}

}  // namespace
}  // namespace torvic
