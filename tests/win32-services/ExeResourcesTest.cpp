#include <gtest/gtest.h>

#include <windows.h>

#include <filesystem>

#include "TestEnvironment.h"
#include "shared/ExeResources.h"
#include "shared/VersionResource.h"

namespace zorv::test {
namespace {

std::string Utf8(const std::wstring& path) {
    const int length = WideCharToMultiByte(CP_UTF8, 0, path.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string result(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, path.c_str(), -1, result.data(), length, nullptr, nullptr);
    result.pop_back();
    return result;
}

std::wstring DataFile(const wchar_t* name) { return ProgramDir() + L"win32-services-data\\" + name; }

// Reads resources back through the system's own loader.
class TLoadedResources {
public:
    explicit TLoadedResources(const std::wstring& path)
        : FModule(LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE)) {}
    ~TLoadedResources() {
        if (FModule) FreeLibrary(FModule);
    }
    std::string Bytes(LPCWSTR type, LPCWSTR name) const {
        HRSRC found = FindResourceW(FModule, name, type);
        if (!found) return {};
        const void* data = LockResource(LoadResource(FModule, found));
        return std::string(static_cast<const char*>(data), SizeofResource(FModule, found));
    }
    std::vector<WORD> Languages(LPCWSTR type, LPCWSTR name) const {
        std::vector<WORD> languages;
        EnumResourceLanguagesW(
            FModule, type, name,
            [](HMODULE, LPCWSTR, LPCWSTR, WORD language, LONG_PTR context) -> BOOL {
                reinterpret_cast<std::vector<WORD>*>(context)->push_back(language);
                return TRUE;
            },
            reinterpret_cast<LONG_PTR>(&languages));
        return languages;
    }

private:
    HMODULE FModule;
};

uint16_t Word(const std::string& bytes, size_t offset) {
    return static_cast<uint16_t>(static_cast<unsigned char>(bytes[offset]) |
                                 (static_cast<unsigned char>(bytes[offset + 1]) << 8));
}

class ExeResourcesTest : public testing::Test {
protected:
    void SetUp() override {
        FExe = FScratch.WideText() + L"target.exe";
        ASSERT_TRUE(CopyFileW((ProgramDir() + L"win32-test-resource-target.exe").c_str(), FExe.c_str(), FALSE));
    }
    std::string ExeUtf8() const { return Utf8(FExe); }
    std::wstring WriteIcon(const std::string& bytes) {
        const std::wstring path = FScratch.WideText() + L"icon" + std::to_wstring(++FIcons) + L".ico";
        EXPECT_TRUE(WriteBytes(path, bytes));
        return path;
    }
    std::wstring VersionString(const wchar_t* tableAndKey) const {
        const DWORD size = GetFileVersionInfoSizeW(FExe.c_str(), nullptr);
        std::string info(size, '\0');
        if (size == 0 || !GetFileVersionInfoW(FExe.c_str(), 0, size, info.data())) return L"<no version info>";
        void* value = nullptr;
        UINT length = 0;
        const std::wstring path = std::wstring(L"\\StringFileInfo\\") + tableAndKey;
        if (!VerQueryValueW(info.data(), path.c_str(), &value, &length) || !value) return L"<absent>";
        return static_cast<const wchar_t*>(value);
    }

    TScratchFolder FScratch;
    std::wstring FExe;
    int FIcons = 0;
};

TEST_F(ExeResourcesTest, ThreeImageIconReplacesTwoImageGroup) {
    ASSERT_EQ(Word(TLoadedResources(FExe).Bytes(RT_GROUP_ICON, L"MAINICON"), 4), 2);
    const std::wstring ico = DataFile(L"three-images.ico");
    TExeResources::ChangeExeIcon(ExeUtf8(), Utf8(ico));

    const auto images = TExeResources::ParseIconFile(ReadBytes(ico));
    ASSERT_EQ(images.size(), 3u);
    TLoadedResources patched(FExe);
    const std::string group = patched.Bytes(RT_GROUP_ICON, L"MAINICON");
    ASSERT_EQ(group.size(), 6u + 14u * 3u);
    EXPECT_EQ(Word(group, 0), 0);
    EXPECT_EQ(Word(group, 2), 1);
    EXPECT_EQ(Word(group, 4), 3);
    for (size_t i = 0; i < 3; ++i) {
        const size_t entry = 6 + 14 * i;
        EXPECT_EQ(group.substr(entry, 12), images[i].directoryEntry) << "entry " << i;
        EXPECT_EQ(Word(group, entry + 12), i + 1);
        EXPECT_EQ(patched.Bytes(RT_ICON, MAKEINTRESOURCEW(i + 1)), images[i].data) << "image " << i + 1;
    }
    // The group is replaced in place, not added beside the old one.
    EXPECT_EQ(patched.Languages(RT_GROUP_ICON, L"MAINICON").size(), 1u);
}

TEST_F(ExeResourcesTest, InvalidIconsRaiseAndLeaveTheExecutableUntouched) {
    const std::string original = ReadBytes(FExe);
    const std::string valid = ReadBytes(DataFile(L"two-images.ico"));
    std::string beyondEnd = valid;
    beyondEnd[6 + 12] = static_cast<char>(0xF0);  // first image's offset far past the end
    beyondEnd[6 + 13] = static_cast<char>(0xFF);
    std::string cursor = valid;
    cursor[2] = 2;
    std::string noImages = valid;
    noImages[4] = 0;
    noImages[5] = 0;
    struct TCase {
        const char* name;
        std::string bytes;
        const char* message;
    };
    const TCase cases[] = {
        {"empty", "", "Icon file is invalid"},
        {"short header", std::string("\0\0\1\0", 4), "Icon file is invalid"},
        {"executable", "MZ" + std::string(100, '\0'), "Icon file is invalid"},
        {"directory cut short", valid.substr(0, 6 + 16), "Icon file is invalid"},
        {"image beyond end", beyondEnd, "Icon file is invalid"},
        {"cursor", cursor, "Icon file is invalid"},
        {"no images", noImages, "Icon file is invalid"},
        {"too large", valid + std::string(TExeResources::MaxIconFileSize, '\0'), "Icon file is too large"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.name);
        const std::wstring ico = WriteIcon(c.bytes);
        try {
            TExeResources::ChangeExeIcon(ExeUtf8(), Utf8(ico));
            ADD_FAILURE() << "no error raised";
        } catch (const EExeResourceError& error) {
            EXPECT_STREQ(error.what(), c.message);
        }
        EXPECT_EQ(ReadBytes(FExe), original);
    }
}

TEST_F(ExeResourcesTest, MissingIconFileRaisesANamedError) {
    try {
        TExeResources::ChangeExeIcon(ExeUtf8(), Utf8(FScratch.WideText() + L"missing.ico"));
        ADD_FAILURE() << "no error raised";
    } catch (const EExeResourceError& error) {
        EXPECT_NE(std::string(error.what()).find("missing.ico"), std::string::npos) << error.what();
    }
}

TEST_F(ExeResourcesTest, VersionStringsAreRewrittenInEveryTranslation) {
    const std::string longer = "A product name much longer than the value it replaces, 100% literal";
    ASSERT_TRUE(TExeResources::UpdateExeVersionStrings(ExeUtf8(), {{"CompanyName", "New Company %s 100%"},
                                                                   {"ProductName", longer},
                                                                   {"LegalTrademarks", "TM"},
                                                                   {"Comments", ""}}));

    EXPECT_EQ(VersionString(L"040904B0\\CompanyName"), L"New Company %s 100%");
    EXPECT_EQ(VersionString(L"040704B0\\CompanyName"), L"New Company %s 100%");
    EXPECT_EQ(VersionString(L"040904B0\\ProductName"), std::wstring(longer.begin(), longer.end()));
    EXPECT_EQ(VersionString(L"040704B0\\ProductName"), std::wstring(longer.begin(), longer.end()));
    EXPECT_EQ(VersionString(L"040904B0\\Comments"), L"");
    // Untouched and absent keys stay as they were.
    EXPECT_EQ(VersionString(L"040904B0\\FileDescription"), L"Old description");
    EXPECT_EQ(VersionString(L"040904B0\\LegalTrademarks"), L"<absent>");
    EXPECT_EQ(VersionString(L"040704B0\\FileVersion"), L"<absent>");

    TLoadedResources patched(FExe);
    EXPECT_EQ(patched.Languages(RT_VERSION, MAKEINTRESOURCEW(1)).size(), 1u);
    // The numeric version is not changed.
    const auto block = TVersionResource::Parse(patched.Bytes(RT_VERSION, MAKEINTRESOURCEW(1)));
    ASSERT_TRUE(block);
    const DWORD size = GetFileVersionInfoSizeW(FExe.c_str(), nullptr);
    std::string info(size, '\0');
    ASSERT_TRUE(GetFileVersionInfoW(FExe.c_str(), 0, size, info.data()));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(info.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00010002u);
    EXPECT_EQ(fixed->dwFileVersionLS, 0x00030004u);
}

TEST_F(ExeResourcesTest, UpdateExeInfoWritesAllElevenPresentKeys) {
    ASSERT_TRUE(TExeResources::UpdateExeInfo(ExeUtf8(), "Co", "Desc", "9.9", "Internal", "(c)", "TM", "orig.exe",
                                             "prog", "Prod", "9.9.9", "Remarks"));
    EXPECT_EQ(VersionString(L"040904B0\\CompanyName"), L"Co");
    EXPECT_EQ(VersionString(L"040904B0\\FileDescription"), L"Desc");
    EXPECT_EQ(VersionString(L"040904B0\\FileVersion"), L"9.9");
    EXPECT_EQ(VersionString(L"040904B0\\Comments"), L"Remarks");
    EXPECT_EQ(VersionString(L"040704B0\\ProductName"), L"Prod");
    EXPECT_EQ(VersionString(L"040904B0\\InternalName"), L"<absent>");
}

TEST_F(ExeResourcesTest, NoVersionResourceOrNoFileGivesFalse) {
    const std::wstring plain = FScratch.WideText() + L"plain.exe";
    ASSERT_TRUE(CopyFileW((ProgramDir() + L"win32-test-sleeper.exe").c_str(), plain.c_str(), FALSE));
    const std::string original = ReadBytes(plain);
    EXPECT_FALSE(TExeResources::UpdateExeVersionStrings(Utf8(plain), {{"CompanyName", "x"}}));
    EXPECT_EQ(ReadBytes(plain), original);
    EXPECT_FALSE(
        TExeResources::UpdateExeVersionStrings(Utf8(FScratch.WideText() + L"missing.exe"), {{"CompanyName", "x"}}));
}

TEST(VersionResource, UnchangedBlockSerializesToTheCompilersBytes) {
    TLoadedResources target(ProgramDir() + L"win32-test-resource-target.exe");
    const std::string original = target.Bytes(RT_VERSION, MAKEINTRESOURCEW(1));
    ASSERT_FALSE(original.empty());
    const auto parsed = TVersionResource::Parse(original);
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->Serialize(), original);
    const std::vector<std::pair<uint16_t, uint16_t>> expected = {{0x0409, 1200}, {0x0407, 1200}};
    EXPECT_EQ(parsed->Translations(), expected);
    EXPECT_EQ(parsed->GetString(0x0407, 1200, "CompanyName"), "Alte Firma");
}

TEST(VersionResource, DamagedBlocksAreRefused) {
    TLoadedResources target(ProgramDir() + L"win32-test-resource-target.exe");
    const std::string original = target.Bytes(RT_VERSION, MAKEINTRESOURCEW(1));
    EXPECT_FALSE(TVersionResource::Parse(""));
    EXPECT_FALSE(TVersionResource::Parse(original.substr(0, original.size() / 2)));
    std::string wrongKey = original;
    wrongKey[6] = 'X';
    EXPECT_FALSE(TVersionResource::Parse(wrongKey));
}

}  // namespace
}  // namespace zorv::test
