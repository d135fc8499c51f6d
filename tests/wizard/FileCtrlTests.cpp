#include "Screenshot.h"
#include "gui/Application.h"
#include "gui/Form.h"
#include "tests/support/TestFolder.h"
#include "tests/support/WineHost.h"
#include "utils/InstUtils.h"
#include "wizard/FileCtrl.h"
#include <shlobj.h>
#include <gtest/gtest.h>
#include <algorithm>
#include <map>
#include <memory>

namespace {
class TFileCtrlForm : public TForm {
public:
    TFileCtrlForm()
    {
        AddHandler("DirLstBxChange", TNotifyEvent([this](TWinControl* sender) {
                       EXPECT_EQ(sender, DirLstBx);
                       ++Changes;
                   }));
        AddHandler("CloseBtnClick", TNotifyEvent([this](TWinControl*) { Close(); }));
        ReadLayout("FILECTRLFORM");
        DirLstBx = FindControl<TDirectoryListBox>("DirLstBx");
        DrvCmbBx = FindControl<TDriveComboBox>("DrvCmbBx");
    }
    TDirectoryListBox* DirLstBx;
    TDriveComboBox* DrvCmbBx;
    int Changes = 0;
};

std::vector<std::string> ListItems(const TDirectoryListBox& list)
{
    std::vector<std::string> items;
    for (int i = 0; i < list.Count(); ++i) items.push_back(list.Text(i));
    return items;
}

std::string WithoutBackslash(std::string path)
{
    if (!path.empty() && path.back() == '\\') path.pop_back();
    return path;
}

int DriveItem(const TDriveComboBox& box, char letter)
{
    for (int i = 0; i < box.Count(); ++i)
        if (box.Text(i)[0] == letter) return i;
    return -1;
}

// What the end-to-end driver does: select, then send the notification the control would send.
void PickDrive(TDriveComboBox& box, char letter)
{
    const int index = DriveItem(box, letter);
    ASSERT_GE(index, 0) << letter;
    SendMessageA(box.Handle(), CB_SETCURSEL, index, 0);
    SendMessageA(GetParent(box.Handle()), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(box.Handle()), CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(box.Handle()));
}

void PickRow(TDirectoryListBox& list, int row)
{
    SendMessageA(list.Handle(), LB_SETCURSEL, row, 0);
    SendMessageA(GetParent(list.Handle()), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(list.Handle()), LBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(list.Handle()));
}

char Lower(char c) { return static_cast<char>(c | 0x20); }
}  // namespace

TEST(FileCtrlText, RowsLevelsTextsAndIndents)
{
    using Rows = std::vector<std::string>;
    EXPECT_EQ(DirectoryRows("c:\\a\\b"), (Rows{"c:\\", "c:\\a", "c:\\a\\b"}));
    EXPECT_EQ(DirectoryRows("c:\\a\\b\\"), (Rows{"c:\\", "c:\\a", "c:\\a\\b"}));
    EXPECT_EQ(DirectoryRows("c:\\"), (Rows{"c:\\"}));
    EXPECT_EQ(DirectoryRows("c:"), (Rows{"c:"}));
    const struct {
        const char* Directory;
        int Level;
    } levels[] = {{"c:", 0}, {"c:\\", 0}, {"c:\\a", 1}, {"c:\\a\\b\\", 2}, {"c:\\a\\b\\c", 3}};
    for (const auto& c : levels) EXPECT_EQ(DirectoryLevel(c.Directory), c.Level) << c.Directory;
    EXPECT_EQ(DirectoryRowText("c:\\", 0), "c:");
    EXPECT_EQ(DirectoryRowText("D:\\Games\\Beta Test", 2), "Beta Test");
    EXPECT_EQ(DirectoryRowIndent(0, false, 2), 3);
    EXPECT_EQ(DirectoryRowIndent(2, false, 2), 27);
    EXPECT_EQ(DirectoryRowIndent(3, true, 2), 39);
    EXPECT_EQ(DirectoryRowIndent(7, true, 2), 39);
    EXPECT_EQ(VolumeDescription("USB Stick"), "[usb stick]");
    EXPECT_EQ(VolumeDescription(""), "");
    EXPECT_EQ(LowerCase("\xC6RE \xD8Y"), "\xE6re \xF8y");  // the locale's lower case (code page 1252)
}

class FileCtrl : public testing::Test {
protected:
    TFileCtrlForm form;
    TTestFolder folder;
    std::string Folder(const std::string& relative = "") const { return WithoutBackslash(folder / relative); }
    void MakeFolders(std::initializer_list<const char*> names) const
    {
        for (const char* name : names) ASSERT_TRUE(MakeFolder(folder / name)) << name;
    }
};

TEST_F(FileCtrl, DriveBoxListsPresentDrivesLowerCasedWithTheirIcons)
{
    TTestDrive fixed(DRIVE_FIXED, "Data Disk");
    TTestDrive removable(DRIVE_REMOVABLE, "USB Stick");
    TTestDrive network(DRIVE_REMOTE, "", "\\\\TestServer\\TestShare");
    TTestDrive cdrom(DRIVE_CDROM, "Disc");
    ASSERT_TRUE(fixed.Defined() && removable.Defined() && network.Defined() && cdrom.Defined());
    const bool floppy = DefineWineDrive('a', DRIVE_REMOVABLE, UnixPathOf(folder.Path()));

    form.DrvCmbBx->BuildList();
    EXPECT_EQ(form.DrvCmbBx->DriveMask(), GetLogicalDrives());
    std::map<char, std::pair<std::string, bool>> items;
    for (int i = 0; i < form.DrvCmbBx->Count(); ++i) {
        const std::string text = form.DrvCmbBx->Text(i);
        ASSERT_GE(text.size(), 3u);
        EXPECT_EQ(text, LowerCase(text));
        EXPECT_EQ(text.substr(1, 2), ": ");
        items[text[0]] = {text, form.DrvCmbBx->ShowsRemovableIcon(i)};
    }
    if (floppy) RemoveWineDrive('a');
    EXPECT_TRUE(items.count('c'));
    EXPECT_FALSE(items.count('a'));
    EXPECT_FALSE(items.count('b'));
    EXPECT_FALSE(items.count(Lower(cdrom.Letter()))) << "CD-ROM drives are never listed";
    EXPECT_EQ(items[Lower(fixed.Letter())], std::make_pair(std::string(1, Lower(fixed.Letter())) + ": [data disk]", false));
    EXPECT_EQ(items[Lower(removable.Letter())],
              std::make_pair(std::string(1, Lower(removable.Letter())) + ": [usb stick]", true));
    EXPECT_EQ(items[Lower(network.Letter())].first, std::string(1, Lower(network.Letter())) + ": \\\\testserver\\testshare");
    EXPECT_FALSE(items['c'].second);
}

TEST_F(FileCtrl, FirstFolderSelectsItsDriveAndListsRootAncestorsCurrentAndSubFolders)
{
    MakeFolders({"Work", "Work\\beta", "Work\\Alpha", "Work\\gamma", "Work\\Delta", "Work\\Hidden", "Work\\System",
                 "Work\\beta\\inner"});
    SetFileAttributesA((folder / "Work\\Hidden").c_str(), FILE_ATTRIBUTE_HIDDEN);
    SetFileAttributesA((folder / "Work\\System").c_str(), FILE_ATTRIBUTE_SYSTEM);
    const std::string work = Folder("Work");

    form.DirLstBx->SetDirectory(work);
    EXPECT_EQ(form.Changes, 1);
    EXPECT_EQ(form.DirLstBx->Directory(), work);
    EXPECT_EQ(form.DrvCmbBx->Drive(), Lower(work[0]));
    ASSERT_GE(form.DrvCmbBx->ItemIndex(), 0);
    EXPECT_EQ(form.DrvCmbBx->Text()[0], Lower(work[0]));

    std::vector<std::string> expected = DirectoryRows(work);
    for (const char* name : {"Alpha", "beta", "Delta", "gamma"}) expected.push_back(work + "\\" + name);
    EXPECT_EQ(ListItems(*form.DirLstBx), expected) << "hidden and system folders never listed, the rest sorted ignoring case";
    EXPECT_EQ(form.DirLstBx->ItemIndex(), DirectoryLevel(work));
    EXPECT_TRUE(form.DirLstBx->PreserveCase());
    EXPECT_EQ(SendMessageA(form.DirLstBx->Handle(), LB_GETITEMHEIGHT, 0, 0),
              MulDiv(17, TextHeightOf(form.Font()), DesignTextHeight));
    EXPECT_EQ(SendMessageA(form.DrvCmbBx->Handle(), CB_GETITEMHEIGHT, 0, 0), TextHeightOf(form.Font()) + 4);

    form.DirLstBx->SetDirectory(work + "\\");
    form.DirLstBx->SetDirectory(work);
    form.DirLstBx->SetDirectory(work);
    EXPECT_EQ(form.Changes, 3) << "the same folder again changes nothing";
}

TEST_F(FileCtrl, AMissingFolderShowsItsNearestExistingAncestorAMissingDriveItsBareRoot)
{
    MakeFolders({"Kept"});
    form.DirLstBx->SetDirectory(Folder("Kept\\gone\\deeper\\"));
    EXPECT_EQ(form.DirLstBx->Directory(), folder / "Kept\\");
    form.DirLstBx->SetDirectory(Folder("Kept") + "\\gone");
    EXPECT_EQ(form.DirLstBx->Directory(), folder / "Kept\\");

    const char missing = FreeDriveLetter();
    ASSERT_NE(missing, 0);
    const int selected = form.DrvCmbBx->ItemIndex();
    form.DirLstBx->SetDirectory(std::string(1, missing) + ":\\no\\such\\folder");
    EXPECT_EQ(form.DirLstBx->Directory(), std::string(1, missing) + ":\\");
    EXPECT_EQ(ListItems(*form.DirLstBx), std::vector<std::string>{std::string(1, missing) + ":\\"});
    EXPECT_EQ(form.DrvCmbBx->Drive(), Lower(missing));
    EXPECT_EQ(form.DrvCmbBx->ItemIndex(), selected) << "a letter without an item leaves the selection";

    const std::string before = form.DirLstBx->Directory();
    form.DirLstBx->SetDirectory("relative\\folder");
    form.DirLstBx->SetDirectory("");
    EXPECT_EQ(form.DirLstBx->Directory(), before);
}

TEST_F(FileCtrl, PickingTheProgramFilesDriveOpensCorvellaBelowProgramFilesOrProgramFilesItself)
{
    TTestDrive other(DRIVE_FIXED);
    ASSERT_TRUE(other.Defined());
    const std::string programFiles = GetSpecialFolder(CSIDL_PROGRAM_FILES);
    ASSERT_FALSE(programFiles.empty());
    const std::string corvella = programFiles + "\\Corvella";
    const std::string aside = programFiles + "\\Corvella.aside";
    const bool existed = DirExists(corvella);
    if (existed) {
        ASSERT_TRUE(MoveFileA(corvella.c_str(), aside.c_str()));
    }

    form.DirLstBx->SetDirectory(other.Root());
    int changes = form.Changes;
    PickDrive(*form.DrvCmbBx, Lower(programFiles[0]));
    EXPECT_EQ(form.DirLstBx->Directory(), programFiles + "\\");
    EXPECT_EQ(form.Changes, changes + 1);

    form.DirLstBx->SetDirectory(other.Root());
    ASSERT_TRUE(CreateDirectoryA(corvella.c_str(), nullptr));
    changes = form.Changes;
    PickDrive(*form.DrvCmbBx, Lower(programFiles[0]));
    EXPECT_EQ(form.DirLstBx->Directory(), corvella);
    EXPECT_EQ(form.Changes, changes + 1);
    EXPECT_EQ(form.DrvCmbBx->Drive(), Lower(programFiles[0]));

    // The drive it is on already: nothing changes.
    changes = form.Changes;
    PickDrive(*form.DrvCmbBx, Lower(programFiles[0]));
    EXPECT_EQ(form.DirLstBx->Directory(), corvella);
    EXPECT_EQ(form.Changes, changes);

    form.DirLstBx->SetDirectory(other.Root());
    RemoveDirectoryA(corvella.c_str());
    if (existed) MoveFileA(aside.c_str(), corvella.c_str());
}

TEST_F(FileCtrl, PickingAnotherDriveKeepsThePathWhereItExistsElseGoesToTheRoot)
{
    TTestDrive first(DRIVE_FIXED), second(DRIVE_FIXED);
    ASSERT_TRUE(first.Defined() && second.Defined());
    for (const TTestDrive* d : {&first, &second}) ASSERT_TRUE(MakeFolder(d->Root() + "Same") && MakeFolder(d->Root() + "Same\\Path"));
    ASSERT_TRUE(MakeFolder(first.Root() + "OnlyHere"));
    form.DrvCmbBx->BuildList();  // as the wizard's drive watch does when drives come

    form.DirLstBx->SetDirectory(first.Root() + "Same\\Path");
    PickDrive(*form.DrvCmbBx, Lower(second.Letter()));
    EXPECT_EQ(form.DirLstBx->Directory(), std::string(1, Lower(second.Letter())) + ":\\Same\\Path");
    EXPECT_EQ(form.DrvCmbBx->Drive(), Lower(second.Letter()));

    form.DirLstBx->SetDirectory(first.Root() + "OnlyHere");
    EXPECT_EQ(form.DrvCmbBx->Drive(), Lower(first.Letter())) << "a folder on another drive moves the drive box";
    const int changes = form.Changes;
    PickDrive(*form.DrvCmbBx, Lower(second.Letter()));
    EXPECT_EQ(form.DirLstBx->Directory(), std::string(1, Lower(second.Letter())) + ":\\");
    EXPECT_EQ(form.Changes, changes + 1);
    form.DirLstBx->SetDirectory("c:\\");
}

TEST_F(FileCtrl, SetDriveOfALetterWithoutAnItemMovesTheListButNotTheSelection)
{
    TTestDrive cdrom(DRIVE_CDROM);
    ASSERT_TRUE(cdrom.Defined());
    form.DirLstBx->SetDirectory(Folder());
    const int selected = form.DrvCmbBx->ItemIndex();
    ASSERT_GE(selected, 0);
    const int changes = form.Changes;
    form.DrvCmbBx->SetDrive(cdrom.Letter());
    EXPECT_EQ(form.DrvCmbBx->Drive(), Lower(cdrom.Letter()));
    EXPECT_EQ(form.DrvCmbBx->ItemIndex(), selected);
    EXPECT_EQ(form.DirLstBx->Directory(), std::string(1, Lower(cdrom.Letter())) + ":\\");
    EXPECT_EQ(form.Changes, changes + 1);
    form.DirLstBx->SetDirectory("c:\\");
}

TEST_F(FileCtrl, ARowChosenByKeyboardMouseOrDriverOpensThatFolderAtOnce)
{
    MakeFolders({"Top", "Top\\First", "Top\\Second", "Top\\First\\Inner"});
    const std::string top = Folder("Top");
    form.Show();
    form.DirLstBx->SetDirectory(top);
    const int level = DirectoryLevel(top);

    int changes = form.Changes;
    form.DirLstBx->SetFocus();
    SendMessageA(form.DirLstBx->Handle(), WM_KEYDOWN, VK_DOWN, 0);
    EXPECT_EQ(form.DirLstBx->Directory(), top + "\\First");
    EXPECT_EQ(form.Changes, changes + 1) << "OnChange fires once per row chosen";
    EXPECT_EQ(form.DirLstBx->ItemIndex(), level + 1);
    EXPECT_EQ(form.DirLstBx->Text(level + 2), top + "\\First\\Inner");

    changes = form.Changes;
    SendMessageA(form.DirLstBx->Handle(), WM_KEYDOWN, VK_UP, 0);
    EXPECT_EQ(form.DirLstBx->Directory(), top);
    EXPECT_EQ(form.Changes, changes + 1);

    RECT row;
    SendMessageA(form.DirLstBx->Handle(), LB_GETITEMRECT, level + 2, reinterpret_cast<LPARAM>(&row));
    const LPARAM point = MAKELPARAM(row.left + 40, (row.top + row.bottom) / 2);
    SendMessageA(form.DirLstBx->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, point);
    SendMessageA(form.DirLstBx->Handle(), WM_LBUTTONUP, 0, point);
    EXPECT_EQ(form.DirLstBx->Directory(), top + "\\Second");

    PickRow(*form.DirLstBx, level - 1);
    EXPECT_EQ(form.DirLstBx->Directory(), WithoutBackslash(folder.Path()));
    form.Hide();
}

TEST_F(FileCtrl, ABoxMadeInCodeFillsItsListOnceWhenFirstAsked)
{
    auto* box = static_cast<TDriveComboBox*>(form.InsertControl(std::make_unique<TDriveComboBox>()));
    box->SetParent(&form);
    EXPECT_FALSE(box->HandleAllocated());
    box->BuildList();
    std::vector<std::string> texts;
    for (int i = 0; i < box->Count(); ++i) texts.push_back(box->Text(i));
    EXPECT_EQ(texts.size(), static_cast<size_t>(form.DrvCmbBx->Count()));
    EXPECT_TRUE(std::adjacent_find(texts.begin(), texts.end()) == texts.end()) << "each drive once";
}

TEST_F(FileCtrl, TheTwoControlsAreLinkedBothWays)
{
    EXPECT_EQ(form.DrvCmbBx->DirList(), form.DirLstBx);
    EXPECT_EQ(form.DirLstBx->DriveCombo(), form.DrvCmbBx);
    form.DrvCmbBx->SetDirList(nullptr);
    EXPECT_EQ(form.DirLstBx->DriveCombo(), nullptr);
    const int changes = form.Changes;
    PickDrive(*form.DrvCmbBx, 'c');
    EXPECT_EQ(form.Changes, changes) << "an unlinked drive box moves no list";
    form.DrvCmbBx->SetDirList(form.DirLstBx);
    EXPECT_EQ(form.DirLstBx->DriveCombo(), form.DrvCmbBx);
}

TEST_F(FileCtrl, ScreenshotOfTheFormWithTheDriveBoxDroppedDown)
{
    TTestDrive removable(DRIVE_REMOVABLE, "Stick");
    MakeFolders({"Documents", "Documents\\Letters", "Documents\\Letters\\2024", "Documents\\Letters\\2025",
                 "Documents\\Letters\\Drafts", "Documents\\Letters\\old & new"});
    form.DrvCmbBx->BuildList();
    form.DirLstBx->SetDirectory(Folder("Documents\\Letters"));
    auto settle = [] {
        for (int i = 0; i < 20; ++i) {
            Application->ProcessMessages();
            Sleep(10);
        }
    };
    form.Show();
    settle();  // shown and active first, or the form would come up over its own drop-down list
    form.DrvCmbBx->SetFocus();
    form.DrvCmbBx->SetDroppedDown(true);
    settle();
    COMBOBOXINFO info{};
    info.cbSize = sizeof info;
    ASSERT_TRUE(GetComboBoxInfo(form.DrvCmbBx->Handle(), &info));
    ASSERT_TRUE(IsWindowVisible(info.hwndList)) << "the drive list is not dropped down";

    const TCapture shot = CaptureScreen(ThreadWindowsRect());
    ASSERT_GT(shot.Width, 0);
    EXPECT_TRUE(SavePng(ScreenshotFolder() + "filectrl.png", shot));
    // The icons' backgrounds (their bottom-left colour, magenta) never reach the screen.
    int magenta = 0;
    for (uint32_t p : shot.Pixels) magenta += p == 0xFF00FF;
    EXPECT_EQ(magenta, 0);

    // Indents: each open row 12 pixels right of the one above; the sub-folders all at one indent.
    const RECT area = ThreadWindowsRect();
    auto firstDrawnColumn = [&](int row) {
        RECT r;
        SendMessageA(form.DirLstBx->Handle(), LB_GETITEMRECT, row, reinterpret_cast<LPARAM>(&r));
        MapWindowPoints(form.DirLstBx->Handle(), nullptr, reinterpret_cast<POINT*>(&r), 2);
        OffsetRect(&r, -area.left, -area.top);
        const uint32_t background = shot.At(r.left + 1, r.top + 2);
        int first = r.right;
        for (int y = r.top + 2; y < r.bottom - 2; ++y)
            for (int x = r.left + 2; x < first; ++x)
                if (shot.At(x, y) != background) first = x;
        return first - r.left;
    };
    const int level = DirectoryLevel(form.DirLstBx->Directory());
    for (int row = 1; row <= level; ++row) EXPECT_EQ(firstDrawnColumn(row) - firstDrawnColumn(row - 1), 12) << row;
    EXPECT_EQ(firstDrawnColumn(level + 1), firstDrawnColumn(level + 2));
    EXPECT_GT(firstDrawnColumn(level + 1), firstDrawnColumn(level));
    form.DrvCmbBx->SetDroppedDown(false);
    form.Hide();
}
