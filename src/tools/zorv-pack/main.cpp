#include <cstdio>
#include <string>
#include <vector>

#include "tools/zorv-pack/PackTool.h"

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    return zorv::TPackTool(stdout, stderr).Run(args);
}
