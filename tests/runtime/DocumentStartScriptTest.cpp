#include "runtime/DocumentStartScript.h"

#include <gtest/gtest.h>

namespace zorv {
namespace {

const std::string Guards =
    "\rwindow.addEventListener(\"dragover\", function(e){e.preventDefault();},false);"
    "\rwindow.addEventListener(\"drop\", function(e){e.preventDefault();}, false);";

TEST(DocumentStartScriptTest, BridgeGuardsAndExtraScriptEachFollowACarriageReturn) {
    EXPECT_EQ(TDocumentStartScript::Compose("window.zorv={};", true, true, "  extra();\n"),
              "\rwindow.zorv={};" + Guards + "\r  extra();\n");
}

TEST(DocumentStartScriptTest, ByteOrderMarkOfTheBridgeScriptIsDropped) {
    EXPECT_EQ(TDocumentStartScript::Compose("\xEF\xBB\xBFwindow.zorv={};", true, false, ""),
              "\rwindow.zorv={};" + Guards);
}

TEST(DocumentStartScriptTest, BlankExtraScriptAndOutsideRuntimeAreLeftOut) {
    EXPECT_EQ(TDocumentStartScript::Compose("B", true, true, " \r\n\t "), "\rB" + Guards);
    EXPECT_EQ(TDocumentStartScript::Compose("B", true, false, "extra();"), "\rB" + Guards);
    EXPECT_EQ(TDocumentStartScript::Compose("B", false, true, "x"), Guards + "\rx");
}

}  // namespace
}  // namespace zorv
