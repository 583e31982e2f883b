#include "shell/settings.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "common/files.h"
#include "support/fakes.h"

namespace rw {
namespace {

namespace fs = std::filesystem;

TEST(InitLogFolderTest, DefaultsToProgramFolderLogsAndCreatesIt) {
  test::TempDir dir;
  MemoryRegistry reg;
  RuntimeValues rt;
  InitLogFolder(rt, reg, dir.str() + "\\");
  EXPECT_EQ(rt.LogFolder, dir.str() + "\\Logs");
  EXPECT_TRUE(fs::is_directory(dir.path() / "Logs"));

  // A program folder given without its separator gets one.
  InitLogFolder(rt, reg, dir.str());
  EXPECT_EQ(rt.LogFolder, dir.str() + "\\Logs");
}

TEST(InitLogFolderTest, StoredPathIsUsedAndAFailedCreationIgnored) {
  test::TempDir dir;
  MemoryRegistry reg;
  RuntimeValues rt;
  ASSERT_TRUE(WriteRegString(reg, "HCU", kSettingsKey, "LogPath", dir.str() + "\\Mine"));
  InitLogFolder(rt, reg, "C:\\Program\\");
  EXPECT_EQ(rt.LogFolder, dir.str() + "\\Mine");
  EXPECT_TRUE(fs::is_directory(dir.path() / "Mine"));

  // Only one level is created; the missing parent is not reported.
  ASSERT_TRUE(WriteRegString(reg, "HCU", kSettingsKey, "LogPath", dir.str() + "\\no\\such"));
  InitLogFolder(rt, reg, "C:\\Program\\");
  EXPECT_EQ(rt.LogFolder, dir.str() + "\\no\\such");
  EXPECT_FALSE(fs::exists(dir.path() / "no"));
}

class SettingsDialogTest : public ::testing::Test {
 protected:
  SettingsDialogTest() : dialog(rt, reg) { rt.LogFolder = "C:\\Rink\\Logs"; }
  std::optional<RegValue> Stored(const char* name) {
    return reg.GetValue(RootKey::CurrentUser, kSettingsKey, name);
  }
  RuntimeValues rt;
  MemoryRegistry reg;
  SettingsDialog dialog;
};

TEST_F(SettingsDialogTest, ShowWithoutStoredFormatChecksXls) {
  dialog.Show();
  EXPECT_TRUE(dialog.Visible());
  EXPECT_EQ(dialog.FolderText(), "C:\\Rink\\Logs");
  EXPECT_EQ(dialog.FolderTooltip(), "C:\\Rink\\Logs");
  EXPECT_EQ(dialog.PendingFolder(), "C:\\Rink\\Logs");
  EXPECT_TRUE(dialog.XlsChecked());
  EXPECT_FALSE(dialog.CsvChecked());
  EXPECT_FALSE(dialog.HtmlChecked());
}

TEST_F(SettingsDialogTest, ApplyWritesBothValuesAndSwitchesTheFolder) {
  dialog.Show();
  dialog.ChooseFormat(StatSaveFormat::Html);
  EXPECT_FALSE(dialog.XlsChecked());
  EXPECT_TRUE(dialog.HtmlChecked());
  dialog.ChooseFolder(std::nullopt);  // picker cancelled
  EXPECT_EQ(dialog.PendingFolder(), "C:\\Rink\\Logs");
  dialog.ChooseFolder("D:\\Stats");
  EXPECT_EQ(dialog.FolderText(), "D:\\Stats");
  EXPECT_EQ(dialog.FolderTooltip(), "D:\\Stats");
  EXPECT_EQ(rt.LogFolder, "C:\\Rink\\Logs");  // not before Apply
  dialog.Apply();
  EXPECT_FALSE(dialog.Visible());
  EXPECT_EQ(rt.LogFolder, "D:\\Stats");
  EXPECT_EQ(Stored("StatSaveFormat"), RegValue::Integer(2));
  EXPECT_EQ(Stored("LogPath"), RegValue::String("D:\\Stats"));
}

TEST_F(SettingsDialogTest, UnknownStoredFormatKeepsThePreviousChoices) {
  // First showing with 7: nothing checked, Apply writes 0.
  ASSERT_TRUE(WriteRegInteger(reg, "HCU", kSettingsKey, "StatSaveFormat", 7));
  dialog.Show();
  EXPECT_FALSE(dialog.XlsChecked() || dialog.CsvChecked() || dialog.HtmlChecked());
  dialog.Apply();
  EXPECT_EQ(Stored("StatSaveFormat"), RegValue::Integer(0));

  // A CSV choice survives a later showing with 7.
  ASSERT_TRUE(WriteRegInteger(reg, "HCU", kSettingsKey, "StatSaveFormat", 1));
  dialog.Show();
  EXPECT_TRUE(dialog.CsvChecked());
  ASSERT_TRUE(WriteRegInteger(reg, "HCU", kSettingsKey, "StatSaveFormat", 7));
  dialog.Show();
  EXPECT_TRUE(dialog.CsvChecked());
  EXPECT_FALSE(dialog.XlsChecked() || dialog.HtmlChecked());
  dialog.Apply();
  EXPECT_EQ(Stored("StatSaveFormat"), RegValue::Integer(1));
}

TEST_F(SettingsDialogTest, CancelWritesNothing) {
  dialog.Show();
  dialog.ChooseFolder("D:\\Elsewhere");
  dialog.ChooseFormat(StatSaveFormat::Csv);
  dialog.Cancel();
  EXPECT_FALSE(dialog.Visible());
  EXPECT_EQ(rt.LogFolder, "C:\\Rink\\Logs");
  EXPECT_EQ(Stored("StatSaveFormat"), std::nullopt);
  EXPECT_EQ(Stored("LogPath"), std::nullopt);
  dialog.Show();
  EXPECT_EQ(dialog.FolderText(), "C:\\Rink\\Logs");
  EXPECT_EQ(dialog.PendingFolder(), "C:\\Rink\\Logs");
}

TEST_F(SettingsDialogTest, ApplyClosesEvenWhenWritesFail) {
  dialog.Show();
  dialog.ChooseFolder("D:\\Stats");
  reg.failWrites = true;
  dialog.Apply();
  EXPECT_FALSE(dialog.Visible());
  EXPECT_EQ(rt.LogFolder, "D:\\Stats");
}

}  // namespace
}  // namespace rw
