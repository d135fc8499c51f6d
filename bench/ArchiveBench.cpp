// Side-by-side timings of the archive (not a test: a slow machine must not fail anything).
//  (a) construction from the real payload against a bare zlib uncompress of the same bytes;
//  (b) InstallQueued of the seven add-on files into two fresh folders against CopyFileW;
//  (c) peak working set after construction minus the inflated size.
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <zlib.h>

#include "archive/AttachFiles.h"
#include "utils/InstUtils.h"

namespace {

const char* const AddOnFiles[] = {"Norwegian (Nynorsk).asc", "hunspell.dll", "nn_NO.dic", "nn_NO.aff",
                                  "userdicnon.tlx", "Norwegian (Nynorsk).hyph", "Norwegian (Bokmal).thes"};

double Seconds()
{
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return double(now.QuadPart) / double(frequency.QuadPart);
}

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

PROCESS_MEMORY_COUNTERS Memory()
{
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    return counters;
}

std::string FreshFolder(const std::string& base, const std::string& name)
{
    const std::string path = base + name + "\\";
    DeleteTree(path);
    CreateDirectoryA(path.c_str(), nullptr);
    return path;
}

}  // namespace

int main(int argc, char** argv)
{
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 7;

    // (c) first, so that nothing else has raised the peak yet.
    const SIZE_T peakBefore = Memory().PeakWorkingSetSize;
    int32_t inflatedSize = 0;
    {
        TAttachedFiles files;
        inflatedSize = files.DataSize;
        const SIZE_T peak = Memory().PeakWorkingSetSize;
        std::printf("(c) peak working set after construction %.1f MB, inflated %.1f MB: peak minus inflated"
                    " %.1f MB (the process before construction peaked at %.1f MB, so the archive costs"
                    " %.1f MB beyond its data)\n",
                    peak / 1048576.0, inflatedSize / 1048576.0, (double(peak) - double(inflatedSize)) / 1048576.0,
                    peakBefore / 1048576.0, (double(peak) - double(peakBefore) - double(inflatedSize)) / 1048576.0);
    }

    // (a)
    const TAttachedFiles::TResourceBytes resource = TAttachedFiles::GetResourceBytes("FILES", "FILES");
    std::vector<double> construct, uncompressTimes;
    for (int i = 0; i < rounds; ++i) {
        double t0 = Seconds();
        { TAttachedFiles files; }
        construct.push_back(Seconds() - t0);
        // The bare way, allocation included: a buffer of exactly the inflated size, one call.
        t0 = Seconds();
        auto* plain = static_cast<Bytef*>(std::malloc(size_t(inflatedSize)));
        uLongf size = uLongf(inflatedSize);
        const int rc = plain ? uncompress(plain, &size, resource.Bytes, resource.Size) : Z_MEM_ERROR;
        std::free(plain);
        uncompressTimes.push_back(Seconds() - t0);
        if (rc != Z_OK || size != uLongf(inflatedSize)) {
            std::fprintf(stderr, "uncompress failed\n");
            return 1;
        }
    }
    const double a = Median(construct), u = Median(uncompressTimes);
    std::printf("(a) constructor %.1f ms, bare uncompress %.1f ms (median of %d): ratio %.3f (goal <= 1.10)\n",
                a * 1e3, u * 1e3, rounds, a / u);

    // (b)
    char temp[MAX_PATH + 1] = {};
    GetTempPathA(MAX_PATH, temp);
    const std::string base = std::string(temp) + "archive-bench-" + std::to_string(GetCurrentProcessId()) + "\\";
    CreateDirectoryA(base.c_str(), nullptr);
    TAttachedFiles files;
    const std::string sources = FreshFolder(base, "sources");
    for (const char* name : AddOnFiles) files.ExtractFile(nullptr, name, sources + name);

    std::vector<double> install, copy;
    for (int i = 0; i < rounds; ++i) {
        const std::string q1 = FreshFolder(base, "queue1"), q2 = FreshFolder(base, "queue2");
        files.Queues[0].clear();
        for (const std::string& dest : {q1, q2})
            for (const char* name : AddOnFiles) files.QueueFiles(name, dest, 0, imOverwrite);
        double t0 = Seconds();
        const bool ok = files.InstallQueued();
        install.push_back(Seconds() - t0);
        if (!ok) {
            std::fprintf(stderr, "InstallQueued failed\n");
            return 1;
        }

        const std::string c1 = FreshFolder(base, "copy1"), c2 = FreshFolder(base, "copy2");
        t0 = Seconds();
        for (const std::string& dest : {c1, c2})
            for (const char* name : AddOnFiles)
                CopyFileW(ToWide(sources + name).c_str(), ToWide(dest + name).c_str(), FALSE);
        copy.push_back(Seconds() - t0);
    }
    const double iq = Median(install), cp = Median(copy);
    std::printf("(b) InstallQueued %.1f ms, CopyFileW %.1f ms (14 files, median of %d): ratio %.3f (goal <= 1.5)\n",
                iq * 1e3, cp * 1e3, rounds, iq / cp);
    DeleteTree(base);
    return 0;
}
