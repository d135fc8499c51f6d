#include "TestForm.h"
#include "gui/Application.h"
#include <commctrl.h>
#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    INITCOMMONCONTROLSEX controls{sizeof controls, 0xFF};
    InitCommonControlsEx(&controls);
    TApplication application;
    RegisterFrameworkClasses();
    application.SetTitle("Framework test");
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
