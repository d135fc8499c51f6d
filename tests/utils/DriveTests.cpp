#include <gtest/gtest.h>
#include <windows.h>
#include <winnetwk.h>
#include "tests/support/TestFolder.h"
#include "tests/support/WineHost.h"
#include "utils/InstUtils.h"

namespace {

TStorageAnswer Answer(unsigned char removableMedia, uint32_t busType)
{
    TStorageAnswer a{};
    a[4] = 0x24;  // Size 548, as the caller sets it
    a[5] = 0x02;
    a[8] = 0x07;  // a disk
    a[10] = removableMedia;
    for (int i = 0; i < 4; ++i) a[28 + i] = static_cast<unsigned char>(busType >> (8 * i));
    return a;
}

TEST(IsExternalStorageAnswer, Table)
{
    const struct {
        bool ok;
        unsigned char removableMedia;
        uint32_t busType;
        bool expected;
    } cases[] = {
        {true, 0, 1, false},        // SCSI, as Wine reports every drive
        {true, 0, 11, false},       // SATA
        {true, 0, 0, false},        // unknown
        {true, 0, 7, true},         // USB
        {true, 0, 4, true},         // IEEE 1394
        {true, 1, 1, true},         // removable media on any bus
        {true, 0xFF, 11, true},
        {false, 0, 7, false},       // the query failed: whatever the buffer holds
        {false, 1, 1, false},
        {true, 0, 0x107, false},    // all four bytes of BusType count
        {true, 0, 0x7000000, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(IsExternalStorageAnswer(c.ok, Answer(c.removableMedia, c.busType)), c.expected)
            << "ok " << c.ok << " removable " << int(c.removableMedia) << " bus " << c.busType;
}

TEST(DriveTypeOf, SystemDriveAndUnresolvablePaths)
{
    EXPECT_EQ(DriveTypeOf("C:\\windows\\system32"), static_cast<UINT>(DRIVE_FIXED));
    EXPECT_EQ(DriveTypeOf("c:"), static_cast<UINT>(DRIVE_FIXED));
    const char missing = FreeDriveLetter();
    ASSERT_NE(missing, 0);
    EXPECT_EQ(DriveTypeOf(std::string(1, missing) + ":\\x"), static_cast<UINT>(DRIVE_NO_ROOT_DIR));
    EXPECT_FALSE(IsRemovableDrive(std::string(1, missing) + ":\\x"));
    EXPECT_FALSE(IsRemovableDrive("relative\\path"));
    EXPECT_FALSE(IsRemovableDrive(""));
}

TEST(IsRemovableDrive, InternalSystemDiskIsNot)
{
    EXPECT_FALSE(IsRemovableDrive("C:\\Program Files\\Corvella"));
}

TEST(IsRemovableDrive, DriveTheSystemReportsRemovable)
{
    TTestDrive drive(DRIVE_REMOVABLE, "STICK");
    ASSERT_TRUE(drive.Defined());
    EXPECT_EQ(DriveTypeOf(drive.Root() + "Corvella"), static_cast<UINT>(DRIVE_REMOVABLE));
    EXPECT_TRUE(IsRemovableDrive(drive.Root() + "Corvella"));
    EXPECT_TRUE(IsRemovableDrive(std::string(1, static_cast<char>(drive.Letter() | 0x20)) + ":"));
}

TEST(IsRemovableDrive, OtherDriveKinds)
{
    TTestDrive fixed(DRIVE_FIXED), cdrom(DRIVE_CDROM);
    ASSERT_TRUE(fixed.Defined());
    ASSERT_TRUE(cdrom.Defined());
    EXPECT_EQ(DriveTypeOf(fixed.Root()), static_cast<UINT>(DRIVE_FIXED));
    EXPECT_FALSE(IsRemovableDrive(fixed.Root() + "x"));  // Wine answers the query with SCSI
    EXPECT_EQ(DriveTypeOf(cdrom.Root()), static_cast<UINT>(DRIVE_CDROM));
    EXPECT_FALSE(IsRemovableDrive(cdrom.Root()));
}

TEST(IsRemovableDrive, NetworkDriveIsRemoteAndNotRemovable)
{
    TTestDrive share(DRIVE_REMOTE, "", "\\\\fileserver\\setupshare");
    ASSERT_TRUE(share.Defined());
    EXPECT_EQ(DriveTypeOf(share.Root() + "Corvella\\cwp.exe"), static_cast<UINT>(DRIVE_REMOTE));
    EXPECT_FALSE(IsRemovableDrive(share.Root() + "Corvella"));
}

// The drive helper itself: what later tests of the folder page rely on.
TEST(TestDrive, LabelShareAndRemoval)
{
    char letter = 0;
    {
        TTestDrive drive(DRIVE_REMOVABLE, "MYLABEL");
        ASSERT_TRUE(drive.Defined());
        letter = drive.Letter();
        EXPECT_TRUE(GetLogicalDrives() & (1u << (letter - 'A')));
        char label[MAX_PATH + 1] = {};
        ASSERT_TRUE(GetVolumeInformationA(drive.Root().c_str(), label, MAX_PATH, nullptr, nullptr,
                                          nullptr, nullptr, 0));
        EXPECT_STREQ(label, "MYLABEL");
        ASSERT_TRUE(WriteFileBytes(drive.Root() + "file.txt", "on the drive"));
        EXPECT_EQ(ReadFileBytes(drive.Root() + "file.txt"), "on the drive");
    }
    EXPECT_FALSE(GetLogicalDrives() & (1u << (letter - 'A')));
    {
        TTestDrive share(DRIVE_REMOTE, "", "\\\\fileserver\\setupshare");
        ASSERT_TRUE(share.Defined());
        char remote[MAX_PATH + 1] = {};
        DWORD size = MAX_PATH;
        const std::string local = std::string(1, share.Letter()) + ":";
        ASSERT_EQ(WNetGetConnectionA(local.c_str(), remote, &size), static_cast<DWORD>(NO_ERROR));
        EXPECT_STREQ(remote, "\\\\fileserver\\setupshare");
    }
}

}  // namespace
