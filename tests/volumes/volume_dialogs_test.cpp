// The Volumes dialog and the volume dialog, driven as a window would drive
// them: fields set, buttons pressed, message boxes answered by the
// scripted host.
#include "volumes/volume_dialogs.h"

#include <gtest/gtest.h>

#include "support/scripted_host.h"
#include "volume_fixture.h"

namespace torvic {
namespace {

using platform::Answer;
using platform::Icon;
using testing::ScratchFolder;
using testing::TestFolders;

// A stored table: A (default) and B on folder a, C on folder c.
struct DialogFixture {
  ScratchFolder scratch;
  std::string a = scratch.Folder("a"), c = scratch.Folder("c"), d = scratch.Folder("d");
  platform::ScriptedHost host;
  platform::Host h = host.AsHost();
  TestFolders folders;
  VolumeTable table;
  VolumesDialog dialog{table, h};

  DialogFixture() {
    host.SetString("Volumes/A", "Folder", a);
    host.SetNumber("Volumes/A", "Attributes", 1);
    host.SetString("Volumes/B", "Folder", a);
    host.SetNumber("Volumes/B", "Attributes", 0);
    host.SetString("Volumes/C", "Folder", c);
    host.SetNumber("Volumes/C", "Attributes", 0);
    table.Attach(host, &folders);
    dialog.Open(90, 300);
  }
  std::string Rows() const {
    std::string s;
    for (const VolumesDialog::Row& r : dialog.Rows()) s += r.name + std::to_string(r.icon) + " ";
    return s;
  }
  std::string LastBox() const { return host.Boxes().empty() ? "" : host.Boxes().back().text; }
  uint32_t StoredAttributes(const std::string& name) {
    return host.GetNumber("Volumes/" + name, "Attributes").value_or(99);
  }
  void Select(const std::string& name) {
    for (size_t i = 0; i < dialog.Rows().size(); ++i)
      if (dialog.Rows()[i].name == name) dialog.Select(static_cast<int32_t>(i));
  }
};

TEST(VolumesDialog, OpensWithStoredOrDefaultWidthsAndTheFirstRowSelected) {
  DialogFixture f;
  EXPECT_EQ(f.Rows(), "A2 B1 C1 ");
  EXPECT_EQ(f.dialog.Selected(), 0);
  EXPECT_EQ(f.dialog.VolumeColumnWidth(), 90);
  EXPECT_EQ(f.dialog.FolderColumnWidth(), 300);
  f.dialog.SetColumnWidths(120, 240);
  f.dialog.Close();
  VolumesDialog again(f.table, f.h);
  again.Open(90, 300);
  EXPECT_EQ(again.VolumeColumnWidth(), 120);
  EXPECT_EQ(again.FolderColumnWidth(), 240);
}

TEST(VolumesDialog, StateIcons) {
  Volume v;
  struct {
    bool isDefault, readOnly, exists;
    int32_t icon;
  } cases[] = {
      {false, false, true, 1}, {true, false, true, 2},   {false, true, true, 3},
      {true, true, true, 4},   {false, false, false, 5}, {true, false, false, 6},
      {false, true, false, 5}, {true, true, false, 6},
  };
  for (const auto& c : cases) {
    v.isDefault = c.isDefault;
    v.readOnly = c.readOnly;
    EXPECT_EQ(VolumeIcon(v, c.exists), c.icon) << c.isDefault << c.readOnly << c.exists;
  }
}

// The checks of OK, in their order, with the field that gets the focus.
TEST(VolumeEditor, ChecksInOrder) {
  DialogFixture f;
  struct Case {
    const char* what;
    const char* name;
    std::string folder;
    const char* message;  // "" when accepted
    VolumeEditor::Field focus;
  };
  const std::string missing = f.scratch.Path() + "/missing";
  const Case cases[] = {
      {"a bad character", "NEW_1", f.d, "Invalid volume specified!", VolumeEditor::Field::Name},
      {"bad name before bad folder", "A-B", missing, "Invalid volume specified!",
       VolumeEditor::Field::Name},
      {"an existing name", "b", f.d, "Volume already exists!", VolumeEditor::Field::Name},
      {"an existing name before a missing folder", "C", missing, "Volume already exists!",
       VolumeEditor::Field::Name},
      {"a folder that is no path", "NEW", std::string("x\0y", 3), "Invalid folder specified!",
       VolumeEditor::Field::Folder},
      {"a missing folder", "NEW", missing, "Specified folder does not exist!",
       VolumeEditor::Field::Folder},
      {"accepted", "new", f.d + "/", "", VolumeEditor::Field::None},
  };
  for (const Case& c : cases) {
    VolumeEditor e = f.dialog.AddEditor();
    e.SetName(c.name);
    e.SetFolder(c.folder);
    const size_t boxes = f.host.Boxes().size();
    const bool ok = e.Accept();
    EXPECT_EQ(ok, *c.message == 0) << c.what;
    EXPECT_EQ(e.Focus(), c.focus) << c.what;
    if (*c.message) {
      ASSERT_EQ(f.host.Boxes().size(), boxes + 1) << c.what;
      EXPECT_EQ(f.LastBox(), c.message) << c.what;
      EXPECT_EQ(f.host.Boxes().back().icon, Icon::None) << c.what;
    } else {
      EXPECT_EQ(f.host.Boxes().size(), boxes) << c.what;
      EXPECT_EQ(e.Name(), "NEW");
      EXPECT_EQ(e.Folder(), f.d);  // the full path, without the trailing "/"
    }
  }
}

TEST(VolumeEditor, FieldsKeepTheirLimitsAndOkNeedsBoth) {
  DialogFixture f;
  VolumeEditor e = f.dialog.AddEditor();
  EXPECT_EQ(e.Title(), "Add");
  EXPECT_FALSE(e.OkEnabled());
  EXPECT_FALSE(e.Accept());
  EXPECT_TRUE(f.host.Boxes().empty());
  e.SetName("abcdefghijklmnopq");
  EXPECT_EQ(e.Name(), "ABCDEFGHIJKLMNO");
  EXPECT_FALSE(e.OkEnabled());
  e.SetFolder(std::string(300, 'f'));
  EXPECT_EQ(e.Folder().size(), 259u);
  EXPECT_TRUE(e.OkEnabled());
  EXPECT_TRUE(e.DefaultBoxEnabled());
  // The default volume's own box is disabled and stays on.
  std::optional<VolumeEditor> p = f.dialog.PropertiesEditor();
  ASSERT_TRUE(p);
  EXPECT_EQ(p->Title(), "Properties");
  EXPECT_EQ(p->Name(), "A");
  EXPECT_FALSE(p->DefaultBoxEnabled());
  p->SetDefault(false);
  EXPECT_TRUE(p->IsDefault());
}

TEST(VolumesDialog, AddSavesTheVolumeAndSelectsIt) {
  DialogFixture f;
  VolumeEditor e = f.dialog.AddEditor();
  e.SetName("Bee");
  e.SetFolder(f.d);
  ASSERT_TRUE(e.Accept());
  f.dialog.CommitAdd(e);
  EXPECT_EQ(f.Rows(), "A2 B1 BEE1 C1 ");
  EXPECT_EQ(f.dialog.Selected(), 2);
  EXPECT_EQ(f.host.GetString("Volumes/BEE", "Folder"), f.d);
  EXPECT_EQ(f.StoredAttributes("BEE"), 0u);
  // A new default takes the flag from the old one, in the store too.
  VolumeEditor g = f.dialog.AddEditor();
  g.SetName("GEE");
  g.SetFolder(f.c);
  g.SetDefault(true);
  ASSERT_TRUE(g.Accept());
  f.dialog.CommitAdd(g);
  EXPECT_EQ(f.Rows(), "A1 B1 BEE1 C1 GEE2 ");
  EXPECT_EQ(f.StoredAttributes("A"), 0u);
  EXPECT_EQ(f.StoredAttributes("GEE"), 1u);
  EXPECT_EQ(f.table.DefaultName(), "GEE");
  // A read-only volume added on folder a makes A and B read-only as well.
  VolumeEditor r = f.dialog.AddEditor();
  r.SetName("RO");
  r.SetFolder(f.a);
  r.SetReadOnly(true);
  ASSERT_TRUE(r.Accept());
  f.dialog.CommitAdd(r);
  EXPECT_EQ(f.Rows(), "A3 B3 BEE1 C1 GEE2 RO3 ");
  EXPECT_EQ(f.StoredAttributes("A"), 2u);
  EXPECT_EQ(f.StoredAttributes("B"), 2u);
  EXPECT_EQ(f.StoredAttributes("RO"), 2u);
}

TEST(VolumesDialog, RemoveRefusesTheDefaultAndAsksForTheOthers) {
  DialogFixture f;
  f.Select("A");
  f.dialog.Remove();
  EXPECT_EQ(f.LastBox(), "Cannot remove the default volume!");
  EXPECT_EQ(f.host.Boxes().back().icon, Icon::Exclamation);
  EXPECT_EQ(f.Rows(), "A2 B1 C1 ");
  f.Select("C");
  f.host.QueueAnswer(Answer::No);
  f.dialog.Remove();
  EXPECT_EQ(f.LastBox(), "Do you want to remove volume C?");
  EXPECT_EQ(f.Rows(), "A2 B1 C1 ");
  EXPECT_TRUE(f.host.KeyExists("Volumes/C"));
  // Yes: the last row goes, the selection moves to the one before it.
  f.host.QueueAnswer(Answer::Yes);
  f.dialog.Remove();
  EXPECT_EQ(f.Rows(), "A2 B1 ");
  EXPECT_EQ(f.dialog.Selected(), 1);
  EXPECT_FALSE(f.host.KeyExists("Volumes/C"));
  // No selection: a beep.
  f.dialog.Select(-1);
  f.dialog.Remove();
  f.dialog.MakeDefault();
  EXPECT_FALSE(f.dialog.PropertiesEditor());
  EXPECT_EQ(f.host.Beeps(), 3);
}

TEST(VolumesDialog, MakeDefaultNeedsTheFolderAndSavesBoth) {
  DialogFixture f;
  f.Select("A");
  f.dialog.MakeDefault();  // already the default: nothing
  EXPECT_TRUE(f.host.Boxes().empty());
  std::filesystem::remove(f.c);
  f.dialog.Open(90, 300);
  f.Select("C");
  EXPECT_EQ(f.Rows(), "A2 B1 C5 ");
  f.dialog.MakeDefault();
  EXPECT_EQ(f.LastBox(),
            "Cannot make this volume the default because the mapped folder does not exist.");
  EXPECT_EQ(f.table.DefaultName(), "A");
  f.Select("B");
  f.dialog.MakeDefault();
  EXPECT_EQ(f.Rows(), "A1 B2 C5 ");
  EXPECT_EQ(f.StoredAttributes("A"), 0u);
  EXPECT_EQ(f.StoredAttributes("B"), 1u);
}

// CV moves the default for the run only; a default chosen in the dialog
// afterwards is the one the next start finds.
TEST(VolumesDialog, ADefaultChosenAfterCvIsTheStoredOne) {
  DialogFixture f;
  ASSERT_EQ(f.table.SetDefaultForSession("B"), 0);
  f.dialog.Open(90, 300);
  f.Select("C");
  f.dialog.MakeDefault();
  EXPECT_EQ(f.StoredAttributes("A"), 0u);
  EXPECT_EQ(f.StoredAttributes("C"), 1u);
  VolumeTable next;
  next.Attach(f.host, &f.folders);
  EXPECT_EQ(next.DefaultName(), "C");
}

TEST(VolumesDialog, PropertiesRenameMoveAndAsk) {
  DialogFixture f;
  f.Select("C");
  std::optional<VolumeEditor> e = f.dialog.PropertiesEditor();
  ASSERT_TRUE(e);
  EXPECT_EQ(e->Folder(), f.c);
  // A folder another volume maps: asked; No returns to the folder field.
  e->SetFolder(f.a);
  f.host.QueueAnswer(Answer::No);
  EXPECT_FALSE(e->Accept());
  EXPECT_EQ(f.LastBox(), "Specified folder is mapped to another volume.  Continue?");
  EXPECT_EQ(e->Focus(), VolumeEditor::Field::Folder);
  // Yes, with read-only set: the volumes of that folder are listed.
  e->SetReadOnly(true);
  e->SetName("AARDVARK");
  f.host.QueueAnswer(Answer::Yes);
  f.host.QueueAnswer(Answer::No);
  EXPECT_FALSE(e->Accept());
  EXPECT_EQ(f.LastBox(),
            "The read only attribute of the following volumes will also be set:\n\nA\nB\n"
            "Continue?");
  EXPECT_EQ(e->Focus(), VolumeEditor::Field::None);
  f.host.QueueAnswer(Answer::Yes);
  f.host.QueueAnswer(Answer::Yes);
  ASSERT_TRUE(e->Accept());
  f.dialog.CommitProperties(*e);
  // Renamed (the old key deleted), moved to its place, read-only spread.
  EXPECT_EQ(f.Rows(), "A4 AARDVARK3 B3 ");
  EXPECT_EQ(f.dialog.Selected(), 1);
  EXPECT_FALSE(f.host.KeyExists("Volumes/C"));
  EXPECT_EQ(f.host.GetString("Volumes/AARDVARK", "Folder"), f.a);
  EXPECT_EQ(f.StoredAttributes("AARDVARK"), 2u);
  EXPECT_EQ(f.StoredAttributes("A"), 3u);
  EXPECT_EQ(f.StoredAttributes("B"), 2u);
  // Resetting it on one resets all of them, after the question.
  f.Select("B");
  std::optional<VolumeEditor> b = f.dialog.PropertiesEditor();
  ASSERT_TRUE(b);
  b->SetReadOnly(false);
  f.host.QueueAnswer(Answer::Yes);
  ASSERT_TRUE(b->Accept());
  EXPECT_EQ(f.LastBox(),
            "The read only attribute of the following volumes will also be reset:\n\nA\nAARDVARK\n"
            "Continue?");
  f.dialog.CommitProperties(*b);
  EXPECT_EQ(f.Rows(), "A2 AARDVARK1 B1 ");
  EXPECT_EQ(f.StoredAttributes("A"), 1u);
}

TEST(VolumesDialog, EditingASessionVolumeStoresIt) {
  DialogFixture f;
  f.table.AddSessionVolume("S", f.d, false);
  f.dialog.Open(90, 300);
  EXPECT_EQ(f.Rows(), "A1 B1 C1 S2 ");
  // The session volume loses the default without being written.
  f.Select("B");
  f.dialog.MakeDefault();
  EXPECT_FALSE(f.host.KeyExists("Volumes/S"));
  f.Select("S");
  std::optional<VolumeEditor> e = f.dialog.PropertiesEditor();
  ASSERT_TRUE(e);
  ASSERT_TRUE(e->Accept());
  f.dialog.CommitProperties(*e);
  EXPECT_EQ(f.host.GetString("Volumes/S", "Folder"), f.d);
  EXPECT_EQ(f.StoredAttributes("S"), 0u);
}

}  // namespace
}  // namespace torvic
