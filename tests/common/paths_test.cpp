#include "common/paths.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "common/files.h"
#include "support/fakes.h"

namespace rw {
namespace {

#ifndef _WIN32
TEST(Paths, DriveLettersMapThroughTheirRootAndBackslashesBecomeSlashes) {
  SetDriveRoot('c', "/srv/wine/drive_c");
  SetDriveRoot('D', "/mnt/data/");
  const struct {
    const char* system;
    const char* host;
  } cases[] = {
      {"C:\\Program Files\\NHL07\\db\\db.viv", "/srv/wine/drive_c/Program Files/NHL07/db/db.viv"},
      {"c:\\Users\\Me\\Documents", "/srv/wine/drive_c/Users/Me/Documents"},
      {"C:/mixed\\seps", "/srv/wine/drive_c/mixed/seps"},
      {"C:", "/srv/wine/drive_c"},
      {"C:relative", "/srv/wine/drive_c/relative"},
      {"D:\\logs\\", "/mnt/data//logs/"},
      {"\\NHL07\\exhibition.exh", "/NHL07/exhibition.exh"},  // an empty documents folder
      {"/tmp/x\\temp\\nhl2007PC.tdb", "/tmp/x/temp/nhl2007PC.tdb"},
      {"relative\\file", "relative/file"},
      {"1:\\not a drive", "1:/not a drive"},
  };
  for (const auto& c : cases) EXPECT_EQ(ToHostPath(c.system), c.host) << c.system;
  SetDriveRoot('c', "");
  SetDriveRoot('d', "");
}

TEST(Paths, DefaultDriveRootIsWinesDosdevices) {
  const char* old = std::getenv("WINEPREFIX");
  const std::string saved = old ? old : "";
  setenv("WINEPREFIX", "/home/u/.wine-nhl", 1);
  EXPECT_EQ(ToHostPath("C:\\Games\\NHL07\\"), "/home/u/.wine-nhl/dosdevices/c:/Games/NHL07/");
  unsetenv("WINEPREFIX");
  if (const char* home = std::getenv("HOME")) {
    EXPECT_EQ(ToHostPath("E:\\x"), std::string(home) + "/.wine/dosdevices/e:/x");
  }
  if (old) setenv("WINEPREFIX", saved.c_str(), 1);
}

TEST(Paths, FileOperationsUseTheRule) {
  test::TempDir dir;
  SetDriveRoot('q', dir.str());
  ASSERT_TRUE(CreateFolder("Q:\\Temp"));
  ASSERT_TRUE(WriteFileAtomic("Q:\\Temp\\a.txt", AsBytes("x")).ok());
  EXPECT_TRUE(FileExists(dir.str() + "/Temp/a.txt"));
  EXPECT_TRUE(CopyFileOver("q:\\Temp\\a.txt", "Q:\\Temp\\b.txt"));
  EXPECT_TRUE(DeleteFileAt("Q:\\Temp\\a.txt"));
  EXPECT_FALSE(FileExists("Q:\\Temp\\a.txt"));
  EXPECT_TRUE(FileExists("Q:\\Temp\\b.txt"));
  SetDriveRoot('q', "");
}
#endif

TEST(Paths, FileNames) {
  EXPECT_EQ(FileNameOf("C:\\Games\\NHL07\\db\\db.viv"), "db.viv");
  EXPECT_EQ(FileNameOf("/a/b"), "b");
  EXPECT_EQ(FileNameOf("plain"), "plain");
  EXPECT_EQ(SafeFileName("a\\b/c:d*e?f\"g<h>i|j\x01k"), "a_b_c_d_e_f_g_h_i_j_k");
  EXPECT_EQ(JoinSystemPath("C:\\Logs", "x.log"), "C:\\Logs\\x.log");
}

}  // namespace
}  // namespace rw
