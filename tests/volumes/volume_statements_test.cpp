// The volume statements in sessions on the scripted host, where the table
// can be changed under them (folders deleted, volumes removed in the
// dialog). Plain sessions are transcripts (tests/transcripts/volumes_*).
#include <gtest/gtest.h>

#include <filesystem>

#include "engine/session.h"
#include "volume_fixture.h"
#include "volumes/volume_dialogs.h"
#include "volumes/volumes.h"

namespace torvic {
namespace {

using testing::ScratchFolder;

TEST(VolumeStatements, UnmappedVolumesAreMarkedInEveryLayout) {
  ScratchFolder scratch;
  Session s;
  s.in.Volumes().AddSessionVolume("HOME", scratch.Folder("home"), false);
  s.in.Volumes().AddSessionVolume("LOST", scratch.Folder("lost"), true);
  std::filesystem::remove(scratch.Path() + "/lost");
  const std::string out =
      s.Run("VOLUMES\nPOKE 18320,3:VOLUMES\nPOKE 47952,80:VOLUMES\nCV \"LOST\":VOLUMES\n");
  EXPECT_TRUE(s.Has("HOME            *  \nLOST             R!\n")) << out;
  EXPECT_TRUE(s.Has("*-- HOME\n-R! LOST\n")) << out;
  EXPECT_TRUE(s.Has("HOME            Default\nLOST            Read-only,Unmapped\n")) << out;
  EXPECT_TRUE(s.Has("HOME            \nLOST            Default,Read-only,Unmapped\n")) << out;
}

TEST(VolumeStatements, WorkAloneNeedsTheWorkVolumeToExist) {
  ScratchFolder scratch;
  Session s;
  VolumeTable& table = s.in.Volumes();
  table.AddSessionVolume("MAIN", scratch.Folder("main"), false);
  table.AddSessionVolume("SIDE", scratch.Folder("side"), false);
  // After PWORK has shown SIDE, the dialog removes that volume.
  VolumesDialog dialog(table, s.h);
  bool removed = false;
  s.onLine = [&](const std::string& text) {
    if (removed || !Session::EndsWith(text, "PWORK\nSIDE\n")) return;
    removed = true;
    dialog.Open(100, 300);
    dialog.Select(1);
    dialog.Remove();
  };
  s.Run("WORK \"side\"\nPWORK\nWORK\nPWORK\nPDV\n");
  ASSERT_TRUE(removed);
  EXPECT_EQ(table.Count(), 1u);
  EXPECT_TRUE(s.Has("?Volume does not exist, /WORK/\nReady\nPWORK\nSIDE\n")) << s.transcript;
  EXPECT_TRUE(s.Has("PDV\nMAIN\n")) << s.transcript;
}

}  // namespace
}  // namespace torvic
