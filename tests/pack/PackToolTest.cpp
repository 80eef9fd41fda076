// `zorv-pack` run as a real process on real project folders: what `build` writes, what `list`
// and `cat` print, and the exit status of every failure.
#include <gtest/gtest.h>

#include <map>
#include <sstream>

#include "ArchiveTestSupport.h"
#include "ReaderVerdictCases.h"
#include "archive/AbZipKit.h"
#include "shared/ExeUtils.h"

namespace zorv::test {
namespace {

struct TResult {
    int status;
    std::string out, err;
};

class PackTool : public ::testing::Test {
protected:
    void SetUp() override {
        FTool = BinaryDir() / "zorv-pack";
        ASSERT_TRUE(fs::exists(FTool)) << FTool;
        // Any executable image stands in for the runtime; /bin/true also shows the packaged
        // file still runs.
        FRuntime = FDir / "runtime";
        fs::copy_file(fs::exists("/bin/true") ? fs::path("/bin/true") : fs::path(TExeUtils::RunningExePath()),
                      FRuntime);
        FProject = FDir / "project";
        WriteFile(FProject / "zorv.ini", "[App]\nID=com.example.notes\nName=Notes\nDirName=www\n");
        WriteFile(FProject / "zorv-webviewjs", "console.log('extra');\n");
        WriteFile(FProject / "WebView2LoaderWin64.dll", RandomBytes(3000, 8));
        WriteFile(FProject / "notes.txt", "not part of the application");
        WriteFile(FProject / "www/index.html", "<!doctype html><title>Notes</title>\n");
        WriteFile(FProject / "www/js/app.js", RandomBytes(50000, 4));
        WriteFile(FProject / "www/données/été.txt", "summer\n");
        fs::create_directories(FProject / "www/empty");
        FOutput = FDir / "out/notes";
        fs::create_directories(FOutput.parent_path());
    }

    TResult Pack(const std::string& arguments) {
        const std::string command =
            Quote(FTool) + " " + arguments + " >" + Quote(FDir / "stdout") + " 2>" + Quote(FDir / "stderr");
        TResult result{RunShell(command), ReadFile(FDir / "stdout"), ReadFile(FDir / "stderr")};
        return result;
    }
    TResult Build() {
        return Pack("build " + Quote(FProject) + " -o " + Quote(FOutput) + " --runtime " + Quote(FRuntime));
    }

    // Nothing in the output folder: no output and no temporary file left behind.
    bool OutputFolderEmpty() const { return fs::is_empty(FOutput.parent_path()); }

    TScratchFolder FDir;
    fs::path FTool, FRuntime, FProject, FOutput;
};

TEST_F(PackTool, BuildWritesARunnableCopyOfTheRuntimeWithTheArchiveBehindIt) {
    const TResult result = Build();
    ASSERT_EQ(result.status, 0) << result.err;
    const std::string runtime = ReadFile(FRuntime);
    const std::string packaged = ReadFile(FOutput);
    ASSERT_GT(packaged.size(), runtime.size());
    EXPECT_EQ(packaged.substr(0, runtime.size()), runtime);
    EXPECT_NE(fs::status(FOutput).permissions() & fs::perms::owner_exec, fs::perms::none);
    EXPECT_EQ(RunShell(Quote(FOutput)), 0);  // /bin/true with an archive behind it still runs
    EXPECT_TRUE(TExeUtils(FOutput.string()).ExeHasAttachedStub());

    WriteFile(FDir / "region.zip", packaged.substr(runtime.size()));
    if (HasTool("unzip")) {
        EXPECT_EQ(RunShell("unzip -t -P " + std::string(ZORV_ARCHIVE_PASSWORD) + " " + Quote(FDir / "region.zip") +
                           " >/dev/null"),
                  0);
    }
    EXPECT_EQ(fs::directory_iterator(FOutput.parent_path())->path(), FOutput);  // no temporary file left
}

TEST_F(PackTool, ListGivesEveryEntryInArchiveOrder) {
    ASSERT_EQ(Build().status, 0);
    const TResult list = Pack("list " + Quote(FOutput));
    ASSERT_EQ(list.status, 0) << list.err;
    EXPECT_EQ(list.out,
              "zorv.ini\nzorv-webviewjs\nWebView2LoaderWin64.dll\nwww/\nwww/données/\nwww/données/été.txt\nwww/empty/"
              "\nwww/index.html\nwww/js/\n"
              "www/js/app.js\n");
}

// Names that would break the one-name-per-line listing are written with C escapes; a name
// without control characters is written as it stands. Every line `list` prints, `cat` takes.
TEST_F(PackTool, ListEscapesNamesThatHoldControlCharactersAndCatTakesEveryListedLine) {
    const fs::path plain = FDir / "plain.zip";
    ASSERT_EQ(
        RunShell(
            "python3 -c \"import zipfile,sys; z=zipfile.ZipFile(sys.argv[1],'w'); "
            "[z.writestr(n, 'x') for n in ['two\\nlines.txt', 'back\\\\slash.txt', 'tab\\there', 'bell\\x07']]\" " +
            Quote(plain)),
        0);
    const TResult list = Pack("list " + Quote(plain));
    ASSERT_EQ(list.status, 0) << list.err;
    EXPECT_EQ(list.out, "two\\nlines.txt\nback\\slash.txt\ntab\\there\nbell\\x07\n");
    std::istringstream lines(list.out);
    for (std::string line; std::getline(lines, line);) {
        const TResult cat = Pack("cat " + Quote(plain) + " " + Quote(line));
        EXPECT_EQ(cat.status, 0) << line << ": " << cat.err;
        EXPECT_EQ(cat.out, "x") << line;
    }
}

// Every archive of the reader's table through `list` and `cat`: a refused one exits with 3, names
// the archive and prints nothing; of a read one, every listed line goes back through `cat`.
TEST_F(PackTool, ListAndCatReadOrRefuseEveryArchiveOfTheTable) {
    for (const TVerdictCase& c : VerdictCases()) {
        const fs::path archive = FDir / (std::string(c.name) + ".zip");
        WriteFile(archive, c.build());
        const TResult list = Pack("list " + Quote(archive));
        if (c.entries.empty()) {
            EXPECT_EQ(list.status, 3) << c.name;
            EXPECT_TRUE(list.out.empty()) << c.name;
            EXPECT_NE(list.err.find(archive.string()), std::string::npos) << c.name << ": " << list.err;
            const TResult cat = Pack("cat " + Quote(archive) + " a.txt");
            EXPECT_EQ(cat.status, 3) << c.name;
            EXPECT_TRUE(cat.out.empty()) << c.name;
            continue;
        }
        ASSERT_EQ(list.status, 0) << c.name << ": " << list.err;
        std::istringstream lines(list.out);
        std::size_t index = 0;
        for (std::string line; std::getline(lines, line); ++index) {
            ASSERT_LT(index, c.entries.size()) << c.name << ": " << list.out;
            const TResult cat = Pack("cat " + Quote(archive) + " " + Quote(line));
            EXPECT_EQ(cat.status, 0) << c.name << " " << line << ": " << cat.err;
            EXPECT_EQ(cat.out, c.entries[index].second) << c.name << " " << line;
        }
        EXPECT_EQ(index, c.entries.size()) << c.name;
    }
}

// A self-extracting archive whose offsets `zip -A` moved to count from the start of the file: the
// executable stub in front is passed over and the offsets are taken as they were adjusted.
TEST_F(PackTool, SelfExtractingArchiveAdjustedByZipIsRead) {
    if (!HasTool("zip")) GTEST_SKIP() << "zip is not installed";
    const fs::path sfx = FDir / "sfx";
    ASSERT_EQ(RunShell("cd " + Quote(FProject) + " && zip -q -P " + ZORV_ARCHIVE_PASSWORD + " " +
                       Quote(FDir / "plain.zip") + " zorv.ini && cat " + Quote(FRuntime) + " " +
                       Quote(FDir / "plain.zip") + " > " + Quote(sfx) + " && zip -q -A " + Quote(sfx)),
              0);
    const TResult list = Pack("list " + Quote(sfx));
    EXPECT_EQ(list.status, 0) << list.err;
    EXPECT_EQ(list.out, "zorv.ini\n");
    EXPECT_EQ(Pack("cat " + Quote(sfx) + " zorv.ini").out, ReadFile(FProject / "zorv.ini"));
}

// A file whose name cannot be an entry name stops the build with that file and the reason named.
TEST_F(PackTool, AFileNameWithABackslashIsNamedWithTheReason) {
    WriteFile(FProject / "www/odd\\name.txt", "x");
    const TResult build = Build();
    EXPECT_NE(build.status, 0);
    EXPECT_NE(build.err.find("www/odd\\name.txt"), std::string::npos) << build.err;
    EXPECT_NE(build.err.find("backslash"), std::string::npos) << build.err;
    EXPECT_TRUE(OutputFolderEmpty());
}

TEST_F(PackTool, CatPrintsTheEntryFoundWithoutRegardToAsciiCase) {
    ASSERT_EQ(Build().status, 0);
    TResult cat = Pack("cat " + Quote(FOutput) + " WWW/JS/App.js");
    ASSERT_EQ(cat.status, 0) << cat.err;
    EXPECT_EQ(cat.out, ReadFile(FProject / "www/js/app.js"));
    cat = Pack("cat " + Quote(FOutput) + " www/données/été.txt");
    EXPECT_EQ(cat.out, "summer\n");
}

// The settings are decoded once, on the author's machine: a zorv.ini in a legacy code page is
// packed as UTF-8 text with its mark (and the build says so), so that the end user's code page
// cannot change the application's name or password. UTF-8 files are packed as they are.
TEST_F(PackTool, SettingsThatAreNotUtf8ArePackedAsUtf8WithANote) {
    const std::string utf8Text =
        "[App]\nID=com.example.caf\xC3\xA9\nName=Caf\xC3\xA9 Cr\xC3\xA8me\nDirName=www\n"
        "Password=s\xC3\xA9same\n";
    std::string utf16(1, '\xFF');
    utf16 += '\xFE';
    for (char c : std::string("[App]\nID=com.example.u16\nName=Sixteen\nDirName=www\n")) {
        utf16 += c;
        utf16 += '\0';
    }
    struct TCase {
        const char* name;
        std::string file;
        std::string packed;
        bool note;
    };
    const TCase cases[] = {
        {"Windows-1252", "[App]\nID=com.example.caf\xE9\nName=Caf\xE9 Cr\xE8me\nDirName=www\nPassword=s\xE9same\n",
         "\xEF\xBB\xBF" + utf8Text, true},
        {"UTF-16", utf16, "\xEF\xBB\xBF[App]\nID=com.example.u16\nName=Sixteen\nDirName=www\n", true},
        {"UTF-8", utf8Text, utf8Text, false},
        {"UTF-8 with its mark", "\xEF\xBB\xBF" + utf8Text, "\xEF\xBB\xBF" + utf8Text, false},
    };
    for (const TCase& c : cases) {
        WriteFile(FProject / "zorv.ini", c.file);
        const TResult built = Build();
        ASSERT_EQ(built.status, 0) << c.name << ": " << built.err;
        EXPECT_EQ(built.err.find("zorv.ini is not UTF-8") != std::string::npos, c.note) << c.name << ": " << built.err;
        const TResult cat = Pack("cat " + Quote(FOutput) + " zorv.ini");
        EXPECT_EQ(cat.out, c.packed) << c.name;
    }
}

TEST_F(PackTool, CatAndListExitStatusTellWhatFailed) {
    ASSERT_EQ(Build().status, 0);
    TResult missing = Pack("cat " + Quote(FOutput) + " www/nothing.html");
    EXPECT_EQ(missing.status, 1);
    EXPECT_TRUE(missing.out.empty());
    EXPECT_NE(missing.err.find("www/nothing.html"), std::string::npos);

    // A flipped byte inside app.js: the entry fails its CRC check.
    std::string packaged = ReadFile(FOutput);
    const std::string head = ReadFile(FRuntime);
    const TResult list = Pack("list " + Quote(FOutput));
    TAbZipKit kit;
    kit.LoadFromMemory(packaged.substr(head.size()));
    const TAbZipItem& item = kit.Item(kit.FindFile("www/js/app.js"));
    packaged[head.size() + item.localHeaderOffset + 30 + item.fileName.size() + 12 + 100] ^= 1;
    WriteFile(FDir / "damaged", packaged);
    const TResult damaged = Pack("cat " + Quote(FDir / "damaged") + " www/js/app.js");
    EXPECT_EQ(damaged.status, 2);
    EXPECT_TRUE(damaged.out.empty());
    EXPECT_FALSE(damaged.err.empty());

    for (const fs::path& noArchive : {FRuntime, FProject / "zorv.ini"}) {
        for (const std::string& command : {"list " + Quote(noArchive), "cat " + Quote(noArchive) + " zorv.ini"}) {
            const TResult result = Pack(command);
            EXPECT_EQ(result.status, 3) << command;
            EXPECT_NE(result.err.find("Invalid file - not a PKZip file"), std::string::npos) << result.err;
            EXPECT_TRUE(result.out.empty());
        }
    }
}

TEST_F(PackTool, ListReadsAPlainZipFileToo) {
    if (!HasTool("zip")) GTEST_SKIP() << "zip is not installed";
    ASSERT_EQ(RunShell("cd " + Quote(FProject) + " && zip -q -P " + ZORV_ARCHIVE_PASSWORD + " " +
                       Quote(FDir / "plain.zip") + " zorv.ini www/index.html"),
              0);
    const TResult list = Pack("list " + Quote(FDir / "plain.zip"));
    EXPECT_EQ(list.status, 0);
    EXPECT_EQ(list.out, "zorv.ini\nwww/index.html\n");
    EXPECT_EQ(Pack("cat " + Quote(FDir / "plain.zip") + " zorv.ini").out, ReadFile(FProject / "zorv.ini"));
}

struct TBrokenProject {
    const char* name;
    const char* ini;  // nullptr: no zorv.ini
    const char* expectedInMessage;
};

class PackToolValidation : public PackTool, public ::testing::WithParamInterface<TBrokenProject> {};

TEST_P(PackToolValidation, FailsWithAMessageAndWritesNothing) {
    fs::remove(FProject / "zorv.ini");
    if (GetParam().ini != nullptr) WriteFile(FProject / "zorv.ini", GetParam().ini);
    WriteFile(FOutput, "an older build");  // a failed build leaves an existing output alone
    const TResult result = Build();
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.err.find(GetParam().expectedInMessage), std::string::npos) << result.err;
    EXPECT_EQ(ReadFile(FOutput), "an older build");
    fs::remove(FOutput);
    EXPECT_TRUE(OutputFolderEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Projects, PackToolValidation,
    ::testing::Values(
        TBrokenProject{"MissingIni", nullptr, "zorv.ini"},
        TBrokenProject{"EmptyId", "[App]\nID=\nName=Notes\nDirName=www\n", "zorv.ini:2: ID is missing"},
        TBrokenProject{"MissingName", "[App]\nID=x\nDirName=www\n", "zorv.ini: Name is missing"},
        TBrokenProject{"MissingDirName", "[App]\nID=x\nName=Notes\n", "zorv.ini: DirName is missing"},
        TBrokenProject{"KeysOutsideSectionApp", "ID=x\nName=Notes\nDirName=www\n", "zorv.ini: ID is missing"},
        TBrokenProject{"AppFolderMissing", "[App]\nID=x\nName=Notes\nDirName=site\n", "site"},
        TBrokenProject{"DirNameLeavingTheProject", "[App]\nID=x\nName=Notes\nDirName=../project/www\n", "DirName"},
        TBrokenProject{"DirNameAbsolute", "[App]\nID=x\nName=Notes\nDirName=/tmp\n", "DirName"}),
    [](const ::testing::TestParamInfo<TBrokenProject>& info) { return std::string(info.param.name); });

TEST_F(PackTool, RuntimeThatIsMissingForeignOrAlreadyPackagedIsRefused) {
    ASSERT_EQ(Build().status, 0);
    const fs::path packaged = FDir / "packaged";
    fs::rename(FOutput, packaged);
    for (const fs::path& runtime : {packaged, FProject / "zorv.ini", FDir / "missing"}) {
        const TResult result =
            Pack("build " + Quote(FProject) + " -o " + Quote(FOutput) + " --runtime " + Quote(runtime));
        EXPECT_EQ(result.status, 1) << runtime;
        EXPECT_FALSE(result.err.empty());
        EXPECT_TRUE(OutputFolderEmpty()) << runtime;
    }
}

TEST_F(PackTool, DefaultRuntimeIsTheOneBesideTheTool) {
    const fs::path toolFolder = FDir / "tools";
    fs::create_directories(toolFolder);
    fs::copy_file(FTool, toolFolder / "zorv-pack");
    fs::copy_file(FRuntime, toolFolder / "zorv-runtime");
    FTool = toolFolder / "zorv-pack";
    const TResult result = Pack("build " + Quote(FProject) + " -o " + Quote(FOutput));
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(ReadFile(FOutput).substr(0, fs::file_size(FRuntime)), ReadFile(FRuntime));

    fs::remove(toolFolder / "zorv-runtime");
    fs::remove(FOutput);
    const TResult missing = Pack("build " + Quote(FProject) + " -o " + Quote(FOutput));
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.err.find("--runtime"), std::string::npos) << missing.err;
    EXPECT_TRUE(OutputFolderEmpty());
}

TEST_F(PackTool, ProgressBarOnlyOnATerminal) {
    ASSERT_EQ(Build().status, 0);
    EXPECT_EQ(ReadFile(FDir / "stderr"), "");  // not a terminal: no bar
    if (!HasTool("script")) GTEST_SKIP() << "script (util-linux) is not installed";
    fs::remove(FOutput);
    const std::string build =
        Quote(FTool) + " build " + Quote(FProject) + " -o " + Quote(FOutput) + " --runtime " + Quote(FRuntime);
    ASSERT_EQ(RunShell("script -qec " + Quote(build) + " /dev/null > " + Quote(FDir / "terminal")), 0);
    const std::string shown = ReadFile(FDir / "terminal");
    EXPECT_NE(shown.find("packing ["), std::string::npos) << shown;
    EXPECT_NE(shown.find("100%"), std::string::npos) << shown;
}

TEST_F(PackTool, OutputInsideTheApplicationFolderIsNotPackedIntoItself) {
    FOutput = FProject / "www/notes";
    ASSERT_EQ(Build().status, 0);
    const TResult list = Pack("list " + Quote(FOutput));
    EXPECT_EQ(list.out.find(".zorv-pack-"), std::string::npos) << list.out;
    EXPECT_EQ(list.out.find("www/notes"), std::string::npos) << list.out;
}

// Links, relative and absolute, chained, leaving the project and coming back. Only files whose
// final target lies inside the project enter the archive; everything else is named in a warning.
TEST_F(PackTool, LinksIntoTheProjectArePackedAndLinksLeavingItAreLeftOutWithAWarning) {
    const fs::path outside = FDir / "outside";
    WriteFile(outside / "secret.txt", "outside the project");
    WriteFile(outside / "installer", "outside the project");
    const fs::path www = FProject / "www";
    fs::create_symlink("index.html", www / "relative-inside.html");
    fs::create_symlink(FProject / "notes.txt", www / "absolute-inside.txt");  // in the project, not in www
    fs::create_symlink("relative-inside.html", www / "chain-inside.html");
    fs::create_symlink(FProject / "www/index.html", outside / "back-in");
    fs::create_symlink(outside / "back-in", www / "out-and-back.html");  // the bytes are the project's
    fs::create_symlink("../../outside/secret.txt", www / "relative-outside.txt");
    fs::create_symlink(outside / "secret.txt", www / "absolute-outside.txt");
    fs::create_symlink(outside / "secret.txt", www / "js/hop");
    fs::create_symlink("hop", www / "js/link-to-leaving-link.txt");
    fs::create_symlink("..", www / "up");
    fs::create_symlink(outside, www / "outside-folder");
    fs::create_symlink(outside / "installer", FProject / "WebView2Installer.exe");

    const TResult result = Build();
    ASSERT_EQ(result.status, 0) << result.err;
    const TResult list = Pack("list " + Quote(FOutput));
    EXPECT_EQ(
        list.out,
        "zorv.ini\nzorv-webviewjs\nWebView2LoaderWin64.dll\nwww/\nwww/absolute-inside.txt\nwww/chain-inside.html\n"
        "www/données/\nwww/données/été.txt\nwww/empty/\nwww/index.html\nwww/js/\nwww/js/app.js\n"
        "www/out-and-back.html\nwww/relative-inside.html\n");
    for (const char* entry : {"www/relative-inside.html", "www/chain-inside.html", "www/out-and-back.html"})
        EXPECT_EQ(Pack("cat " + Quote(FOutput) + " " + entry).out, ReadFile(www / "index.html")) << entry;
    EXPECT_EQ(Pack("cat " + Quote(FOutput) + " www/absolute-inside.txt").out, "not part of the application");

    for (const char* leftOut : {"WebView2Installer.exe", "www/relative-outside.txt", "www/absolute-outside.txt",
                                "www/js/hop", "www/js/link-to-leaving-link.txt", "www/up", "www/outside-folder"}) {
        const std::string warning = "zorv-pack: warning: left out \"" + (FProject / leftOut).generic_string() + "\"";
        EXPECT_NE(result.err.find(warning), std::string::npos) << leftOut << "\n" << result.err;
    }
}

TEST_F(PackTool, SettingsOrAnApplicationFolderOutsideTheProjectNeverEnterTheArchive) {
    const fs::path outside = FDir / "outside";
    WriteFile(outside / "zorv.ini", "[App]\nID=com.example.elsewhere\nName=Elsewhere\nDirName=www\n");
    WriteFile(outside / "site/index.html", "outside the project");
    fs::rename(FProject / "zorv.ini", FDir / "zorv.ini");
    fs::create_symlink(outside / "zorv.ini", FProject / "zorv.ini");
    const TResult settings = Build();
    EXPECT_EQ(settings.status, 1);
    EXPECT_NE(settings.err.find("outside the project"), std::string::npos) << settings.err;
    EXPECT_TRUE(OutputFolderEmpty());

    // The settings inside again, but the application folder is a link to a folder elsewhere.
    fs::remove(FProject / "zorv.ini");
    WriteFile(FProject / "zorv.ini", "[App]\nID=com.example.notes\nName=Notes\nDirName=site\n");
    fs::create_symlink(outside / "site", FProject / "site");
    const TResult site = Build();
    ASSERT_EQ(site.status, 0) << site.err;
    EXPECT_EQ(Pack("list " + Quote(FOutput)).out, "zorv.ini\nzorv-webviewjs\nWebView2LoaderWin64.dll\nsite/\n");
    EXPECT_NE(site.err.find("left out \"" + (FProject / "site/index.html").generic_string() + "\""), std::string::npos)
        << site.err;
}

// An author who needs the https app URL space on Windows, or who misspells the setting, is told
// at build time; the build goes on.
TEST_F(PackTool, UrlSpaceAdviceNamesTheSetting) {
    struct TCase {
        const char* setting;  // the UrlSpace line, or "" for none
        const char* page;
        bool unknownWarning;
        bool httpsWarning;
    };
    const TCase cases[] = {
        {"", "<script src=\"app.js\"></script>", false, false},
        {"", "<script type=\"module\" crossorigin src=\"/assets/index.js\"></script>", false, true},
        {"UrlSpace=file\n", "<script>fetch('data.json').then(r => r.json())</script>", false, true},
        {"UrlSpace=file\n", "<script>const w = new Worker('w.js');</script>", false, true},
        {"UrlSpace=https\n", "<script type=module src=main.js></script>", false, false},
        {"UrlSpace=HTTPS\n", "<script>import('./lazy.js')</script>", false, false},
        {"UrlSpace=http\n", "<p>plain</p>", true, false},
        {"UrlSpace=http\n", "<script type='module'></script>", true, true},
    };
    for (const TCase& c : cases) {
        WriteFile(FProject / "zorv.ini",
                  std::string("[App]\nID=com.example.notes\nName=Notes\nDirName=www\n") + c.setting);
        WriteFile(FProject / "www/index.html", c.page);
        const TResult result = Build();
        EXPECT_EQ(result.status, 0) << result.err;
        EXPECT_EQ(result.err.find("zorv.ini:5: UrlSpace=http is not one of file or https") != std::string::npos,
                  c.unknownWarning)
            << c.setting << c.page << "\n"
            << result.err;
        EXPECT_EQ(result.err.find("set \"UrlSpace=https\" in zorv.ini") != std::string::npos, c.httpsWarning)
            << c.setting << c.page << "\n"
            << result.err;
    }
}

TEST_F(PackTool, UsageErrorsExitWith64) {
    const std::string project = Quote(FProject);
    const std::vector<std::string> misuses = {"",
                                              "frobnicate",
                                              "build " + project,
                                              "build -o x",
                                              "list",
                                              "list a b",
                                              "cat onlyfile",
                                              "build " + project + " -o x --colour",
                                              "build " + project + " -o"};
    for (const std::string& arguments : misuses) {
        const TResult result = Pack(arguments);
        EXPECT_EQ(result.status, 64) << arguments;
        EXPECT_NE(result.err.find("usage:"), std::string::npos) << arguments;
    }
    EXPECT_TRUE(OutputFolderEmpty());
}

// The desktop entry beside a packaged Linux application, read back key by key.
class PackDesktopEntry : public PackTool {
protected:
    // Runs zorv-pack from the scratch folder, so that a relative OUTPUT is relative to it.
    TResult BuildEntry(const std::string& output, const fs::path& runtime) {
        const std::string command = "cd " + Quote(FDir / "") + " && " + Quote(FTool) + " build " + Quote(FProject) +
                                    " -o " + Quote(output) + " --runtime " + Quote(runtime) + " --desktop-entry >" +
                                    Quote(FDir / "stdout") + " 2>" + Quote(FDir / "stderr");
        return {RunShell(command), ReadFile(FDir / "stdout"), ReadFile(FDir / "stderr")};
    }

    static std::map<std::string, std::string> Keys(const std::string& entry) {
        std::map<std::string, std::string> keys;
        std::istringstream lines(entry);
        for (std::string line; std::getline(lines, line);)
            if (const std::size_t equals = line.find('='); equals != std::string::npos)
                keys[line.substr(0, equals)] = line.substr(equals + 1);
        return keys;
    }

    static std::string Png(const std::string& body) { return std::string("\x89PNG\r\n\x1a\n", 8) + body; }

    // A PE image whose one section ends the file: a clean Windows runtime as far as zorv-pack reads it.
    static std::string WindowsRuntime() {
        std::string image(0x600, '\0');
        image[0] = 'M';
        image[1] = 'Z';
        image[0x3C] = static_cast<char>(0x80);
        image.replace(0x80, 4, std::string("PE\0\0", 4));
        image[0x84] = static_cast<char>(0x64);
        image[0x85] = static_cast<char>(0x86);
        image[0x86] = 1;                       // one section
        image[0x94] = static_cast<char>(240);  // optional header size
        const std::size_t section = 0x80 + 24 + 240;
        image[section + 17] = 0x02;  // raw size 0x200
        image[section + 21] = 0x04;  // raw data at 0x400
        return image;
    }
};

TEST_F(PackDesktopEntry, NamesTheAppItsAbsolutePathItsIconAndTheWindowClassOfTheProgram) {
    WriteFile(FProject / "zorv.ini", "[App]\nID=com.example.notes\nName=Notes & Co\nDirName=www\nIcon=art/notes.png\n");
    const std::string icon = Png(RandomBytes(500, 3));
    WriteFile(FProject / "art/notes.png", icon);
    // A relative output holding a blank and a percent sign, which Exec must quote and escape.
    const TResult result = BuildEntry("out/Notes 100%", FRuntime);
    ASSERT_EQ(result.status, 0) << result.err;
    const fs::path exe = FDir / "out/Notes 100%";
    ASSERT_TRUE(fs::exists(exe));
    const std::string entry = ReadFile(FDir / "out/Notes 100%.desktop");
    EXPECT_EQ(entry.rfind("[Desktop Entry]\n", 0), 0u) << entry;
    const std::map<std::string, std::string> keys = Keys(entry);
    EXPECT_EQ(keys.at("Type"), "Application");
    EXPECT_EQ(keys.at("Name"), "Notes & Co");
    EXPECT_EQ(keys.at("Exec"), "\"" + exe.string() + "%\"");
    EXPECT_EQ(keys.at("Icon"), exe.string() + ".png");
    EXPECT_EQ(keys.at("Categories"), "Utility;");
    // The toolkit names the window after the executable's file name.
    EXPECT_EQ(keys.at("StartupWMClass"), "Notes 100%");
    EXPECT_EQ(ReadFile(FDir / "out/Notes 100%.png"), icon);
    if (HasTool("desktop-file-validate")) {
        EXPECT_EQ(RunShell("desktop-file-validate " + Quote(FDir / "out/Notes 100%.desktop") + " >&2"), 0);
    }
}

TEST_F(PackDesktopEntry, WithoutAnIconSettingTheDefaultIconIsWritten) {
    const TResult result = BuildEntry(FOutput.string(), FRuntime);
    ASSERT_EQ(result.status, 0) << result.err;
    const std::string icon = ReadFile(FOutput.string() + ".png");
    EXPECT_EQ(icon.rfind(Png(""), 0), 0u);
    EXPECT_GT(icon.size(), 100u);
    EXPECT_EQ(Keys(ReadFile(FOutput.string() + ".desktop")).at("Icon"), FOutput.string() + ".png");
    if (HasTool("desktop-file-validate")) {
        EXPECT_EQ(RunShell("desktop-file-validate " + Quote(FOutput.string() + ".desktop") + " >&2"), 0);
    }
}

// Refusals come before anything is written.
TEST_F(PackDesktopEntry, AMissingOrForeignIconAndAWindowsRuntimeAreRefusedWithTheReason) {
    WriteFile(FDir / "runtime.exe", WindowsRuntime());
    WriteFile(FProject / "art/notes.ico", std::string("\0\0\1\0", 4) + RandomBytes(100, 1));
    const struct {
        const char* icon;
        fs::path runtime;
        const char* reason;
    } cases[] = {
        {"art/missing.png", FRuntime, "art/missing.png"},
        {"art/notes.ico", FRuntime, "not a PNG image"},
        {"", FDir / "runtime.exe", "--desktop-entry is for a Linux runtime"},
    };
    for (const auto& c : cases) {
        WriteFile(FProject / "zorv.ini",
                  std::string("[App]\nID=com.example.notes\nName=Notes\nDirName=www\nIcon=") + c.icon + "\n");
        const TResult result = BuildEntry(FOutput.string(), c.runtime);
        EXPECT_EQ(result.status, 1) << c.reason;
        EXPECT_NE(result.err.find(c.reason), std::string::npos) << result.err;
        EXPECT_TRUE(OutputFolderEmpty()) << c.reason;
    }
}

}  // namespace
}  // namespace zorv::test

namespace zorv::test {
namespace {

// A new project from `init` passes the project check without a remark and builds; its zorv.ini
// reads as the defaults with the given identity; a folder with anything in it is refused and
// left as it was.
TEST_F(PackTool, InitWritesAProjectThatChecksCleanAndBuilds) {
    const fs::path created = FDir / "new app";
    const TResult init = Pack("init " + Quote(created) + " --name \"Note <Book>\" --id com.example.book");
    ASSERT_EQ(init.status, 0) << init.err;
    for (const char* file : {"zorv.ini", "app/index.html", "types/zorv.d.ts", "jsconfig.json"})
        EXPECT_TRUE(fs::is_regular_file(created / file)) << file;
    if (const char* source = std::getenv("ZORV_SOURCE_DIR")) {
        EXPECT_EQ(ReadFile(created / "types/zorv.d.ts"), ReadFile(fs::path(source) / "types/zorv.d.ts"));
    }
    EXPECT_NE(ReadFile(created / "jsconfig.json").find("\"types/zorv.d.ts\""), std::string::npos);
    const std::string page = ReadFile(created / "app/index.html");
    EXPECT_NE(page.find("<title>Note &lt;Book&gt;</title>"), std::string::npos) << page;
    EXPECT_NE(page.find("zorv.system.getPlatform()"), std::string::npos);

    const TResult build = Pack("build " + Quote(created) + " -o " + Quote(FOutput) + " --runtime " + Quote(FRuntime));
    ASSERT_EQ(build.status, 0) << build.err;
    EXPECT_EQ(build.err, "");  // no warning: every key is commented out or valid
    const TResult ini = Pack("cat " + Quote(FOutput) + " zorv.ini");
    EXPECT_NE(ini.out.find("\nID=com.example.book\n"), std::string::npos) << ini.out;
    EXPECT_NE(ini.out.find("\nName=Note <Book>\n"), std::string::npos) << ini.out;

    // Defaults from the folder's name.
    const TResult plain = Pack("init " + Quote(FDir / "Hello World"));
    ASSERT_EQ(plain.status, 0) << plain.err;
    const std::string named = ReadFile(FDir / "Hello World/zorv.ini");
    EXPECT_NE(named.find("\nID=com.example.hello-world\n"), std::string::npos) << named;
    EXPECT_NE(named.find("\nName=Hello World\n"), std::string::npos) << named;

    const std::string before = ReadFile(created / "zorv.ini");
    const TResult again = Pack("init " + Quote(created));
    EXPECT_EQ(again.status, 1);
    EXPECT_NE(again.err.find("is not empty; give a new or empty folder"), std::string::npos) << again.err;
    EXPECT_EQ(ReadFile(created / "zorv.ini"), before);
    EXPECT_EQ(Pack("init").status, 64);
}

}  // namespace
}  // namespace zorv::test
