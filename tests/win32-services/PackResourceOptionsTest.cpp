// `zorv-pack build` with --icon and --version-info on a real PE under Wine: the packaged copy
// carries the new resources and an archive the tool can read back.
#include <gtest/gtest.h>

#include <windows.h>

#include <filesystem>

#include "TestEnvironment.h"
#include "shared/ExeUtils.h"
#include "tools/zorv-pack/PackTool.h"

namespace zorv::test {
namespace {

namespace fs = std::filesystem;

std::string Utf8(const std::wstring& text) {
    const fs::path path(text);
    const std::u8string utf8 = path.u8string();
    return std::string(utf8.begin(), utf8.end());
}

class PackResourceOptionsTest : public testing::Test {
protected:
    void SetUp() override {
        const std::wstring project = FScratch.WideText() + L"project\\";
        fs::create_directories(fs::path(project + L"www"));
        ASSERT_TRUE(WriteBytes(project + L"zorv.ini", "[App]\nID=com.example.notes\nName=Notes\nDirName=www\n"));
        ASSERT_TRUE(WriteBytes(project + L"www\\index.html", "<!doctype html><title>Notes</title>\n"));
        FProject = Utf8(project);
        FOutput = FScratch.WideText() + L"notes.exe";
        FRuntime = Utf8(ProgramDir() + L"win32-test-resource-target.exe");
        FIcon = Utf8(ProgramDir() + L"win32-services-data\\three-images.ico");
    }
    int Pack(std::vector<std::string> args) {
        std::FILE* out = std::tmpfile();
        std::FILE* err = std::tmpfile();
        const int status = TPackTool(out, err).Run(args);
        std::rewind(err);
        char buffer[1024] = {};
        FErrors = std::string(buffer, std::fread(buffer, 1, sizeof(buffer) - 1, err));
        std::fclose(out);
        std::fclose(err);
        return status;
    }
    std::vector<std::string> BuildArgs() const {
        return {"build", FProject, "-o", Utf8(FOutput), "--runtime", FRuntime};
    }
    std::wstring VersionString(const wchar_t* tableAndKey) const {
        const DWORD size = GetFileVersionInfoSizeW(FOutput.c_str(), nullptr);
        std::string info(size, '\0');
        if (size == 0 || !GetFileVersionInfoW(FOutput.c_str(), 0, size, info.data())) return L"<no version info>";
        void* value = nullptr;
        UINT length = 0;
        const std::wstring path = std::wstring(L"\\StringFileInfo\\") + tableAndKey;
        if (!VerQueryValueW(info.data(), path.c_str(), &value, &length) || !value) return L"<absent>";
        return static_cast<const wchar_t*>(value);
    }

    TScratchFolder FScratch;
    std::string FProject, FRuntime, FIcon, FErrors;
    std::wstring FOutput;
};

TEST_F(PackResourceOptionsTest, BuildPersonalisesTheCopyAndAppendsTheArchiveBehindIt) {
    auto args = BuildArgs();
    args.insert(args.end(),
                {"--icon", FIcon, "--version-info", "CompanyName=Acme 100%", "--version-info=productname=Notes"});
    ASSERT_EQ(Pack(args), TPackTool::Success) << FErrors;

    EXPECT_EQ(VersionString(L"040904B0\\CompanyName"), L"Acme 100%");
    EXPECT_EQ(VersionString(L"040704B0\\ProductName"), L"Notes");
    EXPECT_EQ(VersionString(L"040904B0\\FileDescription"), L"Old description");
    HMODULE module = LoadLibraryExW(FOutput.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(module, nullptr);
    HRSRC group = FindResourceW(module, L"MAINICON", RT_GROUP_ICON);
    ASSERT_NE(group, nullptr);
    const auto* bytes = static_cast<const BYTE*>(LockResource(LoadResource(module, group)));
    EXPECT_EQ(bytes[4], 3);  // three images
    FreeLibrary(module);

    // The archive starts right behind the rewritten image, where the runtime looks for it.
    EXPECT_TRUE(TExeUtils(Utf8(FOutput)).ExeHasAttachedStub());
    EXPECT_EQ(Pack({"list", Utf8(FOutput)}), TPackTool::Success) << FErrors;
}

TEST_F(PackResourceOptionsTest, MalformedOptionsAreUsageErrorsAndWriteNothing) {
    for (const std::string bad : {"Company=Acme", "CompanyName", "=x"}) {
        auto args = BuildArgs();
        args.insert(args.end(), {"--version-info", bad});
        EXPECT_EQ(Pack(args), TPackTool::UsageError) << bad;
        EXPECT_NE(FErrors.find("--version-info takes KEY=VALUE"), std::string::npos) << FErrors;
        EXPECT_FALSE(PathExists(FOutput));
    }
}

TEST_F(PackResourceOptionsTest, InvalidIconFailsAndLeavesNoOutput) {
    const std::wstring icon = FScratch.WideText() + L"broken.ico";
    ASSERT_TRUE(WriteBytes(icon, "MZ this is no icon"));
    auto args = BuildArgs();
    args.insert(args.end(), {"--icon", Utf8(icon)});
    EXPECT_EQ(Pack(args), TPackTool::Failure);
    EXPECT_NE(FErrors.find("Icon file is invalid"), std::string::npos) << FErrors;
    EXPECT_FALSE(PathExists(FOutput));
    // Only the project and the icon: no temporary file left behind.
    EXPECT_EQ(std::distance(fs::directory_iterator(fs::path(FScratch.WideText())), fs::directory_iterator()), 2);
}

}  // namespace
}  // namespace zorv::test
