#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>

#include "shell/portable_registry.h"
#include "shell/registry.h"
#include "support/fakes.h"

namespace rw {
namespace {

namespace fs = std::filesystem;

std::string ReadText(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteText(const fs::path& p, const std::string& text) {
  std::ofstream(p, std::ios::binary) << text;
}

long Lines(const std::string& s) {
  return std::count(s.begin(), s.end(), '\n');
}

const PortableMachineValues kMachine{"jdoe", "/home/jdoe/Documents"};

// The helpers' behaviour is the same over every store.
struct StoreCase {
  const char* name;
  std::function<std::unique_ptr<IRegistry>(const test::TempDir&, std::ostream&)> make;
};

class RegistryHelpersTest : public ::testing::TestWithParam<StoreCase> {
 protected:
  RegistryHelpersTest() : reg(GetParam().make(dir, errors)) {}
  test::TempDir dir;
  std::ostringstream errors;
  std::unique_ptr<IRegistry> reg;
};

TEST_P(RegistryHelpersTest, ReadOfMissingKeyCreatesIt) {
  EXPECT_FALSE(reg->OpenKey(RootKey::CurrentUser, "Software\\Brevikon", false));
  EXPECT_EQ(ReadRegString(*reg, "HCU", "Software\\Brevikon", "LogPath"), "");
  EXPECT_TRUE(reg->OpenKey(RootKey::CurrentUser, "Software\\Brevikon", false));
  EXPECT_TRUE(reg->OpenKey(RootKey::CurrentUser, "software", false));  // its parent exists too
  EXPECT_EQ(ReadRegInteger(*reg, "HCU", "Software\\Other", "StatSaveFormat"), 0);
  EXPECT_TRUE(reg->OpenKey(RootKey::CurrentUser, "Software\\Other", false));
}

TEST_P(RegistryHelpersTest, RootCodesAreCaseSensitiveAndDefaultToCurrentUser) {
  ASSERT_TRUE(WriteRegInteger(*reg, "hcu", "Software\\Brevikon", "StatSaveFormat", 2));
  EXPECT_EQ(ReadRegInteger(*reg, "HCU", "Software\\Brevikon", "StatSaveFormat"), 2);
  EXPECT_EQ(ReadRegInteger(*reg, "anything", "Software\\Brevikon", "StatSaveFormat"), 2);
  EXPECT_EQ(ReadRegInteger(*reg, "HLM", "Software\\Brevikon", "StatSaveFormat"), 0);
  EXPECT_EQ(ReadRegInteger(*reg, "HU", "Software\\Brevikon", "StatSaveFormat"), 0);
  // Key paths and value names ignore case, as on Windows.
  EXPECT_EQ(ReadRegInteger(*reg, "HCU", "SOFTWARE\\brevikon", "statsaveformat"), 2);
}

TEST_P(RegistryHelpersTest, WrongTypeReadsAsFailure) {
  ASSERT_TRUE(WriteRegInteger(*reg, "HCU", "Software\\Brevikon", "LogPath", 5));
  ASSERT_TRUE(WriteRegString(*reg, "HCU", "Software\\Brevikon", "StatSaveFormat", "2"));
  EXPECT_EQ(ReadRegString(*reg, "HCU", "Software\\Brevikon", "LogPath"), "");
  EXPECT_EQ(ReadRegInteger(*reg, "HCU", "Software\\Brevikon", "StatSaveFormat"), 0);
  // A later write of the right type replaces the value.
  ASSERT_TRUE(WriteRegString(*reg, "HCU", "Software\\Brevikon", "LogPath", "C:\\Logs"));
  EXPECT_EQ(ReadRegString(*reg, "HCU", "Software\\Brevikon", "LogPath"), "C:\\Logs");
}

INSTANTIATE_TEST_SUITE_P(
    Stores, RegistryHelpersTest,
    ::testing::Values(StoreCase{"Memory",
                                [](const test::TempDir&, std::ostream&) -> std::unique_ptr<IRegistry> {
                                  return std::make_unique<MemoryRegistry>();
                                }},
                      StoreCase{"Portable",
                                [](const test::TempDir& d, std::ostream& err) -> std::unique_ptr<IRegistry> {
                                  return std::make_unique<PortableRegistry>(d.str() + "/cfg", kMachine, err);
                                }}),
    [](const ::testing::TestParamInfo<StoreCase>& p) { return std::string(p.param.name); });

TEST(RegistryHelpersFailureTest, WritesReportFalse) {
  MemoryRegistry reg;
  reg.failWrites = true;
  EXPECT_FALSE(WriteRegInteger(reg, "HCU", "Software\\Brevikon", "StatSaveFormat", 1));
  EXPECT_FALSE(WriteRegString(reg, "HCU", "Software\\Brevikon", "LogPath", "x"));
  EXPECT_EQ(ReadRegString(reg, "HCU", "Software\\Brevikon", "LogPath"), "");
}

class PortableRegistryTest : public ::testing::Test {
 protected:
  std::string Folder() const { return dir.str() + "/cfg"; }
  fs::path File() const { return fs::path(Folder()) / kPortableStoreFileName; }
  test::TempDir dir;
  std::ostringstream errors;
};

TEST_F(PortableRegistryTest, ValuesSurviveAReloadInAReadableFile) {
  const std::string awkward = std::string("50% \"quoted\"\r\nline ] caf\xE9\t") + '\0' + "end";
  {
    PortableRegistry reg(Folder(), kMachine, errors);
    ASSERT_TRUE(WriteRegInteger(reg, "HCU", "Software\\Brevikon", "StatSaveFormat", -2147483647 - 1));
    ASSERT_TRUE(WriteRegString(reg, "HCU", "Software\\Brevikon", "LogPath", "C:\\Rink Logs"));
    ASSERT_TRUE(WriteRegString(reg, "HLM", "Soft]ware\\x%y", "Odd \"name\"", awkward));
  }
  const std::string text = ReadText(File());
  EXPECT_NE(text.find("\nrinkwarden-registry 1\n"), std::string::npos);
  EXPECT_NE(text.find("\n[HKEY_CURRENT_USER\\Software\\Brevikon]\n"
                      "\"StatSaveFormat\"=integer:-2147483648\n"
                      "\"LogPath\"=string:\"C:\\Rink Logs\"\n"),
            std::string::npos)
      << text;

  PortableRegistry again(Folder(), kMachine, errors);
  EXPECT_EQ(ReadRegInteger(again, "HCU", "software\\brevikon", "StatSaveFormat"), -2147483647 - 1);
  EXPECT_EQ(ReadRegString(again, "HCU", "Software\\Brevikon", "LogPath"), "C:\\Rink Logs");
  EXPECT_EQ(ReadRegString(again, "HLM", "Soft]ware\\x%y", "Odd \"name\""), awkward);
  EXPECT_EQ(errors.str(), "");
}

TEST_F(PortableRegistryTest, DamagedFileReadsEmptyAndIsKeptUntilAWrite) {
  fs::create_directories(Folder());
  const std::string damaged =
      "rinkwarden-registry 1\n[HKEY_CURRENT_USER\\Software\\Brevikon]\n\"LogPath\"=strin";
  WriteText(File(), damaged);

  PortableRegistry reg(Folder(), kMachine, errors);
  EXPECT_EQ(Lines(errors.str()), 1) << errors.str();
  EXPECT_NE(errors.str().find(File().string()), std::string::npos);
  EXPECT_EQ(ReadRegString(reg, "HCU", "Software\\Brevikon", "LogPath"), "");  // creates the key in memory
  EXPECT_EQ(ReadText(File()), damaged);

  ASSERT_TRUE(WriteRegInteger(reg, "HCU", "Software\\Brevikon", "StatSaveFormat", 1));
  EXPECT_EQ(ReadText(fs::path(File().string() + ".damaged")), damaged);
  PortableRegistry again(Folder(), kMachine, errors);
  EXPECT_EQ(ReadRegInteger(again, "HCU", "Software\\Brevikon", "StatSaveFormat"), 1);
  EXPECT_EQ(Lines(errors.str()), 1);
}

TEST_F(PortableRegistryTest, ParserRefusesDamagedTexts) {
  const std::string head = "rinkwarden-registry 1\n";
  const std::string key = "[HKEY_CURRENT_USER\\K]\n";
  const std::string cases[] = {
      "",                                         // no header
      "[HKEY_CURRENT_USER\\K]\n",                 // no header
      head + "\"a\"=integer:1\n",                 // value before any key
      head + "[HKEY_NOWHERE\\K]\n",               // unknown root
      head + "[HKEY_CURRENT_USER\\K\n",           // unclosed key
      head + key + "\"a\"=integer:2147483648\n",  // beyond 32 bits
      head + key + "\"a\"=integer:1x\n",          // not a number
      head + key + "\"a\"=binary:00\n",           // unknown type
      head + key + "\"a\"=string:\"x%G1\"\n",     // bad escape
      head + key + "\"a\"=string:\"x%4\"\n",      // cut escape
      head + key + "\"a\"=string:\"x\"y\"\n",     // text after the closing quote
      head + key + "\"a\"=string:\"x\ty\"\n",     // raw control byte
      head + key + "a=integer:1\n",               // unquoted name
  };
  for (const std::string& text : cases) {
    SCOPED_TRACE(text);
    EXPECT_FALSE(PortableRegistry::Parse(text).has_value());
  }
  const auto ok = PortableRegistry::Parse("# note\r\n" + head + "\r\n  " + key + "\"a\"=integer:7\r\n");
  ASSERT_TRUE(ok.has_value());
  ASSERT_EQ(ok->size(), 1u);
  EXPECT_EQ((*ok)[0].values.at(0).value, RegValue::Integer(7));
}

TEST_F(PortableRegistryTest, AnswersMachineValuesUnlessTheFileHoldsItsOwn) {
  PortableRegistry reg(Folder(), kMachine, errors);
  EXPECT_TRUE(reg.OpenKey(RootKey::LocalMachine, kWinlogonKey, false));
  EXPECT_EQ(ReadRegString(reg, "HLM", kWinlogonKey, "DefaultUserName"), "jdoe");
  EXPECT_EQ(ReadRegString(reg, "HCU", kShellFoldersKey, "Personal"), "/home/jdoe/Documents");
  EXPECT_FALSE(fs::exists(File()));  // answering machine values writes nothing

  ASSERT_TRUE(WriteRegString(reg, "HCU",
                             "software\\microsoft\\windows\\currentversion\\explorer\\shell folders",
                             "Personal", "D:\\Docs"));
  EXPECT_EQ(ReadRegString(reg, "HCU", kShellFoldersKey, "Personal"), "D:\\Docs");
  EXPECT_EQ(ReadRegString(reg, "HLM", kWinlogonKey, "DefaultUserName"), "jdoe");
}

TEST_F(PortableRegistryTest, UnwritableFolderMakesWritesFail) {
  WriteText(dir.path() / "cfg", "a file where the folder should be");
  PortableRegistry reg(Folder(), kMachine, errors);
  EXPECT_FALSE(WriteRegInteger(reg, "HCU", "Software\\Brevikon", "StatSaveFormat", 1));
  EXPECT_EQ(ReadRegInteger(reg, "HCU", "Software\\Brevikon", "StatSaveFormat"), 0);
  EXPECT_EQ(ReadRegString(reg, "HLM", kWinlogonKey, "DefaultUserName"), "jdoe");

  // Without a configuration folder (no HOME) nothing is written anywhere, not even here.
  PortableRegistry nowhere("", kMachine, errors);
  EXPECT_FALSE(WriteRegInteger(nowhere, "HCU", "Software\\Brevikon", "StatSaveFormat", 1));
  EXPECT_FALSE(fs::exists(kPortableStoreFileName));
  EXPECT_EQ(ReadRegString(nowhere, "HCU", kShellFoldersKey, "Personal"), "/home/jdoe/Documents");
}

TEST(PortableEnvironmentTest, DocumentsFolderFromUserDirs) {
  EXPECT_EQ(DocumentsDirFromUserDirs("# x\nXDG_DOCUMENTS_DIR=\"$HOME/Dokumente/\"\n", "/home/u"),
            "/home/u/Dokumente");
  EXPECT_EQ(DocumentsDirFromUserDirs("XDG_DOCUMENTS_DIR=\"/data/docs\"", "/home/u"), "/data/docs");
  EXPECT_EQ(DocumentsDirFromUserDirs("XDG_DOCUMENTS_DIR=\"docs\"\nXDG_MUSIC_DIR=\"$HOME/M\"", "/home/u"),
            std::nullopt);
}

TEST(PortableEnvironmentTest, StoreFolderFollowsXdgConfigHome) {
  const char* old = std::getenv("XDG_CONFIG_HOME");
  const std::string saved = old ? old : "";
  setenv("XDG_CONFIG_HOME", "/tmp/cfg-home", 1);
  EXPECT_EQ(DefaultPortableStoreFolder(), "/tmp/cfg-home/rinkwarden");
  unsetenv("XDG_CONFIG_HOME");
  if (const char* home = std::getenv("HOME")) {
    EXPECT_EQ(DefaultPortableStoreFolder(), std::string(home) + "/.config/rinkwarden");
  }
  if (old) setenv("XDG_CONFIG_HOME", saved.c_str(), 1);
}

}  // namespace
}  // namespace rw
