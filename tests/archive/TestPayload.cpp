#include "tests/archive/TestPayload.h"

#include <windows.h>

#include "gui/SystemMessageBox.h"

TMessageBoxScript::TMessageBoxScript(std::vector<int> answers, std::function<void(size_t)> onAsk)
    : answers_(std::move(answers)), onAsk_(std::move(onAsk))
{
    SetMessageBoxSeam([this](HWND, const std::wstring& text, const std::wstring& caption, UINT style) {
        const size_t index = asked_.size();
        asked_.push_back({text, caption, style});
        if (onAsk_) onAsk_(index);
        // An unscripted question aborts, so that a fault cannot loop for ever.
        return index < answers_.size() ? answers_[index] : IDABORT;
    });
}

TMessageBoxScript::~TMessageBoxScript()
{
    SetMessageBoxSeam({});
}

std::wstring CannotCreateMessage(const std::string& path)
{
    return L"Cannot create file \"" + std::wstring(path.begin(), path.end()) +
           L"\".\rAnother application might already be using this file.\r\rPlease make sure that the "
           L"setup of Corvella Word Processor is not blocked by your security software "
           L"(firewall/antivirus) in any way.\rYou might want to temporarily disable your security "
           L"software and try again.";
}
