#include "archive/AttachFiles.h"

#include <windows.h>
#include <shlobj.h>

#include <algorithm>

#include "shell/MessageBoxes.h"
#include "utils/Handle.h"
#include "utils/InstUtils.h"

TAttachedFiles* AttachedFiles = nullptr;
bool InstallingFlag = false;
bool InstallStarted = false;

namespace {

constexpr uint32_t InflateEstimateFactor = 5;
constexpr char PublicSubFolder[] = "Corvella\\Public\\";

std::string CannotCreateText(const std::string& path)
{
    return "Cannot create file \"" + path +
           "\".\rAnother application might already be using this file.\r\r"
           "Please make sure that the setup of Corvella Word Processor is not blocked by your security "
           "software (firewall/antivirus) in any way.\rYou might want to temporarily disable your "
           "security software and try again.";
}

// Last-write time only, through a DOS date and time: whole even seconds, so that FileDateOf gives
// a shipped stamp back exactly (the update mode compares them). Years the DOS format cannot hold
// leave the time of writing.
void StampFile(const std::string& path, TDateTime date)
{
    WORD dosDate = 0, dosTime = 0;
    if (!DateTimeToDosDateTime(date, dosDate, dosTime)) return;
    FILETIME local{}, utc{};
    if (!DosDateTimeToFileTime(dosDate, dosTime, &local) || !LocalFileTimeToFileTime(&local, &utc)) return;
    TFileHandle file(CreateFileW(ToWide(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                 FILE_FLAG_SEQUENTIAL_SCAN | FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file) SetFileTime(file.Get(), nullptr, nullptr, &utc);
}

}  // namespace

TAttachedFiles::TAttachedFiles()
{
    const TResourceBytes resource = GetResourceBytes("FILES", "FILES");
    Load(resource.Bytes, resource.Size);
}

TAttachedFiles::TAttachedFiles(const void* resource, uint32_t size)
{
    Load(static_cast<const uint8_t*>(resource), size);
}

TAttachedFiles::~TAttachedFiles()
{
    // Queue items point at entries: they go first.
    std::vector<std::string>().swap(PublicFiles);
    for (auto& queue : Queues) std::vector<TFileToInstall>().swap(queue);
    Data.reset();
    DataSize = 0;
    std::vector<TAttachedFile>().swap(Entries);
    CleanTempFiles();
}

TAttachedFiles::TResourceBytes TAttachedFiles::GetResourceBytes(const char* name, const char* type)
{
    HMODULE module = GetModuleHandleA(nullptr);
    HRSRC info = FindResourceA(module, name, type);
    if (!info) return {};
    const DWORD size = SizeofResource(module, info);
    HGLOBAL loaded = LoadResource(module, info);
    const void* bytes = loaded ? LockResource(loaded) : nullptr;
    if (!bytes) return {};
    return {static_cast<const uint8_t*>(bytes), uint32_t(size)};
}

void TAttachedFiles::Load(const uint8_t* resource, uint32_t size)
{
    const uint64_t estimate = std::min<uint64_t>(uint64_t(size) * InflateEstimateFactor, INT32_MAX);
    const TInflateResult rc = InflateBuffer(resource, size, Data, DataSize, uint32_t(estimate));
    if (rc != TInflateResult::Done) throw EInflateError(InflateResultText(rc));
    // A damaged payload must never install a part of itself: one bad record fails the whole.
    if (!ParsePayloadRecords(Data.get(), DataSize, Entries))
        throw EInflateError("a record of the payload runs past its end");
}

bool TAttachedFiles::WriteEntry(const TAttachedFile& entry, const std::string& destination)
{
    try {
        ForceDirs(FolderPartOf(destination));
        TFileHandle file(CreateFileW(ToWide(destination).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                     CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) return false;
        DWORD written = 0;
        const uint8_t* bytes = Data.get() + entry.DataOffset;
        // A short write (a full disk) is no success either.
        if (!WriteFile(file.Get(), bytes, DWORD(entry.FileSize), &written, nullptr) ||
            written != DWORD(entry.FileSize))
            return false;
        return true;
    } catch (...) {
        return false;
    }
}

bool TAttachedFiles::ExtractFile(const TAttachedFile* entry, const std::string& name,
                                 const std::string& destination)
{
    if (!entry) {
        const auto found = std::find_if(Entries.rbegin(), Entries.rend(),
                                        [&](const TAttachedFile& e) { return TextEquals(e.FileName, name); });
        if (found == Entries.rend()) return false;
        entry = &*found;
    }
    for (;;) {
        if (WriteEntry(*entry, destination)) {
            StampFile(destination, entry->FileDate);
            return true;
        }
        const int answer = SetupMessageDlg(CannotCreateText(destination), mkError, btAbort | btRetry | btIgnore);
        if (answer == IDABORT) return false;
        if (answer == IDIGNORE) return true;
    }
}

bool TAttachedFiles::QueueFiles(const std::string& name, const std::string& destDir, uint8_t queueIndex,
                                InstallMode mode)
{
    const InstallMode workMode = ForceOverwrite ? imOverwrite : mode;
    bool queued = false;
    if (!name.empty() && name.back() == '\\') {
        for (const TAttachedFile& entry : Entries)
            if (TextEquals(entry.FileName.substr(0, name.size()), name) &&
                QueueEntry(entry, destDir, queueIndex, mode, workMode))
                queued = true;
        return queued;
    }
    for (const TAttachedFile& entry : Entries)
        if (TextEquals(entry.FileName, name)) return QueueEntry(entry, destDir, queueIndex, mode, workMode);
    return false;
}

bool TAttachedFiles::QueueEntry(const TAttachedFile& entry, const std::string& destDir, uint8_t queueIndex,
                                InstallMode markMode, InstallMode mode)
{
    if (queueIndex >= Queues.size()) return false;
    std::string target = destDir;
    AddBackslash(target);
    target += entry.FileName;

    if (mode != imOverwrite && FilePresent(target)) {
        if (mode != imUpdateIfDifferent) return false;
        if (FileDateOf(target) == entry.FileDate) return false;
    }
    Queues[queueIndex].push_back({&entry, target});

    if (InstallingFlag) {
        // Worked out afresh each time; without the shared folder it is relative and matches no target.
        const std::string prefix = AppendPath(GetSpecialFolder(CSIDL_COMMON_APPDATA), PublicSubFolder);
        if (TextEquals(target.substr(0, prefix.size()), prefix))
            PublicFiles.push_back(markMode == imKeepExisting ? target + "\t!" : target);
    }
    return true;
}

bool TAttachedFiles::InstallQueued()
{
    for (const auto& queue : Queues)
        for (const TFileToInstall& item : queue)
            if (!ExtractFile(item.SourceFile, std::string(), item.TargetPath)) return false;
    return true;
}
