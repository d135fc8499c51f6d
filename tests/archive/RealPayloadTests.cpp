// The payload this executable carries, as the setup will: the ten records in their order, each
// the bytes of its source in the build's manifest, and a hunspell.dll that spells.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>

#include "tests/archive/TestPayload.h"
#include "tests/support/TestFolder.h"
#include "utils/InstUtils.h"

namespace {

struct TManifestLine {
    std::string Name, Source, Stamp;
};

// The build's manifest lives on the Linux side; Wine shows the root as Z:.
std::string WinePath(const std::string& unixPath)
{
    std::string path = "Z:" + unixPath;
    for (char& c : path)
        if (c == '/') c = '\\';
    return path;
}

std::vector<TManifestLine> ReadManifest()
{
    std::vector<TManifestLine> lines;
    const std::string text = ReadFileBytes(WinePath(PAYLOAD_MANIFEST_PATH));
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        const std::string line = text.substr(start, end - start);
        start = end + 1;
        if (line.empty() || line[0] == '#') continue;
        const size_t tab1 = line.find('\t'), tab2 = line.find('\t', tab1 + 1);
        lines.push_back({line.substr(0, tab1), line.substr(tab1 + 1, tab2 - tab1 - 1), line.substr(tab2 + 1)});
    }
    return lines;
}

TDateTime ParseStamp(const std::string& s)
{
    int y = 0, mo = 0, d = 0, h = 0, mi = 0, sec = 0;
    sscanf(s.c_str(), "%d-%d-%d %d:%d:%d", &y, &mo, &d, &h, &mi, &sec);
    return EncodeDateTime(y, mo, d, h, mi, sec, 0);
}

using THunspellCreate = void*(__cdecl*)(const char* aff, const char* dic);
using THunspellSpell = int(__cdecl*)(void* handle, const char* word);
using THunspellSuggest = int(__cdecl*)(void* handle, char*** list, const char* word);
using THunspellFreeList = void(__cdecl*)(void* handle, char*** list, int count);
using THunspellDestroy = void(__cdecl*)(void* handle);

}  // namespace

TEST(RealPayload, TenRecordsInOrderEachTheBytesOfItsSource)
{
    const TAttachedFiles::TResourceBytes resource = TAttachedFiles::GetResourceBytes("FILES", "FILES");
    ASSERT_GT(resource.Size, 2u);
    EXPECT_EQ(resource.Bytes[0], 0x78);
    EXPECT_EQ(resource.Bytes[1], 0xDA);

    TAttachedFiles files;
    const std::vector<std::string> expectedNames = {
        "License.txt",     "hunspell.dll",             "Norwegian (Nynorsk).asc", "userdicnon.tlx",
        "nn_NO.dic",       "nn_NO.aff",                "Norwegian (Nynorsk).hyph", "Norwegian (Bokmal).thes",
        "Logo.bmp",        "LogoSmall.bmp",
    };
    const std::vector<TManifestLine> manifest = ReadManifest();
    ASSERT_EQ(manifest.size(), expectedNames.size());
    ASSERT_EQ(files.Entries.size(), expectedNames.size());
    for (size_t i = 0; i < expectedNames.size(); ++i) {
        const TAttachedFile& entry = files.Entries[i];
        SCOPED_TRACE(entry.FileName);
        EXPECT_EQ(entry.FileName, expectedNames[i]);
        EXPECT_EQ(manifest[i].Name, expectedNames[i]);
        bool read = false;
        const std::string source = ReadFileBytes(WinePath(manifest[i].Source), &read);
        ASSERT_TRUE(read) << manifest[i].Source;
        EXPECT_TRUE(EntryBytes(files, entry) == source) << "contents differ from " << manifest[i].Source;
        EXPECT_EQ(entry.FileDate, ParseStamp(manifest[i].Stamp));
        const TDateTimeParts parts = DecodeDateTime(entry.FileDate);
        EXPECT_EQ(parts.Second % 2, 0);
        EXPECT_EQ(parts.MilliSecond, 0);
    }
    EXPECT_EQ(files.Entries[3].FileSize, 0) << "userdicnon.tlx ships empty";
    EXPECT_EQ(files.Entries.back().DataOffset + files.Entries.back().FileSize, files.DataSize);
}

TEST(RealPayload, HunspellDllSpellsNynorskWithTheShippedDictionary)
{
    TAttachedFiles files;
    TTestFolder folder;
    for (const char* name : {"hunspell.dll", "nn_NO.aff", "nn_NO.dic"})
        ASSERT_TRUE(files.ExtractFile(nullptr, name, folder / name));

    HMODULE dll = LoadLibraryA((folder / "hunspell.dll").c_str());
    ASSERT_NE(dll, nullptr);
    const auto create = reinterpret_cast<THunspellCreate>(GetProcAddress(dll, "Hunspell_create"));
    const auto spell = reinterpret_cast<THunspellSpell>(GetProcAddress(dll, "Hunspell_spell"));
    const auto suggest = reinterpret_cast<THunspellSuggest>(GetProcAddress(dll, "Hunspell_suggest"));
    const auto freeList = reinterpret_cast<THunspellFreeList>(GetProcAddress(dll, "Hunspell_free_list"));
    const auto destroy = reinterpret_cast<THunspellDestroy>(GetProcAddress(dll, "Hunspell_destroy"));
    ASSERT_TRUE(create && spell && suggest && freeList && destroy);

    void* speller = create((folder / "nn_NO.aff").c_str(), (folder / "nn_NO.dic").c_str());
    ASSERT_NE(speller, nullptr);
    EXPECT_NE(spell(speller, "ordbok"), 0);
    EXPECT_NE(spell(speller, "eg"), 0);
    EXPECT_EQ(spell(speller, "ordbk"), 0);
    char** list = nullptr;
    const int count = suggest(speller, &list, "ordbk");
    std::vector<std::string> suggestions(list, list + (count > 0 ? count : 0));
    freeList(speller, &list, count);
    EXPECT_NE(std::find(suggestions.begin(), suggestions.end(), "ordbok"), suggestions.end());
    destroy(speller);
    FreeLibrary(dll);
}
