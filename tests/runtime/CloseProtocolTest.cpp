#include "runtime/CloseProtocol.h"

#include <gtest/gtest.h>

#include <vector>

namespace zorv::test {
namespace {

class CloseProtocolTest : public testing::Test {
protected:
    std::vector<std::string> scripts;
    TCloseProtocol protocol{[this](const std::string& script) { scripts.push_back(script); }};
};

TEST_F(CloseProtocolTest, FirstAttemptIsRefusedAndAsksThePage) {
    EXPECT_FALSE(protocol.CloseQuery(true));
    EXPECT_FALSE(protocol.CloseQuery(true));
    EXPECT_EQ(scripts, (std::vector<std::string>{"zorv.events.onCloseQuery();", "zorv.events.onCloseQuery();"}));
}

TEST_F(CloseProtocolTest, ClosesAfterThePageAgreed) {
    EXPECT_FALSE(protocol.CloseQuery(true));
    protocol.AllowClose();
    EXPECT_TRUE(protocol.CloseQuery(true));
}

TEST_F(CloseProtocolTest, WindowWithoutAnApplicationPageClosesAtOnce) {
    EXPECT_TRUE(protocol.CloseQuery(false));
    EXPECT_TRUE(scripts.empty());
}

}  // namespace
}  // namespace zorv::test
