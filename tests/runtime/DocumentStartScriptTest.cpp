#include "runtime/DocumentStartScript.h"

#include <gtest/gtest.h>

namespace zorv::test {
namespace {

const std::string Guards =
    "\rwindow.addEventListener(\"dragover\", function(e){e.preventDefault();},false);"
    "\rwindow.addEventListener(\"drop\", function(e){e.preventDefault();}, false);";

TEST(DocumentStartScriptTest, BridgeGuardsAndExtraScriptEachFollowACarriageReturn) {
    EXPECT_EQ(TDocumentStartScript::Compose("window.zorv={};", "  extra();\n"),
              "\rwindow.zorv={};" + Guards + "\r  extra();\n");
}

TEST(DocumentStartScriptTest, ByteOrderMarkOfTheBridgeScriptIsDropped) {
    EXPECT_EQ(TDocumentStartScript::Compose("\xEF\xBB\xBFwindow.zorv={};", ""), "\rwindow.zorv={};" + Guards);
}

TEST(DocumentStartScriptTest, BlankExtraScriptIsLeftOut) {
    EXPECT_EQ(TDocumentStartScript::Compose("B", " \r\n\t "), "\rB" + Guards);
}

}  // namespace
}  // namespace zorv::test
