#include "shared/FailureSink.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace zorv::test {
namespace {

TEST(FailureSink, ReportsReachTheReceiverWithTheReportersPlace) {
    std::vector<std::string> seen;
    const auto previous = TFailureSink::SetReceiver(
        [&](std::string_view text, const TSourcePlace& where) { seen.push_back(TFailureSink::Format(text, where)); });
    const unsigned line = __LINE__ + 1;
    TFailureSink::Report("the web view refused");
    TFailureSink::SetReceiver(previous);
    TFailureSink::Report("after the receiver is gone");

    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0], "zorv: the web view refused (FailureSinkTest.cpp:" + std::to_string(line) + ")");
}

}  // namespace
}  // namespace zorv::test
