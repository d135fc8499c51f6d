// Command-line front-end of the driver: runs one script against a program and reports each step.
//   e2e-driver [--caption <text>] [--timeout <ms>] <script file | ->
// Exit code 0 when every line held, 1 at the first failing line, 2 for a usage error.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <sstream>

#include "tests/e2e/Driver.h"
#include "tests/e2e/DriverScript.h"
#include "utils/Types.h"

int main(int argc, char** argv)
{
    std::string caption = SetupTitle, scriptPath;
    int timeout = 10000;
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--caption") && i + 1 < argc) caption = argv[++i];
        else if (!std::strcmp(argv[i], "--timeout") && i + 1 < argc) timeout = std::atoi(argv[++i]);
        else if (scriptPath.empty()) scriptPath = argv[i];
        else scriptPath.clear(), i = argc;
    }
    if (scriptPath.empty() || timeout <= 0) {
        std::fprintf(stderr, "usage: e2e-driver [--caption <text>] [--timeout <ms>] <script file | ->\n");
        return 2;
    }
    std::stringstream script;
    if (scriptPath == "-") {
        script << std::cin.rdbuf();
    } else {
        std::ifstream file(scriptPath, std::ios::binary);
        if (!file) {
            std::fprintf(stderr, "e2e-driver: cannot read %s\n", scriptPath.c_str());
            return 2;
        }
        script << file.rdbuf();
    }

    TDriver driver(caption);
    driver.SetTimeout(timeout);
    TDriverScript runner(driver, [](const std::string& line) {
        std::fputs((line + "\n").c_str(), stdout);
        std::fflush(stdout);
    });
    if (runner.Run(script.str())) return 0;
    std::fprintf(stderr, "e2e-driver: %s\n", runner.Error().c_str());
    return 1;
}
