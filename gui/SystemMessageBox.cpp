#include "gui/SystemMessageBox.h"
#include <utility>

namespace {
TMessageBoxSeam& Seam()
{
    static TMessageBoxSeam seam;
    return seam;
}
}  // namespace

TMessageBoxSeam SetMessageBoxSeam(TMessageBoxSeam seam)
{
    return std::exchange(Seam(), std::move(seam));
}

int SystemMessageBox(HWND owner, const std::wstring& text, const std::wstring& caption, UINT style,
                     WORD language)
{
    if (Seam()) return Seam()(owner, text, caption, style);
    return MessageBoxExW(owner, text.c_str(), caption.c_str(), style, language);
}
