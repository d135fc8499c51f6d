#include <gtest/gtest.h>
#include "tests/support/TestRegKey.h"
#include "utils/Registry.h"

namespace {

class RegistryStore : public testing::Test {
protected:
    std::string Raw(const std::string& subKey, const std::string& name, DWORD* type = nullptr)
    {
        DWORD t = 0;
        std::string bytes;
        if (!ReadRawValue(key_.Path() + subKey, name, t, bytes)) return "<missing>";
        if (type) *type = t;
        return bytes;
    }

    TTestRegKey key_;
};

TEST_F(RegistryStore, OpenKeyCreatesTheKeyEmpty)
{
    TRegistry reg;
    EXPECT_EQ(reg.RootKey, HKEY_CURRENT_USER);
    EXPECT_EQ(reg.CurrentKey, nullptr);
    reg.OpenKey(key_.Path() + "\\Corvella Word Processor\\Install");
    EXPECT_NE(reg.CurrentKey, nullptr);
    EXPECT_EQ(reg.CurrentPath, key_.Path() + "\\Corvella Word Processor\\Install");
    EXPECT_TRUE(key_.Exists("Corvella Word Processor\\Install"));
    EXPECT_FALSE(reg.ValueExists("MAINDIR"));
    EXPECT_EQ(reg.ReadString("MAINDIR"), "");
    EXPECT_EQ(reg.GetDataSize("MAINDIR"), -1);
}

TEST_F(RegistryStore, RelativeAndAbsolutePaths)
{
    TRegistry reg;
    reg.OpenKey(key_.Path());
    reg.OpenKey("Child");
    EXPECT_EQ(reg.CurrentPath, key_.Path() + "\\Child");
    EXPECT_TRUE(key_.Exists("Child"));
    reg.WriteString("where", "child");
    EXPECT_EQ(Raw("\\Child", "where"), std::string("child\0", 6));

    // A leading backslash starts again from the root, even while a key is open.
    reg.OpenKey("\\" + key_.Path() + "\\Other");
    EXPECT_EQ(reg.CurrentPath, key_.Path() + "\\Other");
    EXPECT_FALSE(key_.Exists("Child\\" + key_.Path()));
    reg.WriteString("where", "other");
    EXPECT_EQ(Raw("\\Other", "where"), std::string("other\0", 6));

    // An empty relative path opens the same key again.
    reg.OpenKey("");
    EXPECT_EQ(reg.CurrentPath, key_.Path() + "\\Other\\");
    EXPECT_EQ(reg.ReadString("where"), "other");
}

TEST_F(RegistryStore, CloseKeyAndRootKey)
{
    TRegistry reg;
    reg.OpenKey(key_.Path());
    reg.SetRootKey(HKEY_CURRENT_USER);  // the same root: the key stays open
    EXPECT_NE(reg.CurrentKey, nullptr);
    reg.SetRootKey(HKEY_LOCAL_MACHINE);
    EXPECT_EQ(reg.CurrentKey, nullptr);
    EXPECT_EQ(reg.CurrentPath, "");
    EXPECT_EQ(reg.RootKey, HKEY_LOCAL_MACHINE);
    reg.SetRootKey(HKEY_CURRENT_USER);
    reg.OpenKey(key_.Path());
    reg.CloseKey();
    EXPECT_EQ(reg.CurrentKey, nullptr);
    EXPECT_EQ(reg.CurrentPath, "");
    reg.WriteString("lost", "x");
    EXPECT_EQ(Raw("", "lost"), "<missing>");
    EXPECT_FALSE(reg.ValueExists("lost"));
}

TEST_F(RegistryStore, StringsAsStored)
{
    TRegistry reg;
    reg.OpenKey(key_.Path());
    DWORD type = 0;
    reg.WriteString("empty", "");
    EXPECT_EQ(Raw("", "empty", &type), std::string("\0", 1));
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_TRUE(reg.ValueExists("empty"));
    EXPECT_EQ(reg.GetDataSize("empty"), 1);
    EXPECT_EQ(reg.ReadString("empty"), "");

    reg.WriteString("MAINDIR", "C:\\Program Files\\Corvella");
    EXPECT_EQ(reg.ReadString("MAINDIR"), "C:\\Program Files\\Corvella");
    reg.WriteString("cp1252", "\x80\xE6\xF8");
    EXPECT_EQ(reg.ReadString("cp1252"), "\x80\xE6\xF8");

    const struct {
        std::string name;
        DWORD type;
        std::string stored, read;
    } raw[] = {
        {"embedded", REG_SZ, std::string("ab\0cd\0", 6), "ab"},
        {"noterminator", REG_BINARY, "xyz", "xyz"},
        {"zerosize", REG_BINARY, "", ""},
        {"dword", REG_DWORD, std::string("A\0\0\0", 4), "A"},
    };
    for (const auto& r : raw) {
        ASSERT_TRUE(WriteRawValue(key_.Path(), r.name, r.type, r.stored));
        EXPECT_TRUE(reg.ValueExists(r.name)) << r.name;
        EXPECT_EQ(reg.ReadString(r.name), r.read) << r.name;
    }
    EXPECT_EQ(reg.GetDataSize("zerosize"), 0);
}

TEST_F(RegistryStore, IntegersAndBooleans)
{
    TRegistry reg;
    reg.OpenKey(key_.Path());
    DWORD type = 0;
    reg.WriteBool("LAUNCH", true);
    EXPECT_EQ(Raw("", "LAUNCH", &type), std::string("\x01\0\0\0", 4));
    EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
    EXPECT_TRUE(reg.ReadBool("LAUNCH"));
    reg.WriteBool("LAUNCH", false);
    EXPECT_EQ(Raw("", "LAUNCH"), std::string("\0\0\0\0", 4));
    EXPECT_FALSE(reg.ReadBool("LAUNCH"));
    EXPECT_TRUE(reg.ValueExists("LAUNCH"));

    reg.WriteInteger("n", -2);
    EXPECT_EQ(Raw("", "n"), std::string("\xFE\xFF\xFF\xFF", 4));
    EXPECT_EQ(reg.ReadInteger("n"), -2);

    ASSERT_TRUE(WriteRawValue(key_.Path(), "seven", REG_DWORD, std::string("\x07\0\0\0", 4)));
    EXPECT_TRUE(reg.ReadBool("seven"));
    ASSERT_TRUE(WriteRawValue(key_.Path(), "high", REG_DWORD, std::string("\0\0\0\x80", 4)));
    EXPECT_TRUE(reg.ReadBool("high"));
    // Missing, or not exactly four bytes: 0.
    EXPECT_EQ(reg.ReadInteger("missing"), 0);
    ASSERT_TRUE(WriteRawValue(key_.Path(), "long", REG_BINARY, "12345678"));
    EXPECT_EQ(reg.ReadInteger("long"), 0);
    ASSERT_TRUE(WriteRawValue(key_.Path(), "short", REG_BINARY, "\x05"));
    EXPECT_EQ(reg.ReadInteger("short"), 0);
}

TEST_F(RegistryStore, KeyThatCannotBeCreatedLosesWritesQuietly)
{
    TRegistry reg;
    const std::string tooLong = key_.Path() + "\\" + std::string(300, 'k');
    reg.OpenKey(tooLong);
    EXPECT_EQ(reg.CurrentKey, nullptr);
    EXPECT_EQ(reg.CurrentPath, tooLong);
    reg.WriteString("MAINDIR", "x");
    reg.WriteBool("LAUNCH", true);
    EXPECT_FALSE(reg.ValueExists("MAINDIR"));
    EXPECT_EQ(reg.ReadString("MAINDIR"), "");
    EXPECT_FALSE(reg.ReadBool("LAUNCH"));
}

}  // namespace
