// The process around the form tests, prepared as the setup prepares itself.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include "gui/Application.h"
#include "utils/InstUtils.h"
#include "wizard/MainDlg.h"

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    StartupInstUtils();
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);
    int result = 0;
    {
        TApplication application;
        RegisterMainDlgClasses();
        result = RUN_ALL_TESTS();
    }
    ShutdownInstUtils();
    return result;
}
