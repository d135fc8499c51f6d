#include "wizard/Host.h"
#include <windows.h>
#include <exception>

namespace {
struct THostSearch {
    bool found = false;
    std::exception_ptr error;
};

BOOL CALLBACK FindHostWindow(HWND wnd, LPARAM param)
{
    auto* search = reinterpret_cast<THostSearch*>(param);
    try {
        if (GetPropA(wnd, HostWindowProperty) != nullptr) {
            search->found = true;
            return FALSE;
        }
        return TRUE;
    } catch (...) {
        // Rethrown after EnumWindows has returned: no exception may cross user32's frames.
        search->error = std::current_exception();
        return FALSE;
    }
}
}  // namespace

bool HostInstancesRunning()
{
    THostSearch search;
    EnumWindows(FindHostWindow, reinterpret_cast<LPARAM>(&search));
    if (search.error) std::rethrow_exception(search.error);
    return search.found;
}
