// On a host without the Windows resource services, `zorv-pack build` refuses the resource options
// with a message that says why, before it writes anything.
#include <gtest/gtest.h>

#include <cstdio>

#include "tools/zorv-pack/PackTool.h"

namespace zorv::test {
namespace {

TEST(PackResourceOptionsOnThisHost, AreRefusedWithAReason) {
    for (const std::vector<std::string>& extra : {std::vector<std::string>{"--icon", "app.ico"},
                                                  std::vector<std::string>{"--version-info", "CompanyName=Acme"}}) {
        std::vector<std::string> args = {"build", "no-such-project", "-o", "no-such-output"};
        args.insert(args.end(), extra.begin(), extra.end());
        std::FILE* out = std::tmpfile();
        std::FILE* err = std::tmpfile();
        EXPECT_EQ(TPackTool(out, err).Run(args), TPackTool::UsageError);
        std::rewind(err);
        char buffer[2048] = {};
        const std::string message(buffer, std::fread(buffer, 1, sizeof(buffer) - 1, err));
        EXPECT_NE(message.find("--icon and --version-info need the Windows build of zorv-pack"), std::string::npos)
            << message;
        std::fclose(out);
        std::fclose(err);
    }
}

}  // namespace
}  // namespace zorv::test
