// Looks at and works the windows of other programs from outside, as a user would:
//   zorv-ui wait TITLE [SECONDS]       a visible top-level window with that title appears
//   zorv-ui gone TITLE [SECONDS]       no such window is left
//   zorv-ui count TITLE                prints how many there are
//   zorv-ui dump TITLE                 prints the window as JSON: styles, state, stacking, menu, controls
//   zorv-ui click TITLE BUTTON         clicks the button with that caption ("&" ignored)
//   zorv-ui type TITLE TEXT            types TEXT into the window's first edit box
//   zorv-ui retype TITLE TEXT          selects all of the edit box's text and types TEXT over it
//   zorv-ui key TITLE VK               sends a key press (decimal virtual-key code) to the focused control
//   zorv-ui menu TITLE ITEM            chooses the menu item with that caption
//   zorv-ui command TITLE ID           chooses the menu item with that identifier (under Wine a
//                                      menu's items cannot be read from another process)
//   zorv-ui close TITLE                closes the window (its title bar button)
//   zorv-ui minimize TITLE             minimizes the window (its title bar button)
// A TITLE starting with "~" matches any title containing the rest; "class:NAME" matches the
// windows of that window class whatever their title. Exit code 0 on success,
// 1 when the window or control is not there, 2 on a wrong command line.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

namespace zorv::test {
namespace {

using nlohmann::json;

std::string Utf8(const std::wstring& text) {
    if (text.empty()) return {};
    const int size =
        ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string result(static_cast<std::size_t>(size), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), result.data(), size, nullptr,
                          nullptr);
    return result;
}

std::wstring WindowText(HWND window) {
    wchar_t text[4096] = {};
    ::GetWindowTextW(window, text, 4096);
    return text;
}

std::wstring ClassName(HWND window) {
    wchar_t name[256] = {};
    ::GetClassNameW(window, name, 256);
    return name;
}

std::wstring WithoutAmpersands(std::wstring text) {
    std::wstring plain;
    for (wchar_t c : text)
        if (c != L'&') plain += c;
    return plain;
}

bool Matches(HWND window, const std::wstring& pattern) {
    if (pattern.rfind(L"class:", 0) == 0) return ClassName(window) == pattern.substr(6);
    const std::wstring title = WindowText(window);
    if (!pattern.empty() && pattern[0] == L'~') return title.find(pattern.substr(1)) != std::wstring::npos;
    return title == pattern;
}

struct TSearch {
    std::wstring pattern;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectTopLevel(HWND window, LPARAM lParam) {
    auto* search = reinterpret_cast<TSearch*>(lParam);
    if (::IsWindowVisible(window) && Matches(window, search->pattern)) search->found.push_back(window);
    return TRUE;
}

std::vector<HWND> FindWindows(const std::wstring& pattern) {
    TSearch search{pattern, {}};
    ::EnumWindows(CollectTopLevel, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND FindOne(const std::wstring& pattern) {
    const std::vector<HWND> found = FindWindows(pattern);
    return found.empty() ? nullptr : found.front();
}

BOOL CALLBACK CollectChildren(HWND child, LPARAM lParam) {
    reinterpret_cast<std::vector<HWND>*>(lParam)->push_back(child);
    return TRUE;
}

std::vector<HWND> Children(HWND window) {
    std::vector<HWND> children;
    ::EnumChildWindows(window, CollectChildren, reinterpret_cast<LPARAM>(&children));
    return children;
}

json MenuItems(HMENU menu) {
    json items = json::array();
    const int count = ::GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        wchar_t text[512] = {};
        MENUITEMINFOW info{};
        info.cbSize = sizeof(info);
        info.fMask = MIIM_STRING | MIIM_STATE | MIIM_FTYPE | MIIM_ID | MIIM_SUBMENU | MIIM_BITMAP;
        info.dwTypeData = text;
        info.cch = 512;
        if (!::GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &info)) continue;
        json item = {{"text", Utf8(text)},
                     {"id", info.wID},
                     {"separator", (info.fType & MFT_SEPARATOR) != 0},
                     {"grayed", (info.fState & MFS_GRAYED) != 0},
                     {"checked", (info.fState & MFS_CHECKED) != 0},
                     {"bitmap", info.hbmpItem != nullptr}};
        if (info.hSubMenu) item["items"] = MenuItems(info.hSubMenu);
        items.push_back(std::move(item));
    }
    return items;
}

json Describe(HWND window) {
    const LONG_PTR style = ::GetWindowLongPtrW(window, GWL_STYLE);
    const LONG_PTR exStyle = ::GetWindowLongPtrW(window, GWL_EXSTYLE);
    RECT rect{};
    ::GetWindowRect(window, &rect);
    RECT client{};
    ::GetClientRect(window, &client);
    DWORD processId = 0;
    ::GetWindowThreadProcessId(window, &processId);
    json description = {
        {"title", Utf8(WindowText(window))},
        {"class", Utf8(ClassName(window))},
        {"pid", processId},
        {"style", style},
        {"exStyle", exStyle},
        {"caption", (style & WS_CAPTION) == WS_CAPTION},
        {"thickFrame", (style & WS_THICKFRAME) != 0},
        {"maximizeBox", (style & WS_MAXIMIZEBOX) != 0},
        {"popup", (style & WS_POPUP) != 0},
        {"toolWindow", (exStyle & WS_EX_TOOLWINDOW) != 0},
        {"topmost", (exStyle & WS_EX_TOPMOST) != 0},
        {"maximized", ::IsZoomed(window) != FALSE},
        {"minimized", ::IsIconic(window) != FALSE},
        {"enabled", ::IsWindowEnabled(window) != FALSE},
        {"rect", {rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top}},
        {"client", {client.right, client.bottom}},
        {"screen", {::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)}},
    };
    HMENU menu = ::GetMenu(window);
    description["menu"] = menu ? MenuItems(menu) : json::array();
    json controls = json::array();
    for (HWND child : Children(window)) {
        controls.push_back({{"class", Utf8(ClassName(child))},
                            {"text", Utf8(WindowText(child))},
                            {"visible", ::IsWindowVisible(child) != FALSE},
                            {"style", ::GetWindowLongPtrW(child, GWL_STYLE)}});
    }
    description["controls"] = controls;
    return description;
}

HWND FindChild(HWND window, const std::wstring& className, const std::wstring& text) {
    for (HWND child : Children(window)) {
        if (_wcsicmp(ClassName(child).c_str(), className.c_str()) != 0) continue;
        if (text.empty() || WithoutAmpersands(WindowText(child)) == WithoutAmpersands(text)) return child;
    }
    return nullptr;
}

bool FindMenuItem(HMENU menu, const std::wstring& caption, UINT& id) {
    const int count = ::GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        wchar_t text[512] = {};
        MENUITEMINFOW info{};
        info.cbSize = sizeof(info);
        info.fMask = MIIM_STRING | MIIM_ID | MIIM_SUBMENU;
        info.dwTypeData = text;
        info.cch = 512;
        if (!::GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &info)) continue;
        if (!info.hSubMenu && WithoutAmpersands(text) == WithoutAmpersands(caption)) {
            id = info.wID;
            return true;
        }
        if (info.hSubMenu && FindMenuItem(info.hSubMenu, caption, id)) return true;
    }
    return false;
}

int WaitFor(const std::wstring& title, double seconds, bool present) {
    const ULONGLONG deadline = ::GetTickCount64() + static_cast<ULONGLONG>(seconds * 1000);
    for (;;) {
        if ((FindOne(title) != nullptr) == present) return 0;
        if (::GetTickCount64() > deadline) return 1;
        ::Sleep(50);
    }
}

int TypeText(HWND window, const std::wstring& text, bool replace) {
    HWND edit = FindChild(window, L"Edit", L"");
    if (!edit) return 1;
    if (replace) ::SendMessageW(edit, EM_SETSEL, 0, -1);
    for (wchar_t c : text) ::SendMessageW(edit, WM_CHAR, c, 1);
    return 0;
}

int Run(const std::vector<std::wstring>& args) {
    if (args.size() < 2) return 2;
    const std::wstring& command = args[0];
    const std::wstring& title = args[1];
    if (command == L"wait") return WaitFor(title, args.size() > 2 ? _wtof(args[2].c_str()) : 20, true);
    if (command == L"gone") return WaitFor(title, args.size() > 2 ? _wtof(args[2].c_str()) : 20, false);
    if (command == L"count") {
        std::printf("%zu\n", FindWindows(title).size());
        return 0;
    }
    HWND window = FindOne(title);
    if (!window) return 1;
    if (command == L"dump") {
        std::printf("%s\n", Describe(window).dump(2).c_str());
        return 0;
    }
    if (command == L"close") return ::PostMessageW(window, WM_CLOSE, 0, 0) ? 0 : 1;
    if (command == L"minimize") return ::PostMessageW(window, WM_SYSCOMMAND, SC_MINIMIZE, 0) ? 0 : 1;
    if (args.size() < 3) return 2;
    if (command == L"click") {
        HWND button = FindChild(window, L"Button", args[2]);
        if (!button) return 1;
        ::PostMessageW(button, BM_CLICK, 0, 0);
        return 0;
    }
    if (command == L"type") return TypeText(window, args[2], false);
    if (command == L"retype") return TypeText(window, args[2], true);
    if (command == L"key") {
        const WPARAM key = static_cast<WPARAM>(_wtoi(args[2].c_str()));
        HWND edit = FindChild(window, L"Edit", L"");
        HWND target = edit ? edit : window;
        ::PostMessageW(target, WM_KEYDOWN, key, 1);
        ::PostMessageW(target, WM_KEYUP, key, 0xC0000001);
        return 0;
    }
    if (command == L"command") {
        const WORD id = static_cast<WORD>(_wtoi(args[2].c_str()));
        return ::PostMessageW(window, WM_COMMAND, MAKEWPARAM(id, 0), 0) ? 0 : 1;
    }
    if (command == L"menu") {
        UINT id = 0;
        HMENU menu = ::GetMenu(window);
        if (!menu || !FindMenuItem(menu, args[2], id)) return 1;
        return ::PostMessageW(window, WM_COMMAND, MAKEWPARAM(id, 0), 0) ? 0 : 1;
    }
    return 2;
}

}  // namespace
}  // namespace zorv::test

int wmain(int argc, wchar_t** argv) {
    std::vector<std::wstring> args(argv + 1, argv + argc);
    return zorv::test::Run(args);
}
