#include <gtest/gtest.h>

#include <memory>

#include "TestArchive.h"
#include "archive/AppPackage.h"
#include "backends/win32/EdgeInstallerForm.h"
#include "backends/win32/Win11Forms.h"
#include "backends/win32/WinMimeRegistry.h"
#include "backends/win32/WinStartupHost.h"
#include "backends/win32/WinText.h"
#include "bridge/ZorvExternalJavascript.h"
#include "shared/StrUtils.h"
#include "shared/Win32Handles.h"

namespace zorv::test {
namespace {

std::wstring Environment(const wchar_t* name) {
    wchar_t value[1024] = {};
    const DWORD length = ::GetEnvironmentVariableW(name, value, 1024);
    return length == 0 ? L"<unset>" : std::wstring(value, length);
}

TEST(WinStartupHostTest, WebView2EnvironmentIsSetAndTheOtherTwoVariablesRemoved) {
    ::SetEnvironmentVariableW(L"WEBVIEW2_BROWSER_EXECUTABLE_FOLDER", L"C:\\elsewhere");
    ::SetEnvironmentVariableW(L"WEBVIEW2_RELEASE_CHANNEL_PREFERENCE", L"1");
    TWinStartupHost::SetWebView2Environment("C:\\data\\app\\Win64\\");
    EXPECT_EQ(Environment(L"WEBVIEW2_USER_DATA_FOLDER"), L"C:\\data\\app\\Win64\\");
    EXPECT_EQ(Environment(L"WEBVIEW2_ADDITIONAL_BROWSER_ARGUMENTS"),
              L"--disable-logging --disable-features=RendererCodeIntegrity --enable-features=msSpeechRecognition");
    EXPECT_EQ(Environment(L"WEBVIEW2_BROWSER_EXECUTABLE_FOLDER"), L"<unset>");
    EXPECT_EQ(Environment(L"WEBVIEW2_RELEASE_CHANNEL_PREFERENCE"), L"<unset>");
}

TEST(WinStartupHostTest, ArchiveEntryIsCopiedOnceAndAnExistingFileIsKept) {
    const TArchivePackage archive(OpenTestArchive());
    wchar_t temp[MAX_PATH + 1] = {};
    ::GetTempPathW(MAX_PATH + 1, temp);
    const std::string path = TWinText::WideToUtf8(temp) + "zorv-extract-once.ini";
    ::DeleteFileW(TWinText::Utf8ToWide(path).c_str());
    const TStatus extracted = TWinStartupHost::ExtractEntryOnce(archive, "zorv.ini", path);
    ASSERT_TRUE(extracted) << extracted.Error();
    EXPECT_EQ(ReadFileBytes(path), "[App]\nID=zorv-test-app\nName=Zorv Test\nDirName=app\n");

    ASSERT_TRUE(WriteFileBytes(path, "replaced by the user"));
    ASSERT_TRUE(TWinStartupHost::ExtractEntryOnce(archive, "zorv.ini", path));
    EXPECT_EQ(ReadFileBytes(path), "replaced by the user");
    ::DeleteFileW(TWinText::Utf8ToWide(path).c_str());

    // A missing entry still leaves a file, empty: the runtime check then fails on it.
    ASSERT_TRUE(TWinStartupHost::ExtractEntryOnce(archive, "WebView2LoaderWin64.dll", path));
    EXPECT_EQ(ReadFileBytes(path), "");
    ::DeleteFileW(TWinText::Utf8ToWide(path).c_str());

    const TStatus refused = TWinStartupHost::ExtractEntryOnce(archive, "zorv.ini", "Z:\\no\\such\\folder\\x.dll");
    EXPECT_FALSE(refused);
    const std::string& error = refused.Error();
    EXPECT_EQ(error.rfind("Cannot create file \"Z:\\no\\such\\folder\\x.dll\". ", 0), 0u) << error;
}

TEST(WinStartupHostTest, SecondLockOfTheSameIdentifierFindsTheFirst) {
    TWinStartupHost host;
    for (const char* id : {"zorv-lock-test", "zorv\\lock\\test"}) {
        TInstanceLockResult first = host.AcquireInstanceLock(id, "");
        EXPECT_FALSE(first.otherInstanceRunning) << id;
        EXPECT_NE(first.lock, nullptr) << id;
        TInstanceLockResult second = host.AcquireInstanceLock(id, "");
        EXPECT_TRUE(second.otherInstanceRunning) << id;
        first.lock.reset();
        second.lock.reset();
        EXPECT_FALSE(host.AcquireInstanceLock(id, "").otherInstanceRunning) << id;
    }
}

std::string ResourceBytes(HMODULE module, const wchar_t* name, const wchar_t* type) {
    HRSRC resource = ::FindResourceW(module, name, type);
    if (!resource) return {};
    HGLOBAL loaded = ::LoadResource(module, resource);
    const char* data = loaded ? static_cast<const char*>(::LockResource(loaded)) : nullptr;
    return data ? std::string(data, ::SizeofResource(module, resource)) : std::string();
}

std::string WithoutBomAndCarriageReturns(std::string text) {
    if (text.starts_with("\xEF\xBB\xBF")) text.erase(0, 3);
    std::erase(text, '\r');
    return text;
}

// The executable carries the page script, the program icon the packaging tool replaces, the
// version strings it rewrites, and the manifest that asks for common controls 6, DPI awareness and
// paths beyond MAX_PATH (where the system allows them).
TEST(RuntimeResourcesTest, ExecutableCarriesScriptIconVersionAndManifest) {
    TLibraryHandle exe(::LoadLibraryExW(TWinText::Utf8ToWide(ProgramDir() + "..\\zorv-runtime.exe").c_str(), nullptr,
                                        LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE));
    ASSERT_TRUE(exe);
    const std::string script = ResourceBytes(exe.Get(), L"ZORV_EXTERNAL_JAVASCRIPT", MAKEINTRESOURCEW(10));
    ASSERT_FALSE(script.empty());
    EXPECT_EQ(WithoutBomAndCarriageReturns(WithPageFunctionTable(script)),
              WithoutBomAndCarriageReturns(std::string(ZorvExternalJavascript())));
    EXPECT_FALSE(ResourceBytes(exe.Get(), L"MAINICON", MAKEINTRESOURCEW(14)).empty());
    const std::string version = ResourceBytes(exe.Get(), MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(16));
    for (const char* key :
         {"CompanyName", "FileDescription", "FileVersion", "InternalName", "LegalCopyright", "LegalTrademarks",
          "OriginalFileName", "ProgramID", "ProductName", "ProductVersion", "Comments"}) {
        std::string wideKey;
        for (const char* c = key; *c; ++c) wideKey += std::string{*c, '\0'};
        EXPECT_NE(version.find(wideKey), std::string::npos) << key;
    }
    const std::string manifest = ResourceBytes(exe.Get(), MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));
    EXPECT_NE(manifest.find("Microsoft.Windows.Common-Controls"), std::string::npos);
    EXPECT_NE(manifest.find("PerMonitorV2"), std::string::npos);
    EXPECT_NE(manifest.find("<longPathAware xmlns=\"http://schemas.microsoft.com/SMI/2016/WindowsSettings\">true"
                            "</longPathAware>"),
              std::string::npos);
}

TEST(Win11FormsTest, DefaultCornerTypeAsksForRoundCorners) {
    struct TCase {
        TRoundedCornerType type;
        int preference;
    };
    for (const TCase& c : {TCase{TRoundedCornerType::rcDefault, 2}, TCase{TRoundedCornerType::rcOff, 1},
                           TCase{TRoundedCornerType::rcOn, 2}, TCase{TRoundedCornerType::rcSmall, 3}})
        EXPECT_EQ(TWin11Form::CornerPreference(c.type), c.preference);
}

TEST(EdgeInstallerFormTest, ColourSettingsNameSystemOrPlainColours) {
    EXPECT_EQ(TEdgeInstallerForm::ColorFromSetting(static_cast<int32_t>(0xFF00001A)), ::GetSysColor(COLOR_HOTLIGHT));
    EXPECT_EQ(TEdgeInstallerForm::ColorFromSetting(0x00FF0000), RGB(0, 0, 255));
    EXPECT_EQ(TEdgeInstallerForm::ColorFromSetting(0x00203040), RGB(0x40, 0x30, 0x20));
    EXPECT_EQ(TEdgeInstallerForm(0x00202020, 0, 0).IndicatorColor(), RGB(0, 0, 0));
    EXPECT_EQ(TEdgeInstallerForm(0x00202020, 1, 0).IndicatorColor(), RGB(255, 255, 255));
    EXPECT_EQ(TEdgeInstallerForm(0, 1, 2).IndicatorType(), TActivityIndicatorType::SectorRing);
    EXPECT_EQ(TEdgeInstallerForm(0, 1, 7).IndicatorType(), TActivityIndicatorType::MomentumDots);
}

TEST(EdgeInstallerFormTest, WindowIsAPlainPopupThatRefusesToClose) {
    for (int type : {0, 1, 2}) {
        TEdgeInstallerForm form(static_cast<int32_t>(0xFF00001A), 1, type);
        form.Show();
        HWND window = form.Handle();
        ASSERT_NE(window, nullptr);
        EXPECT_EQ(::GetWindowLongPtrW(window, GWL_STYLE) & ~static_cast<LONG_PTR>(WS_VISIBLE | WS_CLIPSIBLINGS),
                  static_cast<LONG_PTR>(WS_POPUP));
        RECT client{};
        ::GetClientRect(window, &client);
        EXPECT_EQ(client.right, 80);
        EXPECT_EQ(client.bottom, 80);
        ::SendMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);  // what Alt+F4 sends
        ::SendMessageW(window, WM_CLOSE, 0, 0);
        EXPECT_TRUE(::IsWindow(window));
        ::UpdateWindow(window);  // one frame of the indicator is painted without failing
    }
}

// Creates ".zorvtest" with a content type where HKEY_CLASSES_ROOT shows it: the user's classes
// on Windows; Wine's HKEY_CLASSES_ROOT shows only the machine's.
HKEY CreateTestExtension(const std::wstring& type) {
    const wchar_t* key = L"Software\\Classes\\.zorvtest";
    for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
        TRegKeyHandle created;
        if (::RegCreateKeyExW(root, key, 0, nullptr, 0, KEY_WRITE, nullptr, created.Put(), nullptr) != ERROR_SUCCESS)
            continue;
        ::RegSetValueExW(created.Get(), L"Content Type", 0, REG_SZ, reinterpret_cast<const BYTE*>(type.c_str()),
                         static_cast<DWORD>((type.size() + 1) * sizeof(wchar_t)));
        created.Reset();
        TRegKeyHandle seen;
        if (::RegOpenKeyExW(HKEY_CLASSES_ROOT, L".zorvtest", 0, KEY_READ, seen.Put()) == ERROR_SUCCESS) return root;
        ::RegDeleteKeyW(root, key);
    }
    return nullptr;
}

// A registry change shows in the next lookup.
TEST(WinMimeRegistryTest, RegistryTypesWinAndChangesArePickedUp) {
    TWinMimeRegistry registry;
    registry.Refresh();
    EXPECT_EQ(TStrUtils::GetFileMIMEType("a/b.zorvtest"), "application/octet-stream");
    EXPECT_NE(TStrUtils::GetFileMIMEType("pic.PNG"), "application/octet-stream");

    HKEY root = CreateTestExtension(L"Application/X-Zorv-Test");
    ASSERT_NE(root, nullptr);
    registry.Refresh();
    EXPECT_EQ(TStrUtils::GetFileMIMEType("a/b.zorvtest"), "application/x-zorv-test");

    ::RegDeleteKeyW(root, L"Software\\Classes\\.zorvtest");
    registry.Refresh();
    EXPECT_EQ(TStrUtils::GetFileMIMEType("a/b.zorvtest"), "application/octet-stream");
}

}  // namespace
}  // namespace zorv::test
