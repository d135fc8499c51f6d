#include "wizard/CompletionRecords.h"

#include <windows.h>
#include <shlobj.h>

#include <cstring>

#include "archive/AttachFiles.h"
#include "gui/Exceptions.h"
#include "gui/FileStream.h"
#include "utils/Handle.h"
#include "utils/InstUtils.h"
#include "utils/Registry.h"
#include "wizard/MainDlg.h"
#include "wizard/UpdateLog.h"
#include "wizard/UpdateLogFile.h"

std::string DataFolder()
{
    std::string folder = GetSpecialFolder(CSIDL_COMMON_APPDATA);
    if (folder.empty()) folder = GetSpecialFolder(CSIDL_PERSONAL);
    return folder;
}

std::string InstallStampBytes(TDateTime stamp)
{
    static_assert(sizeof stamp == 8);
    std::string bytes(8, '\0');
    std::memcpy(bytes.data(), &stamp, 8);
    return bytes;
}

bool ReplaceFileContents(const std::string& path, const std::string& data)
{
    const std::wstring folder = ToWide(FolderPartOf(path));
    wchar_t temp[MAX_PATH + 16];
    // Creates the file, so that no other program takes the same name before we write it.
    if (folder.empty() || !GetTempFileNameW(folder.c_str(), L"~cw", 0, temp)) return false;
    bool written = false;
    {
        TFileHandle file(CreateFileW(temp, GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (file) {
            DWORD done = 0;
            written = WriteFile(file.Get(), data.data(), static_cast<DWORD>(data.size()), &done, nullptr) &&
                      done == data.size() && FlushFileBuffers(file.Get());
        }
    }
    if (written && MoveFileExW(temp, ToWide(path).c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    DeleteFileW(temp);
    return false;
}

void TMainDlgForm::FinishInstall()
{
    if (!IsPortable()) {
        InstallStamp = Now();
        // The host reads the stamp only from a folder of its own making.
        const std::string stampPath = AppendPath(DataFolder(), InstallStampPath);
        if (DirExists(FolderPartOf(stampPath))) ReplaceFileContents(stampPath, InstallStampBytes(InstallStamp));
        WriteUpdateLog();
    }
    if (FinishChkBx->Checked()) {
        const std::string command = "\"" + AppendPath(Options.HomeDir, "cwp.exe") + "\"";
        WinExec(command.c_str(), SW_SHOW);
    }
    SaveSettings();
}

void TMainDlgForm::WriteUpdateLog()
{
    std::vector<std::string>& publicFiles = AttachedFiles->PublicFiles;
    if (publicFiles.empty()) return;
    SortLogLines(publicFiles, CompareLogLines);

    const std::string path = AppendPath(DataFolder(), UpdateLogPath);
    std::vector<std::string> lines;
    if (FilePresent(path)) {
        // No sharing: a log that the host holds open raises an abort here, before anything is
        // written, and the user is asked nothing.
        TFileStream log(ToWide(path), fmOpenRead | fmShareExclusive);
        const int64_t size = log.Size();
        std::string text(size > 0 ? static_cast<size_t>(size) : 0, '\0');
        if (size < 0 || log.Read(text.data(), text.size()) != text.size())
            throw EAbort("Cannot read \"" + path + "\"");
        lines = SplitLogText(text);
    }
    lines = MergeUpdateLog(std::move(lines), publicFiles, InstallStamp, CompareLogLines);
    if (!ReplaceFileContents(path, JoinLogLines(lines))) throw EWriteError("Cannot write \"" + path + "\"");
}

void TMainDlgForm::SaveSettings()
{
    TRegistry settings;
    settings.OpenKey(SettingsKey);
    settings.WriteString("MAINDIR", Options.HomeDir);
    settings.WriteBool("LAUNCH", FinishChkBx->Checked());
}
