#pragma once
// The attached files: the payload carried as the resource FILES/FILES of the setup's own module
// (record format in archive/PayloadRecords.h), inflated and indexed once, the writing of one
// entry to a file, and the install queue.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "archive/PayloadRecords.h"
#include "gui/Exceptions.h"

// The payload cannot be used: missing resource, damaged or cut stream, a record that runs past
// the end, or no memory for the inflated data.
class EInflateError : public Exception {
public:
    using Exception::Exception;
    const char* ClassName() const noexcept override { return "EInflateError"; }
};

// What happens to a target that exists already. Any other value behaves as imKeepExisting.
enum InstallMode : uint8_t {
    imKeepExisting = 0,
    imUpdateIfDifferent = 1,  // replaced unless its last-write time equals the entry's stamp
    imOverwrite = 2,
};

struct TFileToInstall {
    const TAttachedFile* SourceFile = nullptr;  // an entry of the archive, not owned
    std::string TargetPath;
};

class TAttachedFiles {
public:
    // From the resource FILES/FILES of the process's own module.
    TAttachedFiles();
    // From resource bytes held by the caller, which must outlive the constructor only.
    TAttachedFiles(const void* resource, uint32_t size);
    ~TAttachedFiles();
    TAttachedFiles(const TAttachedFiles&) = delete;
    TAttachedFiles& operator=(const TAttachedFiles&) = delete;

    struct TResourceBytes {
        const uint8_t* Bytes = nullptr;
        uint32_t Size = 0;
    };
    // The bytes belong to the module: read where they lie, never freed. Empty when missing.
    static TResourceBytes GetResourceBytes(const char* name, const char* type);

    // Writes an entry (or, with entry null, the last entry called `name`) to `destination`,
    // creating its folders, and gives it the entry's time stamp. When the file cannot be written
    // the user chooses: Abort gives false, Ignore true, Retry starts again. A name that no entry
    // has gives false without writing or asking anything.
    bool ExtractFile(const TAttachedFile* entry, const std::string& name, const std::string& destination);

    // Queues the first entry called `name`, or with a name ending in a backslash every entry
    // below that folder prefix, for `destDir`. True when anything was queued.
    bool QueueFiles(const std::string& name, const std::string& destDir, uint8_t queueIndex, InstallMode mode);
    // Writes the queue in order; false at the first Abort, leaving the rest unwritten.
    bool InstallQueued();

    TByteBuffer Data;
    int32_t DataSize = 0;
    std::vector<TAttachedFile> Entries;
    std::array<std::vector<TFileToInstall>, 1> Queues;
    // Queued targets below the shared "Corvella\Public\" folder, "\t!" added for imKeepExisting.
    std::vector<std::string> PublicFiles;
    bool ForceOverwrite = false;

private:
    void Load(const uint8_t* resource, uint32_t size);
    bool QueueEntry(const TAttachedFile& entry, const std::string& destDir, uint8_t queueIndex,
                    InstallMode markMode, InstallMode mode);
    bool WriteEntry(const TAttachedFile& entry, const std::string& destination);
};

// The one archive of the process, created by start-up before the wizard and freed after it.
extern TAttachedFiles* AttachedFiles;
// Set when the files are about to be queued; public files are recorded only from then on.
extern bool InstallingFlag;
// Set when the installation step begins; start-up then saves the settings at the end.
extern bool InstallStarted;
