#pragma once
// The framework's file layer: a file opened through CreateFileW, closed by its destructor.
// Opening or creating failures raise EFOpenError / EFCreateError and a short write raises
// EWriteError; all three are aborts (see gui/Exceptions.h).
#include "utils/Handle.h"
#include <cstdint>
#include <string>

// Mode = one access value, optionally or-ed with one share value; fmCreate creates or
// replaces the file and opens it for reading and writing.
enum TFileMode : uint16_t {
    fmOpenRead = 0x0000,
    fmOpenWrite = 0x0001,
    fmOpenReadWrite = 0x0002,
    fmShareExclusive = 0x0010,  // no sharing; also what share value 0 means
    fmShareDenyWrite = 0x0020,
    fmShareDenyRead = 0x0030,
    fmShareDenyNone = 0x0040,
    fmCreate = 0xFF00,
};

class TFileStream {
public:
    TFileStream(const std::wstring& fileName, uint16_t mode);

    // Plain system results: the number of bytes moved (0 on failure).
    size_t Read(void* buffer, size_t count);
    size_t Write(const void* buffer, size_t count);
    // Raises EWriteError when fewer than count bytes were stored.
    void WriteBuffer(const void* buffer, size_t count);

    int64_t Size() const;
    int64_t Seek(int64_t offset, DWORD origin);  // FILE_BEGIN, FILE_CURRENT, FILE_END
    bool Flush();                               // FlushFileBuffers
    HANDLE Handle() const { return handle_.Get(); }

private:
    TFileHandle handle_;
    std::wstring fileName_;
};
