// Construction: inflate (estimate, growth, shrink), the record parse and the failures.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>

#include "tests/archive/TestPayload.h"

namespace {

std::atomic<long> LiveAllocations{0};

std::string Pseudorandom(size_t size, uint32_t seed)
{
    std::string s(size, '\0');
    for (char& c : s) {
        seed = seed * 1664525u + 1013904223u;
        c = char(seed >> 24);
    }
    return s;
}

std::string Int32LE(int32_t v)
{
    std::string s(4, '\0');
    for (int i = 0; i < 4; ++i) s[size_t(i)] = char(uint8_t(uint32_t(v) >> (8 * i)));
    return s;
}

// A record header written by hand, so that its size can lie.
std::string RawRecord(const std::string& name, int32_t size, const std::string& contents)
{
    std::string r;
    AppendPayloadRecord(r, name, EncodeDateTimeValue(2024, 6, 3, 12, 0, 0), contents);
    r.replace(1 + name.size() + 8, 4, Int32LE(size));
    return r;
}

// Committed private memory, summed over the address space: what a leaked heap block keeps.
SIZE_T CommittedPrivateBytes()
{
    SIZE_T total = 0;
    MEMORY_BASIC_INFORMATION info{};
    for (const char* address = nullptr; VirtualQuery(address, &info, sizeof info) == sizeof info;
         address = static_cast<const char*>(info.BaseAddress) + info.RegionSize) {
        if (info.State == MEM_COMMIT && info.Type == MEM_PRIVATE) total += info.RegionSize;
        if (info.RegionSize == 0) break;
    }
    return total;
}

}  // namespace

void* operator new(size_t size)
{
    void* p = std::malloc(size ? size : 1);
    if (!p) throw std::bad_alloc();
    ++LiveAllocations;
    return p;
}
void operator delete(void* p) noexcept
{
    if (!p) return;
    --LiveAllocations;
    std::free(p);
}
void operator delete(void* p, size_t) noexcept { operator delete(p); }

TEST(AttachedFiles, RecordsComeOutInOrderWithTheirFields)
{
    const TDateTime odd = EncodeDateTimeValue(2001, 2, 3, 4, 5, 7);
    auto files = OpenPayload(MakePayload({
        {"first.txt", "one", EncodeDateTimeValue(2024, 6, 3, 12, 0, 0)},
        {"sub\\second.bin", std::string("\0\1\2\xff", 4), odd},
        {"", "nameless"},
        {"empty", ""},
    }));
    ASSERT_EQ(files->Entries.size(), 4u);
    const auto& e = files->Entries;
    EXPECT_EQ(e[0].FileName, "first.txt");
    EXPECT_EQ(e[0].DataOffset, 13 + 9);
    EXPECT_EQ(EntryBytes(*files, e[0]), "one");
    EXPECT_EQ(e[1].FileName, "sub\\second.bin");
    EXPECT_EQ(e[1].FileDate, odd);
    EXPECT_EQ(EntryBytes(*files, e[1]), std::string("\0\1\2\xff", 4));
    EXPECT_EQ(e[2].FileName, "");
    EXPECT_EQ(e[2].DataOffset, e[1].DataOffset + 4 + 13);
    EXPECT_EQ(EntryBytes(*files, e[2]), "nameless");
    EXPECT_EQ(e[3].FileSize, 0);
    EXPECT_EQ(e[3].DataOffset, files->DataSize);
    EXPECT_TRUE(files->Queues[0].empty());
    EXPECT_TRUE(files->PublicFiles.empty());
    EXPECT_FALSE(files->ForceOverwrite);
}

TEST(AttachedFiles, SizeZeroEntryInTheMiddleEndsWhereTheNextBegins)
{
    auto files = OpenPayload(MakePayload({{"a", ""}, {"b", "x"}}));
    ASSERT_EQ(files->Entries.size(), 2u);
    EXPECT_EQ(files->Entries[0].DataOffset, 13 + 1);
    EXPECT_EQ(files->Entries[1].DataOffset - 13 - 1, files->Entries[0].DataOffset);
}

TEST(AttachedFiles, PayloadBeyondFiveTimesItsSizeGrowsToTheWhole)
{
    const std::string zeros(1 << 20, '\0');
    const std::string stream = MakePayload({{"zeros.bin", zeros}, {"tail.txt", "end"}});
    ASSERT_GT(MakeRecords({{"zeros.bin", zeros}}).size(), 5 * stream.size());
    auto files = OpenPayload(stream);
    ASSERT_EQ(files->Entries.size(), 2u);
    EXPECT_EQ(files->DataSize, int32_t(MakeRecords({{"zeros.bin", zeros}, {"tail.txt", "end"}}).size()));
    EXPECT_EQ(EntryBytes(*files, files->Entries[0]), zeros);
    EXPECT_EQ(EntryBytes(*files, files->Entries[1]), "end");
}

TEST(AttachedFiles, EmptyStreamOfNoRecordsGivesNoEntries)
{
    auto files = OpenPayload(CompressPayload(""));
    EXPECT_EQ(files->DataSize, 0);
    EXPECT_TRUE(files->Entries.empty());
}

struct TBadPayload {
    const char* Case;
    std::string Stream;
};

std::vector<TBadPayload> BadPayloads()
{
    const std::string big = Pseudorandom(1 << 20, 7);
    const std::string good = MakePayload({{"big.bin", big}, {"b.txt", "bee"}});
    std::string adler = good;
    adler.back() = char(adler.back() ^ 0x01);
    std::string header = good;
    header[0] = char(0x79);
    std::string middle = good;
    middle[middle.size() / 2] = char(middle[middle.size() / 2] ^ 0x55);
    const std::string records = MakeRecords({{"big.bin", big}, {"b.txt", "bee"}});
    return {
        {"altered Adler-32", adler},
        {"wrong zlib header", header},
        {"corrupt deflate data", middle},
        {"truncated stream", good.substr(0, good.size() * 3 / 4)},
        {"stream without its check value", good.substr(0, good.size() - 4)},
        {"cut inside a record's contents", CompressPayload(records.substr(0, records.size() - 1))},
        {"cut inside a record's header", CompressPayload(records + std::string("\x05" "ab", 3))},
        {"name runs past the end", CompressPayload(records + std::string("\xff" "abc", 4))},
        {"size runs past the end", CompressPayload(records + RawRecord("c.txt", 10, "short"))},
        {"negative size", CompressPayload(RawRecord("neg.txt", -1, "") + records)},
        {"most negative size", CompressPayload(records + RawRecord("neg.txt", INT32_MIN, ""))},
        {"empty resource", std::string()},
        {"not a zlib stream", big.substr(0, 4096)},
    };
}

TEST(AttachedFiles, DamagedPayloadsFailTheConstructor)
{
    for (const TBadPayload& bad : BadPayloads()) {
        SCOPED_TRACE(bad.Case);
        EXPECT_THROW(OpenPayload(bad.Stream), EInflateError);
    }
    EXPECT_THROW(TAttachedFiles(nullptr, 0), EInflateError);
}

TEST(AttachedFiles, FailedConstructorLeaksNothing)
{
    const std::vector<TBadPayload> cases = BadPayloads();
    // Warm-up: one-time allocations of the runtime do not count.
    for (const TBadPayload& bad : cases) EXPECT_THROW(OpenPayload(bad.Stream), EInflateError);

    const SIZE_T before = CommittedPrivateBytes();
    for (int round = 0; round < 4; ++round) {
        for (const TBadPayload& bad : cases) {
            const long live = LiveAllocations;
            try {
                TAttachedFiles files(bad.Stream.data(), uint32_t(bad.Stream.size()));
                ADD_FAILURE() << bad.Case << " was accepted";
            } catch (const EInflateError& e) {
                EXPECT_STREQ(e.ClassName(), "EInflateError");
            }
            EXPECT_EQ(LiveAllocations, live) << bad.Case;
        }
    }
    // The inflate buffers are malloc'd, up to 5 MB a case: leaking them would add hundreds of MB.
    const SIZE_T after = CommittedPrivateBytes();
    EXPECT_LT(after, before + 32 * 1024 * 1024) << "private bytes grew from " << before << " to " << after;
}

TEST(AttachedFiles, MissingResourceFailsTheConstructor)
{
    const TAttachedFiles::TResourceBytes missing = TAttachedFiles::GetResourceBytes("NOSUCH", "FILES");
    EXPECT_EQ(missing.Bytes, nullptr);
    EXPECT_EQ(missing.Size, 0u);
}
