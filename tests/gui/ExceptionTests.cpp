#include "gui/Exceptions.h"
#include "gui/FileStream.h"
#include <windows.h>
#include <gtest/gtest.h>
#include <new>
#include <stdexcept>

// Errors of other programs' own types, outside any anonymous namespace.
struct EPlainError : std::exception {};
namespace outer {
struct EInner : std::exception {};
}  // namespace outer

namespace {
class EInflateError : public Exception {
public:
    using Exception::Exception;
    const char* ClassName() const noexcept override { return "EInflateError"; }
};

template <class E>
std::exception_ptr Make(E e)
{
    return std::make_exception_ptr(std::move(e));
}
}  // namespace

TEST(Exceptions, ReadableClassNamesAndWhichAreAborts)
{
    struct TCase {
        std::exception_ptr Error;
        const char* Name;
        bool Abort;
    } cases[] = {
        {Make(Exception("m")), "Exception", false},
        {Make(EInflateError("m")), "EInflateError", false},
        {Make(EAbort()), "EAbort", true},
        {Make(EFOpenError("m")), "EFOpenError", true},
        {Make(EFCreateError("m")), "EFCreateError", true},
        {Make(EWriteError("m")), "EWriteError", true},
        {Make(ELayoutError("m")), "ELayoutError", false},
        {Make(std::bad_alloc()), "EOutOfMemory", false},
        {Make(std::runtime_error("m")), "std::runtime_error", false},
        {Make(std::out_of_range("m")), "std::out_of_range", false},
        {Make(EPlainError()), "EPlainError", false},
        {Make(outer::EInner()), "outer::EInner", false},
        {Make(42), "Exception", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ExceptionClassName(c.Error), c.Name);
        EXPECT_EQ(IsAbort(c.Error), c.Abort) << c.Name;
    }
    EXPECT_STREQ(EInflateError("payload broken").what(), "payload broken");
}

TEST(FileStream, OpensCreatesWritesAndReportsFailuresAsAborts)
{
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    const std::wstring path = std::wstring(temp) + L"gui_filestream_" + std::to_wstring(GetCurrentProcessId()) + L".bin";
    {
        TFileStream out(path, fmCreate);
        out.WriteBuffer("abcdef", 6);
        EXPECT_EQ(out.Size(), 6);
        EXPECT_TRUE(out.Flush());
    }
    {
        TFileStream in(path, fmOpenRead | fmShareDenyWrite);
        char buffer[8] = {};
        EXPECT_EQ(in.Seek(2, FILE_BEGIN), 2);
        EXPECT_EQ(in.Read(buffer, sizeof buffer), 4u);
        EXPECT_STREQ(buffer, "cdef");
        // A write on a stream opened for reading stores nothing.
        EXPECT_THROW(in.WriteBuffer("x", 1), EWriteError);
        // Share modes: a second reader is allowed, a writer is not.
        EXPECT_NO_THROW(TFileStream(path, fmOpenRead | fmShareDenyNone));
        EXPECT_THROW(TFileStream(path, fmOpenWrite | fmShareDenyNone), EFOpenError);
    }
    {
        TFileStream exclusive(path, fmOpenReadWrite | fmShareExclusive);
        EXPECT_THROW(TFileStream(path, fmOpenRead | fmShareDenyNone), EFOpenError);
        EXPECT_THROW(TFileStream(path, fmCreate), EFCreateError);
    }
    DeleteFileW(path.c_str());
    EXPECT_THROW(TFileStream(path, fmOpenRead), EFOpenError);
    EXPECT_THROW(TFileStream(std::wstring(temp) + L"no such folder\\x.bin", fmCreate), EFCreateError);
}
