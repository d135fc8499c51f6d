#include "gui/FileStream.h"
#include "gui/Exceptions.h"
#include <algorithm>

namespace {
std::string Narrow(const std::wstring& text)
{
    int n = WideCharToMultiByte(1252, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string result(n > 0 ? n : 0, '\0');
    if (n > 0)
        WideCharToMultiByte(1252, 0, text.data(), static_cast<int>(text.size()), result.data(), n, nullptr, nullptr);
    return result;
}

DWORD ShareOf(uint16_t mode)
{
    switch (mode & 0x00F0) {
    case fmShareDenyWrite: return FILE_SHARE_READ;
    case fmShareDenyRead: return FILE_SHARE_WRITE;
    case fmShareDenyNone: return FILE_SHARE_READ | FILE_SHARE_WRITE;
    default: return 0;
    }
}

constexpr DWORD MaxChunk = 1u << 30;
}  // namespace

TFileStream::TFileStream(const std::wstring& fileName, uint16_t mode) : fileName_(fileName)
{
    if ((mode & fmCreate) == fmCreate) {
        handle_.Reset(CreateFileW(fileName.c_str(), GENERIC_READ | GENERIC_WRITE, ShareOf(mode), nullptr,
                                  CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!handle_) throw EFCreateError("Cannot create file \"" + Narrow(fileName) + "\"");
        return;
    }
    static constexpr DWORD Access[] = {GENERIC_READ, GENERIC_WRITE, GENERIC_READ | GENERIC_WRITE};
    const unsigned access = mode & 0x000F;
    handle_.Reset(CreateFileW(fileName.c_str(), access < 3 ? Access[access] : GENERIC_READ, ShareOf(mode), nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!handle_) throw EFOpenError("Cannot open file \"" + Narrow(fileName) + "\"");
}

size_t TFileStream::Read(void* buffer, size_t count)
{
    size_t total = 0;
    while (total < count) {
        DWORD done = 0;
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(count - total, MaxChunk));
        if (!ReadFile(handle_.Get(), static_cast<char*>(buffer) + total, chunk, &done, nullptr) || done == 0) break;
        total += done;
    }
    return total;
}

size_t TFileStream::Write(const void* buffer, size_t count)
{
    size_t total = 0;
    while (total < count) {
        DWORD done = 0;
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(count - total, MaxChunk));
        if (!WriteFile(handle_.Get(), static_cast<const char*>(buffer) + total, chunk, &done, nullptr) || done == 0)
            break;
        total += done;
    }
    return total;
}

void TFileStream::WriteBuffer(const void* buffer, size_t count)
{
    if (count != 0 && Write(buffer, count) != count)
        throw EWriteError("Stream write error on \"" + Narrow(fileName_) + "\"");
}

int64_t TFileStream::Size() const
{
    LARGE_INTEGER size{};
    return GetFileSizeEx(handle_.Get(), &size) ? size.QuadPart : -1;
}

int64_t TFileStream::Seek(int64_t offset, DWORD origin)
{
    LARGE_INTEGER distance{}, position{};
    distance.QuadPart = offset;
    return SetFilePointerEx(handle_.Get(), distance, &position, origin) ? position.QuadPart : -1;
}

bool TFileStream::Flush() { return FlushFileBuffers(handle_.Get()) != FALSE; }
