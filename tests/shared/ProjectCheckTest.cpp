#include "shared/ProjectCheck.h"

#include <gtest/gtest.h>

#include "support/ScratchFolder.h"

namespace zorv::test {
namespace {

// A broken project: its zorv.ini (nullptr: none), whether its folder "app" holds index.html, and
// every message the check gives, errors first marked "E ", warnings "W ".
struct TBrokenProject {
    const char* name;
    const char* ini;
    bool hasStartPage;
    std::vector<std::string> messages;
};

class ProjectCheckTable : public testing::TestWithParam<TBrokenProject> {};

TEST_P(ProjectCheckTable, ReportsEveryProblemWithFileAndFix) {
    TScratchFolder project;
    const TBrokenProject& c = GetParam();
    if (c.ini != nullptr) project.Write("zorv.ini", c.ini);
    std::filesystem::create_directories(project / "app");
    if (c.hasStartPage) project.Write("app/index.html", "<p>hello</p>");
    TProjectCheck check(project.Path());
    check.Run();
    std::vector<std::string> messages;
    for (const TProjectProblem& problem : check.Problems())
        messages.push_back((problem.severity == TProjectProblem::TSeverity::Error ? "E " : "W ") + problem.Message());
    EXPECT_EQ(messages, c.messages);
    const bool anyError = std::any_of(c.messages.begin(), c.messages.end(), [](auto& m) { return m[0] == 'E'; });
    EXPECT_EQ(check.HasErrors(), anyError);
}

constexpr const char* Identity = "[App]\nID=com.example.notes\nName=Notes\nDirName=app\n";

INSTANTIATE_TEST_SUITE_P(
    Projects, ProjectCheckTable,
    testing::Values(
        TBrokenProject{"Sound", Identity, true, {}},
        TBrokenProject{"NoIni",
                       nullptr,
                       true,
                       {"E zorv.ini: missing; create it with a section [App] giving ID, Name and DirName (zorv-pack "
                        "init writes one)"}},
        TBrokenProject{
            "NoIdentityAtAll",
            "; nothing yet\n[App]\nID=\n",
            true,
            {"E zorv.ini:3: ID is missing or empty; add a line such as ID=com.example.notes to section [App]",
             "E zorv.ini: Name is missing or empty; add a line such as Name=Notes to section [App]",
             "E zorv.ini: DirName is missing or empty; add a line such as DirName=app to section [App]"}},
        TBrokenProject{"KeysBeforeTheSection",
                       "ID=x\nName=y\n[App]\nDirName=app\n",
                       true,
                       {"E zorv.ini: ID is missing or empty; add a line such as ID=com.example.notes to section [App]",
                        "E zorv.ini: Name is missing or empty; add a line such as Name=Notes to section [App]"}},
        TBrokenProject{"DirNameNoFolder",
                       "[App]\nID=a\nName=b\nDirName=www\n",
                       true,
                       {"E zorv.ini:4: DirName=www names no folder of the project; create the folder www or correct "
                        "DirName"}},
        TBrokenProject{"DirNameOutside",
                       "[App]\nID=a\nName=b\nDirName=../app\n",
                       true,
                       {"E zorv.ini:4: DirName=../app must name a folder inside the project; give a relative name "
                        "such as app"}},
        TBrokenProject{"StartPageMissing",
                       "[App]\nID=a\nName=b\nDirName=app\nIndexHtml=start.html?x=1\n",
                       true,
                       {"W app/start.html: the start page is missing; create it, or set IndexHtml in zorv.ini to the "
                        "page to start with"}},
        TBrokenProject{"MisspeltAndUnknownKeys",
                       "[App]\nID=a\nName=b\nDirName=app\nWidht=900\nTitle=Notes\n[Other]\nWhatever=1\n",
                       true,
                       {"W zorv.ini:5: \"Widht\" is not a key of [App] and is ignored; did you mean \"Width\"?",
                        "W zorv.ini:6: \"Title\" is not a key of [App] and is ignored; remove it (the README lists "
                        "the keys)"}},
        TBrokenProject{"ThemeThatDoesNotExist",
                       "[App]\nID=a\nName=b\nDirName=app\nTheme=Carbn\n",
                       true,
                       {"W zorv.ini:5: Theme=Carbn is not a theme; did you mean \"Carbon\"?"}},
        TBrokenProject{"WindowSizesThatCannotBeShown",
                       "[App]\nID=a\nName=b\nDirName=app\nWidth=20\nheight=100000\nMaxWidth=50\nMinHeight=0\n"
                       "MaxHeight=300\n",
                       true,
                       {"W zorv.ini:5: Width=20 is a window size that cannot be shown; give 100 to 16384",
                        "W zorv.ini:6: height=100000 is a window size that cannot be shown; give 100 to 16384",
                        "W zorv.ini:7: MaxWidth=50 is a window size that cannot be shown; give 100 to 16384, or 0 "
                        "for no limit"}},
        TBrokenProject{"LimitsThatCross",
                       "[App]\nID=a\nName=b\nDirName=app\nMinWidth=900\nMaxWidth=800\n",
                       true,
                       {"W zorv.ini:5: MinWidth=900 is above MaxWidth=800; lower MinWidth or raise MaxWidth"}},
        TBrokenProject{"ValuesOfTheWrongKind",
                       "[App]\nID=a\nName=b\nDirName=app\nAllowDebug=true\nWindowBorder=7\nUrlSpace=http\n"
                       "InstallFormColor=orange\nTop=0x\n",
                       true,
                       {"W zorv.ini:5: AllowDebug=true is not a number and reads as the default, 0; write 1 (yes) or "
                        "0 (no)",
                        "W zorv.ini:6: WindowBorder=7 is not one of 0, 1, 2, 3, 4 or 5 and reads as the default, 2; "
                        "write one of them",
                        "W zorv.ini:7: UrlSpace=http is not one of file or https and reads as the default, file; "
                        "write one of them",
                        "W zorv.ini:8: InstallFormColor=orange is not a number and reads as the default, $FF00001A; "
                        "write $00BBGGRR, blue first (e.g. $000080FF for orange)",
                        "W zorv.ini:9: Top=0x is not a number and reads as the default, 50; write a whole number "
                        "(decimal, or hexadecimal after $ or 0x)"}},
        // Only the last of repeated lines is read, and only it is checked.
        TBrokenProject{"RepeatedKey", "[App]\nID=a\nName=b\nDirName=app\nWidth=5\nWidth=640\n", true, {}},
        // Every problem at once, errors and warnings in one report.
        TBrokenProject{"ManyAtOnce",
                       "[App]\nName=b\nDirName=site\nWidht=1\nTheme=NoSuchThemeAtAll\n",
                       false,
                       {"E zorv.ini: ID is missing or empty; add a line such as ID=com.example.notes to section [App]",
                        "W zorv.ini:4: \"Widht\" is not a key of [App] and is ignored; did you mean \"Width\"?",
                        "W zorv.ini:5: Theme=NoSuchThemeAtAll is not a theme; use one of the names "
                        "zorv.themes.getThemes() lists, or Windows",
                        "E zorv.ini:3: DirName=site names no folder of the project; create the folder site or "
                        "correct DirName"}}),
    [](const testing::TestParamInfo<TBrokenProject>& info) { return std::string(info.param.name); });

TEST(ProjectCheck, MissingProjectFolderIsTheOnlyProblem) {
    TScratchFolder scratch;
    TProjectCheck check(scratch / "nowhere");
    check.Run();
    ASSERT_EQ(check.Problems().size(), 1u);
    EXPECT_TRUE(check.HasErrors());
    EXPECT_NE(check.Problems()[0].Message().find("no such project folder"), std::string::npos);
}

}  // namespace
}  // namespace zorv::test
