#include <sys/stat.h>

#include <climits>

#include "TestSupport.h"
#include "platform/SettingsFile.h"

namespace quorvane {
namespace {

using test::RunUnprivileged;
using test::TTempDir;
using test::WriteBytes;

std::string Numbered(const char* prefix, size_t number) {
  return std::string(prefix).append(std::to_string(number));
}

class SettingsFileTest : public testing::Test {
 protected:
  void SetUp() override { environment_.Set("XDG_CONFIG_HOME", config_); }

  std::string VendorDir() const { return config_ + "/Brennik"; }
  std::string ProgramFile() const { return VendorDir() + "/Quorvane.conf"; }

  TTempDir dir_;
  const std::string config_ = dir_ / "config";
  test::TScopedEnvironment environment_;
};

// Stored keys as earlier versions spelled them, and the folder without a usable XDG_CONFIG_HOME.
TEST_F(SettingsFileTest, StoreKeysInAnySpellingMapToGroupsAndTheFolderFallsBackToHome) {
  EXPECT_EQ(TSettingsFile::GroupForKey("Software/Brennik/Quorvane/1/7/History Files\\"),
            "1/7/History Files");
  EXPECT_EQ(TSettingsFile::GroupForKey("\\software\\BRENNIK\\Quorvane\\1\\7\\Font"), "1/7/Font");
  EXPECT_EQ(TSettingsFile::GroupForKey("\\Software\\Brennik\\Quorvane"), "");
  EXPECT_EQ(TSettingsFile::GroupForKey("\\Software\\Other\\x"), "Software/Other/x");

  environment_.Set("HOME", dir_ / "home");
  for (const std::optional<std::string>& unusable : {std::optional<std::string>(), {"relative"}}) {
    environment_.Set("XDG_CONFIG_HOME", unusable);
    EXPECT_EQ(TSettingsFile::ConfigDirectory(), dir_ / "home/.config");
  }
}

TEST_F(SettingsFileTest, StringsAndIntegersComeBackExactly) {
  std::vector<std::string> strings = {
      "  blanks around  ", "@ByteArray(x)",       "@Variant(y)", "/home/j\303\266rg/a.htm",
      "Schlie\337en",      "\357\273\277bom",     "%41%",        "",
      "[1]\nkey=value",    "a,b;c=d\"e\\f\ng\r\n"};
  strings.emplace_back(256, '\0');
  for (int c = 0; c < 256; ++c) {
    strings.back()[c] = static_cast<char>(c);  // every byte value
  }
  const std::vector<int32_t> integers = {INT32_MIN, -1, 0, 1000, INT32_MAX};
  {
    TSettingsFile settings;
    for (size_t i = 0; i < strings.size(); ++i) {
      settings.WriteString("1/7", Numbered("S", i), strings[i]);
    }
    for (size_t i = 0; i < integers.size(); ++i) {
      settings.WriteInteger("1/7/Font", Numbered("I", i), integers[i]);
    }
    ASSERT_TRUE(settings.Sync());
  }
  ASSERT_TRUE(std::filesystem::exists(ProgramFile()));
  const TSettingsFile settings;
  for (size_t i = 0; i < strings.size(); ++i) {
    EXPECT_EQ(settings.ReadString("1/7", Numbered("S", i)), strings[i]) << i;
  }
  for (size_t i = 0; i < integers.size(); ++i) {
    EXPECT_EQ(settings.ReadInteger("1/7/Font", Numbered("I", i)), integers[i]);
  }
  EXPECT_EQ(settings.ReadString("1/7", "Missing"), std::nullopt);
}

TEST_F(SettingsFileTest, KeysValuesAndTheirNamesakes) {
  TSettingsFile settings;
  settings.WriteString("1/7/History Files", "Default", "8");
  settings.WriteString("1/7/History Files", "0", "/a.htm");
  settings.WriteString("1/7/History Files", "1", "/b.htm");
  EXPECT_TRUE(settings.KeyExists("1/7"));
  EXPECT_TRUE(settings.KeyExists("1/7/History Files"));
  EXPECT_FALSE(settings.KeyExists("1/7/Font"));
  EXPECT_TRUE(settings.ValueExists("1/7/History Files", "Default"));

  // A value and a subkey of the same name are two things.
  settings.WriteString("1/7", "Font", "value");
  settings.WriteString("1/7/Font", "Name", "Courier New");
  settings.DeleteValue("1/7", "Font");
  EXPECT_FALSE(settings.ValueExists("1/7", "Font"));
  EXPECT_EQ(settings.ReadString("1/7/Font", "Name"), "Courier New");
  settings.WriteString("1/7", "Font", "value");
  settings.DeleteKey("1/7/Font");
  EXPECT_FALSE(settings.KeyExists("1/7/Font"));
  EXPECT_EQ(settings.ReadString("1/7", "Font"), "value");

  settings.DeleteKey("1/7");
  EXPECT_FALSE(settings.KeyExists("1/7"));
  EXPECT_FALSE(settings.ValueExists("1/7/History Files", "0"));
}

// A value that is no integer counts as absent with one warning that names it; a file that is
// damaged gives defaults and one warning, and can be written again.
TEST_F(SettingsFileTest, BadValuesAndADamagedFileGiveDefaultsWithAWarning) {
  std::filesystem::create_directories(VendorDir());
  using namespace std::string_literals;
  WriteBytes(ProgramFile(),
             "[1]\n7\\Waittime=abc\n\x01\x02garbage\xff\n[[[\n=x\n\0\0\x7f binary junk"s);
  {
    testing::internal::CaptureStderr();
    TSettingsFile settings;
    const std::string warning = testing::internal::GetCapturedStderr();
    EXPECT_NE(warning.find(ProgramFile() + ": cannot be read"), std::string::npos) << warning;
    const std::vector<std::string> bad = {"abc", "99999999999", "12x", "", "1.5"};
    for (size_t i = 0; i < bad.size(); ++i) {
      settings.WriteString("1/7", Numbered("V", i), bad[i]);
      testing::internal::CaptureStderr();
      EXPECT_EQ(settings.ReadInteger("1/7", Numbered("V", i)), std::nullopt);
      const std::string warning = testing::internal::GetCapturedStderr();
      EXPECT_EQ(std::count(warning.begin(), warning.end(), '\n'), 1) << warning;
      for (const std::string& named : {ProgramFile(), std::string("[1/7]"), Numbered("V", i)}) {
        EXPECT_NE(warning.find(named), std::string::npos) << warning;
      }
    }
    settings.WriteString("1/7", "Padded", " 42 ");
    settings.WriteInteger("1/7", "Waittime", 500);
    EXPECT_TRUE(settings.Sync());
  }
  testing::internal::CaptureStderr();
  const TSettingsFile settings;
  EXPECT_EQ(settings.ReadInteger("1/7", "Waittime"), 500);
  EXPECT_EQ(settings.ReadInteger("1/7", "Padded"), 42);
  EXPECT_EQ(settings.ReadInteger("1/7", "Missing"), std::nullopt);
  EXPECT_EQ(settings.ReadString("1/7", "BreakTags"), std::nullopt);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

TEST_F(SettingsFileTest, RemovingTheKeyTakesEmptyParentsTheFileAndTheVendorDirectory) {
  {
    TSettingsFile settings;
    settings.WriteInteger("1/7", "Waittime", 1);
    settings.WriteString("1/7/Font", "Name", "x");
    settings.WriteInteger("1/8", "Waittime", 2);
    ASSERT_TRUE(settings.Sync());
    settings.RemoveKeyAndEmptyParents("1/7");
    EXPECT_TRUE(settings.Sync());
  }
  {
    TSettingsFile settings;
    EXPECT_FALSE(settings.KeyExists("1/7"));
    EXPECT_EQ(settings.ReadInteger("1/8", "Waittime"), 2) << "other groups stay";
    WriteBytes(VendorDir() + "/Other.conf", "[a]\nb=1\n");
    settings.RemoveKeyAndEmptyParents("1/8");
    EXPECT_TRUE(settings.Sync());
    EXPECT_FALSE(std::filesystem::exists(ProgramFile()));
    EXPECT_TRUE(std::filesystem::exists(VendorDir())) << "it still holds another file";
  }
  std::filesystem::remove(VendorDir() + "/Other.conf");
  {
    TSettingsFile settings;
    settings.WriteInteger("1/7", "Waittime", 1);
    settings.RemoveKeyAndEmptyParents("1/7");
  }
  EXPECT_FALSE(std::filesystem::exists(VendorDir()));
  EXPECT_TRUE(std::filesystem::exists(config_)) << "nothing above the vendor directory goes";
}

TEST_F(SettingsFileTest, SyncReportsAFileThatCannotBeWritten) {
  ASSERT_EQ(::chmod(dir_.Path().c_str(), 0777), 0);
  const int result = RunUnprivileged([this] {
    const std::string locked = dir_ / "locked";
    ASSERT_EQ(::mkdir(locked.c_str(), 0755), 0);
    WriteBytes(locked + "/damaged.conf", "junk\n");
    ASSERT_EQ(::chmod(locked.c_str(), 0555), 0);
    for (const char* name : {"new.conf", "damaged.conf"}) {
      testing::internal::CaptureStderr();
      TSettingsFile settings(locked + "/" + name);
      settings.ReadInteger("1/7", "Waittime");  // a damaged file's format error comes first
      settings.WriteInteger("1/7", "Waittime", 1);
      EXPECT_FALSE(settings.Sync()) << name;
      testing::internal::GetCapturedStderr();
    }
  });
  EXPECT_EQ(result, 0);
}

}  // namespace
}  // namespace quorvane
