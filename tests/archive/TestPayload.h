#pragma once
// Small payloads made by the packer's own record writer, one per test case.
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>

#include <memory>
#include <string>
#include <vector>

#include "archive/AttachFiles.h"
#include "tools/PayloadWriter.h"

struct TTestRecord {
    std::string Name;
    std::string Contents;
    TDateTime Date = EncodeDateTimeValue(2024, 6, 3, 12, 0, 0);
};

inline std::string MakeRecords(const std::vector<TTestRecord>& records)
{
    std::string bytes;
    for (const TTestRecord& r : records) AppendPayloadRecord(bytes, r.Name, r.Date, r.Contents);
    return bytes;
}

inline std::string MakePayload(const std::vector<TTestRecord>& records)
{
    return CompressPayload(MakeRecords(records));
}

inline std::unique_ptr<TAttachedFiles> OpenPayload(const std::string& stream)
{
    return std::make_unique<TAttachedFiles>(stream.data(), uint32_t(stream.size()));
}

inline std::string EntryBytes(const TAttachedFiles& files, const TAttachedFile& entry)
{
    return std::string(reinterpret_cast<const char*>(files.Data.get()) + entry.DataOffset, size_t(entry.FileSize));
}

// Answers every SetupMessageDlg through the message-box seam and records what was asked.
class TMessageBoxScript {
public:
    struct TAsked {
        std::wstring Text, Caption;
        UINT Style = 0;
    };
    explicit TMessageBoxScript(std::vector<int> answers, std::function<void(size_t)> onAsk = {});
    ~TMessageBoxScript();
    TMessageBoxScript(const TMessageBoxScript&) = delete;
    TMessageBoxScript& operator=(const TMessageBoxScript&) = delete;

    const std::vector<TAsked>& Asked() const { return asked_; }

private:
    std::vector<int> answers_;
    std::function<void(size_t)> onAsk_;
    std::vector<TAsked> asked_;
};

std::wstring CannotCreateMessage(const std::string& path);
