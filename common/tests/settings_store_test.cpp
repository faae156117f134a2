// The settings key on the real registry: readers' defaults and limits, the writer's exact data.
#include "common/settings_store.h"

#include <gtest/gtest.h>

#include "tests/support/test_support.h"

using namespace testing_support;

namespace {
class SettingsStore : public ::testing::Test {
 protected:
  ScopedRegistryKey saved_{kSettingsKeyPath};
  void Set(const char* name, const std::string& data) {
    ASSERT_TRUE(SetStringValue(HKEY_LOCAL_MACHINE, kSettingsKeyPath, name, data));
  }
};
}  // namespace

TEST_F(SettingsStore, DefaultsWithoutKeyOrValues) {
  EXPECT_EQ(ReadRunInterval(), 30);
  EXPECT_EQ(IsSoundEnabled(), 1);
  EXPECT_EQ(ArePopupsEnabled(), 1);
  std::string folder = "unchanged";
  EXPECT_FALSE(ReadFolder(folder, 256));
  EXPECT_EQ(ReadItemHost(), "cgi.rure.com");
  Set("Folder", "C:\\x");
  EXPECT_EQ(ReadRunInterval(), 30);
}

TEST_F(SettingsStore, ReadersTakeTheLeadingNumberOrTheDefault) {
  Set("RunInterval", "5");  // stored without NUL, as the settings dialog does
  Set("LotwiseSound", "0");
  Set("PopupMessages", std::string("0\0", 2));
  EXPECT_EQ(ReadRunInterval(), 5);
  EXPECT_EQ(IsSoundEnabled(), 0);
  EXPECT_EQ(ArePopupsEnabled(), 0);

  Set("RunInterval", "often");
  EXPECT_EQ(ReadRunInterval(), 30);
  Set("RunInterval", "");
  EXPECT_EQ(ReadRunInterval(), 30);
  Set("RunInterval", std::string(256, '7').replace(0, 2, "12"));  // exactly 256 bytes: read
  EXPECT_EQ(ReadRunInterval(), 2147483647);
  Set("RunInterval", "1" + std::string(256, ' '));  // 257 bytes: too long, the default
  EXPECT_EQ(ReadRunInterval(), 30);
}

TEST_F(SettingsStore, FolderLimitsAndItemHost) {
  const std::string folder200(200, 'f');
  Set("Folder", folder200);
  std::string folder;
  EXPECT_TRUE(ReadFolder(folder, 256));
  EXPECT_EQ(folder, folder200);
  EXPECT_FALSE(ReadFolder(folder, 128));
  Set("Folder", std::string(127, 'g') + '\0');  // 128 bytes with its NUL: accepted by both
  EXPECT_TRUE(ReadFolder(folder, 128));
  EXPECT_EQ(folder, std::string(127, 'g'));
  Set("ItemHost", "127.0.0.1:8080");
  EXPECT_EQ(ReadItemHost(), "127.0.0.1:8080");
  Set("ItemHost", "evil.example/phish?x=");  // not a plain host name: the default
  EXPECT_EQ(ReadItemHost(), "cgi.rure.com");
}

TEST_F(SettingsStore, WriterStoresExactTypesAndLengths) {
  SettingsWriter writer;
  ASSERT_TRUE(writer.Open());
  char email[kSettingsEmailAddressSize] = "";
  ASSERT_TRUE(writer.WriteRunInterval("5"));
  ASSERT_TRUE(writer.WriteEmailAddress(email));
  ASSERT_TRUE(writer.WritePopupMessages(false));
  ASSERT_TRUE(writer.WriteEmailMessages(true));
  writer.Close();

  RegistryValue interval = QueryValue(HKEY_LOCAL_MACHINE, kSettingsKeyPath, "RunInterval");
  EXPECT_EQ(interval.type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(interval.data, "5");
  EXPECT_EQ(QueryValue(HKEY_LOCAL_MACHINE, kSettingsKeyPath, "EmailAddress").data, std::string(1024, '\0'));
  EXPECT_EQ(QueryValue(HKEY_LOCAL_MACHINE, kSettingsKeyPath, "PopupMessages").data, "0");
  EXPECT_EQ(QueryValue(HKEY_LOCAL_MACHINE, kSettingsKeyPath, "EmailMessages").data, "1");
  EXPECT_EQ(ReadRunInterval(), 5);
  EXPECT_EQ(ArePopupsEnabled(), 0);

  ASSERT_TRUE(writer.Open());
  ASSERT_TRUE(writer.WriteRunInterval(""));
  EXPECT_EQ(QueryValue(HKEY_LOCAL_MACHINE, kSettingsKeyPath, "RunInterval").data, "");
}
