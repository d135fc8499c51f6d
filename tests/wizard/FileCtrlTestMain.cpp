#include "gui/Application.h"
#include "gui/Layout.h"
#include "gui/Panels.h"
#include "gui/StdControls.h"
#include "utils/InstUtils.h"
#include "wizard/FileCtrl.h"
#include <commctrl.h>
#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    StartupInstUtils();
    INITCOMMONCONTROLSEX controls{sizeof controls, 0xFF};
    InitCommonControlsEx(&controls);
    int result;
    {
        TApplication application;
        application.SetTitle("Drive and folder test");
        RegisterControlClass<TButton>();
        RegisterControlClass<TDirectoryListBox>();
        RegisterControlClass<TDriveComboBox>();
        RegisterControlClass<TEdit>();
        RegisterControlClass<TLabel>();
        testing::InitGoogleTest(&argc, argv);
        result = RUN_ALL_TESTS();
    }
    ShutdownInstUtils();
    return result;
}
