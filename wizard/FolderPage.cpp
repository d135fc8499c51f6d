// The folder page: the edit box follows the folder list, the typed text is tidied before it is
// checked, and a drive that appears or vanishes is followed within a second.
#include <windows.h>
#include <shlobj.h>

#include <cctype>

#include "utils/InstUtils.h"
#include "wizard/FileCtrl.h"
#include "wizard/FolderText.h"
#include "wizard/MainDlg.h"

namespace {
char LowerLetter(char c)
{
    return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}

bool IsDriveLetter(char c) { return c >= 'a' && c <= 'z'; }

// The drive that stands in when the drive box has none: the Program Files drive, else the
// first present drive from C:.
char FallbackDrive()
{
    const std::string programFiles = GetSpecialFolder(CSIDL_PROGRAM_FILES);
    if (!programFiles.empty() && IsDriveLetter(LowerLetter(programFiles[0]))) return LowerLetter(programFiles[0]);
    const DWORD drives = GetLogicalDrives();
    for (int bit = 2; bit < 26; ++bit)
        if (drives & (1u << bit)) return static_cast<char>('a' + bit);
    return 'c';
}
}  // namespace

void TMainDlgForm::NormalizeDestDir()
{
    char drive = DestDirCmbBx->Drive();
    // Before the drive box has a selection (the start folder named no drive) its letter is unset.
    if (!IsDriveLetter(drive)) drive = FallbackDrive();
    DestDirEdt->SetText(
        ::NormalizeDestDir(DestDirEdt->Text(), drive, GetSpecialFolder(CSIDL_PROGRAM_FILES), TextEquals));
}

void TMainDlgForm::DestDirLstBxChange(TWinControl* /*sender*/)
{
    if (!FormReady) return;
    DestDirEdt->SetText(DestDirLstBx->Directory());
    NormalizeDestDir();
}

void TMainDlgForm::Timer(UINT_PTR /*id*/)
{
    const uint32_t now = GetLogicalDrives();
    const uint32_t old = DestDirCmbBx->DriveMask();
    if (now == old) return;
    const std::string oldText = DestDirCmbBx->Text();
    DestDirCmbBx->BuildList();
    // Drive bits lie below bit 26, so the signed comparison is plain numeric order.
    if (static_cast<int32_t>(now) < static_cast<int32_t>(old)) {
        SelectDriveAfterRemoval(now, oldText);
        return;
    }
    for (int bit = 2; bit < 26; ++bit) {
        if ((now & (1u << bit)) && !(old & (1u << bit))) {
            DestDirCmbBx->SetDrive(static_cast<char>('a' + bit));
            return;
        }
    }
}

void TMainDlgForm::SelectDriveAfterRemoval(uint32_t drives, const std::string& oldText)
{
    const char drive = DestDirCmbBx->Drive();
    if (IsDriveLetter(drive) && (drives & (1u << (drive - 'a')))) {
        // Still present: the rebuilt box gets its old selection back; the folder list stays.
        int found = -1;
        for (int i = 0; i < DestDirCmbBx->Count() && found < 0; ++i)
            if (TextEquals(DestDirCmbBx->Text(i), oldText)) found = i;
        DestDirCmbBx->SetItemIndex(found);
        return;
    }
    DestDirCmbBx->SetDrive(FallbackDrive());
}
