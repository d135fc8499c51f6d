#include <gtest/gtest.h>
#include <windows.h>
#include "wizard/Host.h"

namespace {
HWND CreateTestWindow(HWND parent)
{
    static const ATOM cls = [] {
        WNDCLASSA wc{};
        wc.lpfnWndProc = DefWindowProcA;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "HostTestWindow";
        return RegisterClassA(&wc);
    }();
    EXPECT_NE(cls, 0);
    return CreateWindowExA(0, "HostTestWindow", "host", parent ? WS_CHILD : WS_OVERLAPPED, 0, 0, 50, 50, parent,
                           nullptr, GetModuleHandleA(nullptr), nullptr);
}

TEST(HostInstancesRunning, FindsOnlyTopLevelWindowsWithANonZeroProperty)
{
    struct TCase {
        const char* name;
        bool child;
        bool setProperty;
        UINT_PTR value;
        bool running;
    };
    const TCase cases[] = {
        {"hidden top-level window with the property", false, true, 1, true},
        {"top-level window without it", false, false, 0, false},
        {"property holding zero", false, true, 0, false},
        {"child window with the property", true, true, 1, false},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.name);
        HWND top = CreateTestWindow(nullptr);
        ASSERT_NE(top, nullptr);
        HWND target = c.child ? CreateTestWindow(top) : top;
        ASSERT_NE(target, nullptr);
        if (c.setProperty) {
            ASSERT_TRUE(SetPropA(target, HostWindowProperty, reinterpret_cast<HANDLE>(c.value)));
        }
        EXPECT_EQ(HostInstancesRunning(), c.running);
        RemovePropA(target, HostWindowProperty);
        DestroyWindow(top);
    }
    EXPECT_FALSE(HostInstancesRunning());
}
}  // namespace
