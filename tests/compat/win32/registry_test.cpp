// The registry store: round trips with types, case rules, enumeration, and a
// store file that survives damage.
#include <gtest/gtest.h>

#include <stdlib.h>
#include <unistd.h>

#include <fstream>
#include <iterator>
#include <string>

#include "compat/win32.h"

namespace {

// Points the registry at a fresh folder for each test.
class RegistryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char folder[] = "/tmp/calvetta_registry_XXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    folder_ = folder;
    setenv("CALVETTA_REGISTRY", folder, 1);
  }
  void TearDown() override {
    unsetenv("CALVETTA_REGISTRY");
    std::string command = "rm -rf '" + folder_ + "'";
    ASSERT_EQ(system(command.c_str()), 0);
  }
  HKEY Create(const char16_t* path) {
    HKEY key = nullptr;
    EXPECT_EQ(RegCreateKeyW(HKEY_CURRENT_USER, path, &key), ERROR_SUCCESS);
    return key;
  }
  std::string StoreBytes() {
    std::ifstream in(compat::RegistryStorePath(), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  void WriteStore(const std::string& bytes) {
    std::ofstream out(compat::RegistryStorePath(), std::ios::binary | std::ios::trunc);
    out << bytes;
  }

  std::string folder_;
};

}  // namespace

TEST_F(RegistryTest, ValuesKeepTypeAndBytes) {
  HKEY key = Create(u"Software\\Calvetta\\Settings");
  const char16_t text[] = u"C:\\Work\\\u00e9t\u00e9";
  const BYTE blob[] = {0, 1, 2, 0xFF, 0};
  const BYTE odd[] = {0x12, 0x34, 0x56, 0x78};
  ASSERT_EQ(RegSetValueExW(key, u"Folder", 0, REG_SZ, reinterpret_cast<const BYTE*>(text), sizeof text), ERROR_SUCCESS);
  ASSERT_EQ(RegSetValueExW(key, u"Blob", 0, REG_BINARY, blob, sizeof blob), ERROR_SUCCESS);
  ASSERT_EQ(RegSetValueExW(key, u"Odd", 0, REG_DWORD_BIG_ENDIAN, odd, sizeof odd), ERROR_SUCCESS);
  ASSERT_EQ(RegSetValueExW(key, u"Empty", 0, REG_BINARY, nullptr, 0), ERROR_SUCCESS);
  RegCloseKey(key);

  // A fresh open reads what was stored, whatever the case of the names.
  ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, u"SOFTWARE\\calvetta\\settings", 0, KEY_READ, &key), ERROR_SUCCESS);
  DWORD type = 0, size = 0;
  ASSERT_EQ(RegQueryValueExW(key, u"folder", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
  EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(size, sizeof text);
  char16_t read_text[64];
  size = sizeof read_text;
  ASSERT_EQ(RegQueryValueExW(key, u"FOLDER", nullptr, &type, reinterpret_cast<BYTE*>(read_text), &size), ERROR_SUCCESS);
  EXPECT_EQ(std::u16string(read_text), text);
  BYTE bytes[8];
  size = sizeof bytes;
  ASSERT_EQ(RegQueryValueExW(key, u"Odd", nullptr, &type, bytes, &size), ERROR_SUCCESS);
  EXPECT_EQ(type, 5u);
  EXPECT_EQ(size, 4u);
  EXPECT_EQ(bytes[0], 0x12);
  size = 2;
  EXPECT_EQ(RegQueryValueExW(key, u"Blob", nullptr, &type, bytes, &size), ERROR_MORE_DATA);
  EXPECT_EQ(size, sizeof blob);
  size = sizeof bytes;
  ASSERT_EQ(RegQueryValueExW(key, u"Blob", nullptr, &type, bytes, &size), ERROR_SUCCESS);
  EXPECT_EQ(type, 3u);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(bytes), size), std::string("\0\1\2\xFF\0", 5));
  size = sizeof bytes;
  EXPECT_EQ(RegQueryValueExW(key, u"Empty", nullptr, &type, bytes, &size), ERROR_SUCCESS);
  EXPECT_EQ(size, 0u);
  EXPECT_EQ(RegQueryValueExW(key, u"Missing", nullptr, &type, bytes, &size), ERROR_FILE_NOT_FOUND);
  RegCloseKey(key);
  EXPECT_EQ(RegOpenKeyW(HKEY_CURRENT_USER, u"Software\\Nobody", &key), ERROR_FILE_NOT_FOUND);
}

TEST_F(RegistryTest, StoreIsReadAgainWhenItsFileChanges) {
  HKEY key = Create(u"Software\\A");
  DWORD number = 42;
  RegSetValueExW(key, u"N", 0, REG_DWORD, reinterpret_cast<BYTE*>(&number), 4);
  RegCloseKey(key);
  std::string saved = StoreBytes();
  ASSERT_FALSE(saved.empty());
  // Point elsewhere: empty there; point back: the value is there again.
  char other[] = "/tmp/calvetta_registry_XXXXXX";
  ASSERT_NE(mkdtemp(other), nullptr);
  setenv("CALVETTA_REGISTRY", other, 1);
  EXPECT_EQ(RegOpenKeyW(HKEY_CURRENT_USER, u"Software\\A", &key), ERROR_FILE_NOT_FOUND);
  setenv("CALVETTA_REGISTRY", folder_.c_str(), 1);
  ASSERT_EQ(RegOpenKeyW(HKEY_CURRENT_USER, u"Software\\A", &key), ERROR_SUCCESS);
  DWORD read = 0, size = 4;
  EXPECT_EQ(RegQueryValueExW(key, u"N", nullptr, nullptr, reinterpret_cast<BYTE*>(&read), &size), ERROR_SUCCESS);
  EXPECT_EQ(read, 42u);
  RegCloseKey(key);
  rmdir(other);
}

TEST_F(RegistryTest, DamagedStoreIsTreatedAsEmptyAndReplacedWhole) {
  HKEY key = Create(u"Software\\A");
  DWORD number = 7;
  RegSetValueExW(key, u"N", 0, REG_DWORD, reinterpret_cast<BYTE*>(&number), 4);
  RegCloseKey(key);
  std::string good = StoreBytes();
  // Every cut and a flipped byte anywhere: never a crash, never garbage.
  for (size_t cut = 0; cut < good.size(); cut += 3) {
    WriteStore(good.substr(0, cut));
    EXPECT_EQ(RegOpenKeyW(HKEY_CURRENT_USER, u"Software\\A", &key), ERROR_FILE_NOT_FOUND) << cut;
  }
  for (size_t at = 0; at < good.size(); ++at) {
    std::string bad = good;
    bad[at] = static_cast<char>(bad[at] ^ 0x40);
    WriteStore(bad);
    EXPECT_EQ(RegOpenKeyW(HKEY_CURRENT_USER, u"Software\\A", &key), ERROR_FILE_NOT_FOUND) << at;
  }
  // A huge count in a well-formed frame is refused too.
  std::string garbage = good.substr(0, 8) + std::string("\xFF\xFF\xFF\x7F", 4) + std::string(64, '\xEE');
  WriteStore(garbage);
  EXPECT_EQ(RegOpenKeyW(HKEY_CURRENT_USER, u"Software\\A", &key), ERROR_FILE_NOT_FOUND);
  // The next write replaces the damaged file with a sound one.
  key = Create(u"Software\\B");
  RegSetValueExW(key, u"N", 0, REG_DWORD, reinterpret_cast<BYTE*>(&number), 4);
  RegCloseKey(key);
  EXPECT_EQ(StoreBytes().substr(0, 5), "CVREG");
  EXPECT_EQ(access((folder_ + "/registry").c_str(), F_OK), 0);
  std::string listing = "ls '" + folder_ + "' | grep -c tmp >/dev/null";
  EXPECT_NE(system(listing.c_str()), 0);  // no temporary file left behind
}

TEST_F(RegistryTest, EnumerationAndInfo) {
  HKEY key = Create(u"Software\\Enum");
  HKEY child = Create(u"Software\\Enum\\Zeta");
  RegCloseKey(child);
  child = Create(u"Software\\Enum\\alpha");
  RegCloseKey(child);
  DWORD one = 1;
  RegSetValueExW(key, u"Second", 0, REG_DWORD, reinterpret_cast<BYTE*>(&one), 4);
  RegSetValueExW(key, u"First", 0, REG_BINARY, reinterpret_cast<BYTE*>(&one), 1);
  DWORD subkeys = 0, values = 0, longest_name = 0, longest_value = 0;
  ASSERT_EQ(RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values, &longest_name,
                             &longest_value, nullptr, nullptr),
            ERROR_SUCCESS);
  EXPECT_EQ(subkeys, 2u);
  EXPECT_EQ(values, 2u);
  EXPECT_EQ(longest_name, 6u);
  EXPECT_EQ(longest_value, 4u);
  WCHAR name[16];
  DWORD length = 16, type = 0;
  ASSERT_EQ(RegEnumValueW(key, 0, name, &length, nullptr, &type, nullptr, nullptr), ERROR_SUCCESS);
  EXPECT_EQ(std::u16string(name), u"Second");  // creation order
  EXPECT_EQ(length, 6u);
  length = 3;
  EXPECT_EQ(RegEnumValueW(key, 1, name, &length, nullptr, &type, nullptr, nullptr), ERROR_MORE_DATA);
  length = 16;
  EXPECT_EQ(RegEnumValueW(key, 2, name, &length, nullptr, &type, nullptr, nullptr), ERROR_NO_MORE_ITEMS);
  length = 16;
  ASSERT_EQ(RegEnumKeyExW(key, 0, name, &length, nullptr, nullptr, nullptr, nullptr), ERROR_SUCCESS);
  EXPECT_EQ(std::u16string(name), u"alpha");

  EXPECT_EQ(RegDeleteValueW(key, u"SECOND"), ERROR_SUCCESS);
  EXPECT_EQ(RegDeleteValueW(key, u"Second"), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegDeleteKeyW(HKEY_CURRENT_USER, u"Software\\Enum"), ERROR_ACCESS_DENIED);  // has subkeys
  EXPECT_EQ(RegDeleteKeyW(key, u"ALPHA"), ERROR_SUCCESS);
  EXPECT_EQ(RegDeleteKeyW(key, u"Zeta"), ERROR_SUCCESS);
  EXPECT_EQ(RegDeleteKeyW(HKEY_CURRENT_USER, u"Software\\Enum"), ERROR_SUCCESS);
  EXPECT_EQ(RegSetValueExW(key, u"X", 0, REG_DWORD, reinterpret_cast<BYTE*>(&one), 4), ERROR_KEY_DELETED);
  EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
  EXPECT_EQ(RegCloseKey(key), ERROR_INVALID_HANDLE);
}

TEST_F(RegistryTest, CreateReportsDispositionAndRootsAreSeparate) {
  HKEY key;
  DWORD disposition = 0;
  ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, u"Software\\M", 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                            nullptr, &key, &disposition),
            ERROR_SUCCESS);
  EXPECT_EQ(disposition, static_cast<DWORD>(REG_CREATED_NEW_KEY));
  RegCloseKey(key);
  ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, u"software\\m", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                            &disposition),
            ERROR_SUCCESS);
  EXPECT_EQ(disposition, static_cast<DWORD>(REG_OPENED_EXISTING_KEY));
  RegCloseKey(key);
  EXPECT_EQ(RegOpenKeyW(HKEY_CURRENT_USER, u"Software\\M", &key), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegOpenKeyW(reinterpret_cast<HKEY>(uintptr_t{0x1234}), u"x", &key), ERROR_INVALID_HANDLE);
}
