#include <gtest/gtest.h>
#include "utils/InstUtils.h"

// The start-up step runs once per process, before everything else, as in the setup.
int main(int argc, char** argv)
{
    StartupInstUtils();
    testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    ShutdownInstUtils();
    return result;
}
