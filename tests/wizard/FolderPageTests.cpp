// The folder page: the edit box follows the folder list, typed text stays until the list moves,
// and the drive watch follows drives that appear and vanish.
#include "tests/wizard/WizardFixture.h"

#include "tests/support/WineHost.h"
#include "wizard/FileCtrl.h"

namespace {
// As a click on a row does it: the selection, then the notification to the parent.
void SelectRow(TDirectoryListBox* list, int row)
{
    SendMessageA(list->Handle(), LB_SETCURSEL, row, 0);
    SendMessageA(GetParent(list->Handle()), WM_COMMAND,
                 MAKEWPARAM(GetDlgCtrlID(list->Handle()), LBN_SELCHANGE), reinterpret_cast<LPARAM>(list->Handle()));
}

int RowOf(TDirectoryListBox* list, const std::string& path)
{
    for (int i = 0; i < list->Count(); ++i)
        if (TextEquals(list->Text(i), path)) return i;
    return -1;
}

void DriveTick(TMainDlgForm& form) { SendMessageA(form.Handle(), WM_TIMER, DriveTimerId, 0); }

TEST_F(TWizardTest, ConstructionLeavesTheStartFolderInTheEditBox)
{
    const std::string start = Host + "Missing\\Deeper";
    TMainDlgForm& form = MakeForm("setup.exe \"-d" + start + "\"");

    EXPECT_EQ(form.DestDirEdt->Text(), start);
    EXPECT_TRUE(TextEquals(form.DestDirLstBx->Directory(), Host)) << "the list shows the nearest existing folder";
}

TEST_F(TWizardTest, EditBoxFollowsTheFolderListOnly)
{
    MakeFolder(Host + "Sub");
    TMainDlgForm& form = MakeForm("setup.exe -d" + Host);
    WalkTo(2);
    form.DestDirEdt->SetText("typed by hand");
    DriveTick(form);
    EXPECT_EQ(form.DestDirEdt->Text(), "typed by hand") << "a tick without a drive change moves nothing";

    const int row = RowOf(form.DestDirLstBx, Host + "Sub");
    ASSERT_GE(row, 0);
    SelectRow(form.DestDirLstBx, row);

    EXPECT_EQ(form.DestDirEdt->Text(), Host + "Sub");
}

TEST_F(TWizardTest, TextWithoutADriveTakesTheDriveBoxLetter)
{
    TMainDlgForm& form = MakeForm("setup.exe -d" + Host);
    WalkTo(2);
    form.DestDirEdt->SetText("Games");
    Boxes.Then(IDOK);

    Next();

    EXPECT_EQ(form.DestDirEdt->Text(), std::string(1, form.DestDirCmbBx->Drive()) + ":\\Corvella");
    EXPECT_EQ(Page(), 2);
}

TEST_F(TWizardTest, DriveWatchFollowsDrivesThatComeAndGo)
{
    TMainDlgForm& form = MakeForm("setup.exe -d" + Host);
    WalkTo(2);

    auto first = std::make_unique<TTestDrive>(DRIVE_REMOVABLE);
    ASSERT_TRUE(first->Defined());
    DriveTick(form);
    EXPECT_EQ(form.DestDirCmbBx->Drive(), first->Letter() | 0x20);
    EXPECT_EQ(form.DestDirEdt->Text(), std::string(1, char(first->Letter() | 0x20)) + ":\\Corvella");

    auto second = std::make_unique<TTestDrive>(DRIVE_FIXED);
    ASSERT_TRUE(second->Defined());
    DriveTick(form);
    const char secondLetter = static_cast<char>(second->Letter() | 0x20);
    EXPECT_EQ(form.DestDirCmbBx->Drive(), secondLetter);
    const std::string secondText = form.DestDirEdt->Text();
    const std::string secondItem = form.DestDirCmbBx->Text();

    first.reset();
    DriveTick(form);
    EXPECT_EQ(form.DestDirCmbBx->Drive(), secondLetter) << "another drive went: nothing moves";
    EXPECT_EQ(form.DestDirCmbBx->Text(), secondItem);
    EXPECT_EQ(form.DestDirEdt->Text(), secondText);

    second.reset();
    DriveTick(form);
    EXPECT_EQ(form.DestDirCmbBx->Drive(), ProgramFiles[0] | 0x20);
    EXPECT_EQ(form.DestDirEdt->Text(), ProgramFiles + "Corvella") << "the selected drive went: Program Files";
}
}  // namespace
