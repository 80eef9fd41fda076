#include "backends/gtk/GtkOperatingSystem.h"

#include <gio/gio.h>
#include <gtk/gtk.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <iterator>
#include <memory>
#include <optional>
#include <system_error>
#include <utility>

#include "backends/gtk/GLibOwned.h"
#include "shared/PosixCommand.h"
#include "shared/PosixFolderDeletion.h"

// Xlib's macros (None, Status, True, ...) stay below every other include.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <gdk/gdkx.h>

namespace zorv {

namespace fs = std::filesystem;

namespace {

std::string ErrnoText(int code) { return std::strerror(code); }

std::string GErrorText(GError* error) {
    if (error == nullptr) return "Unknown error";
    if (g_dbus_error_is_remote_error(error)) g_dbus_error_strip_remote_error(error);
    return error->message;
}

std::string WithTrailingSlash(std::string path) {
    if (path.empty() || path.back() != '/') path += '/';
    return path;
}

std::string SpecialDirOrHome(GUserDirectory directory) {
    const char* path = g_get_user_special_dir(directory);
    return WithTrailingSlash(path != nullptr ? path : g_get_home_dir());
}

std::string AbsolutePath(const std::string& path) {
    TGCharOwned absolute(g_canonicalize_filename(path.c_str(), nullptr));
    return absolute.get();
}

TResult<std::string> FileUri(const std::string& absolutePath) {
    GError* rawError = nullptr;
    TGCharOwned uri(g_filename_to_uri(absolutePath.c_str(), nullptr, &rawError));
    TGErrorOwned owned(rawError);
    if (!uri) return Failure(GErrorText(rawError));
    return std::string(uri.get());
}

bool IsExecutableFile(const std::string& path) {
    std::error_code ec;
    return fs::is_regular_file(path, ec) && access(path.c_str(), X_OK) == 0;
}

bool HasUriScheme(const std::string& text) {
    TGCharOwned scheme(g_uri_parse_scheme(text.c_str()));
    return scheme != nullptr;
}

// The closest folder that exists at or above `path`, so that the file manager always has
// something to show.
std::string NearestExistingFolder(const std::string& absolutePath) {
    std::error_code ec;
    fs::path folder = fs::path(absolutePath);
    if (!fs::is_directory(folder, ec)) folder = folder.parent_path();
    while (!fs::is_directory(folder, ec) && folder.has_relative_path()) folder = folder.parent_path();
    return folder.string();
}

std::string PrintedArguments(GVariant* arguments) {
    TGVariantOwned owned(g_variant_ref_sink(arguments));
    TGCharOwned text(g_variant_print(owned.get(), TRUE));
    return text.get();
}

// Without an address GLib would autolaunch a private session bus on X, where no file manager or
// session manager listens; a desktop session always has one set up.
bool SessionBusConfigured() {
    if (g_getenv("DBUS_SESSION_BUS_ADDRESS") != nullptr) return true;
    TGCharOwned socket(g_build_filename(g_get_user_runtime_dir(), "bus", nullptr));
    return g_file_test(socket.get(), G_FILE_TEST_EXISTS);
}

TStatus CallDBusForReal(const TDBusMethodCall& call) {
    if (!call.systemBus && !SessionBusConfigured()) return Failure("No session bus");
    GError* rawError = nullptr;
    TGObjectOwned<GDBusConnection> bus(
        g_bus_get_sync(call.systemBus ? G_BUS_TYPE_SYSTEM : G_BUS_TYPE_SESSION, nullptr, &rawError));
    if (!bus) {
        TGErrorOwned owned(rawError);
        return Failure(GErrorText(rawError));
    }
    GVariant* arguments = g_variant_parse(nullptr, call.arguments.c_str(), nullptr, nullptr, &rawError);
    if (arguments == nullptr) {
        TGErrorOwned owned(rawError);
        return Failure(GErrorText(rawError));
    }
    TGVariantOwned reply(g_dbus_connection_call_sync(
        bus.get(), call.service.c_str(), call.objectPath.c_str(), call.interfaceName.c_str(), call.method.c_str(),
        arguments, nullptr, G_DBUS_CALL_FLAGS_NONE, call.timeoutMs, nullptr, &rawError));
    if (!reply) {
        TGErrorOwned owned(rawError);
        return Failure(GErrorText(rawError));
    }
    return Succeeded();
}

TStatus SpawnDetachedForReal(const std::vector<std::string>& argv) {
    std::vector<char*> pointers;
    for (const std::string& argument : argv) pointers.push_back(const_cast<char*>(argument.c_str()));
    pointers.push_back(nullptr);
    GError* rawError = nullptr;
    // Without G_SPAWN_DO_NOT_REAP_CHILD GLib double-forks: the program is adopted by init and
    // leaves no zombie behind, whatever the runtime does afterwards.
    if (!g_spawn_async(nullptr, pointers.data(), nullptr, G_SPAWN_DEFAULT, nullptr, nullptr, nullptr, &rawError)) {
        TGErrorOwned owned(rawError);
        return Failure(GErrorText(rawError));
    }
    return Succeeded();
}

TStatus OpenUriForReal(const std::string& uri) {
    TGObjectOwned<GAppLaunchContext> context;
    if (GdkDisplay* display = gdk_display_get_default())
        context.reset(G_APP_LAUNCH_CONTEXT(gdk_display_get_app_launch_context(display)));
    GError* rawError = nullptr;
    if (!g_app_info_launch_default_for_uri(uri.c_str(), context.get(), &rawError)) {
        TGErrorOwned owned(rawError);
        return Failure(GErrorText(rawError));
    }
    return Succeeded();
}

// --- Window titles from the X server -------------------------------------------------------

struct TXFree {
    void operator()(void* data) const { XFree(data); }
};
struct TXCloseDisplay {
    void operator()(Display* display) const { XCloseDisplay(display); }
};

int IgnoreXError(Display*, XErrorEvent*) { return 0; }

bool IsBlank(const std::string& title) {
    return std::all_of(title.begin(), title.end(), [](char c) { return static_cast<unsigned char>(c) <= 0x20; });
}

// Ignores the X errors that windows vanishing in the middle of the walk cause. On GDK's own
// connection GDK's error trap does it; on a connection of our own a handler that drops them
// stands in for the whole walk.
class TXErrorGuard {
public:
    explicit TXErrorGuard(GdkDisplay* gdkDisplay, Display* display) : FGdkDisplay(gdkDisplay), FDisplay(display) {
        if (FGdkDisplay != nullptr)
            gdk_x11_display_error_trap_push(FGdkDisplay);
        else
            FPrevious = XSetErrorHandler(IgnoreXError);
    }
    ~TXErrorGuard() {
        if (FGdkDisplay != nullptr) {
            gdk_x11_display_error_trap_pop_ignored(FGdkDisplay);
        } else {
            XSync(FDisplay, False);
            XSetErrorHandler(FPrevious);
        }
    }
    TXErrorGuard(const TXErrorGuard&) = delete;
    TXErrorGuard& operator=(const TXErrorGuard&) = delete;

private:
    GdkDisplay* FGdkDisplay;
    Display* FDisplay;
    XErrorHandler FPrevious = nullptr;
};

class TXWindowTitles {
public:
    explicit TXWindowTitles(Display* display)
        : FDisplay(display),
          FNetWmName(XInternAtom(display, "_NET_WM_NAME", False)),
          FUtf8String(XInternAtom(display, "UTF8_STRING", False)),
          FWmState(XInternAtom(display, "WM_STATE", False)) {}

    // Top-level windows in stacking order from the top, as EnumWindows reports them. A window
    // manager's frame stands for the client window it holds (the client has WM_STATE), whatever
    // name the frame itself carries.
    std::vector<std::string> Collect() {
        std::vector<std::string> titles;
        for (Window window : TopLevelWindows()) {
            Window source = window;
            if (!HasProperty(window, FWmState)) {
                if (Window client = FindClient(window, 3)) source = client;
            }
            std::optional<std::string> title = Title(source);
            if (title && !IsBlank(*title)) titles.push_back(*title);
        }
        return titles;
    }

private:
    std::vector<Window> Children(Window parent) {
        Window root = 0, ignoredParent = 0;
        Window* children = nullptr;
        unsigned int count = 0;
        if (!XQueryTree(FDisplay, parent, &root, &ignoredParent, &children, &count)) return {};
        std::unique_ptr<Window, TXFree> owned(children);
        return std::vector<Window>(children, children + count);
    }

    std::vector<Window> TopLevelWindows() {
        std::vector<Window> windows = Children(DefaultRootWindow(FDisplay));
        std::reverse(windows.begin(), windows.end());  // XQueryTree lists bottom first
        return windows;
    }

    bool HasProperty(Window window, Atom property) {
        Atom type = 0;
        int format = 0;
        unsigned long count = 0, after = 0;
        unsigned char* data = nullptr;
        if (XGetWindowProperty(FDisplay, window, property, 0, 0, False, AnyPropertyType, &type, &format, &count, &after,
                               &data) != Success)
            return false;
        if (data != nullptr) XFree(data);
        return type != 0;
    }

    Window FindClient(Window window, int depth) {
        if (depth == 0) return 0;
        for (Window child : Children(window)) {
            if (HasProperty(child, FWmState)) return child;
            if (Window client = FindClient(child, depth - 1)) return client;
        }
        return 0;
    }

    std::optional<std::string> Title(Window window) {
        if (std::optional<std::string> name = NetWmName(window)) return name;
        return WmName(window);
    }

    std::optional<std::string> NetWmName(Window window) {
        Atom type = 0;
        int format = 0;
        unsigned long count = 0, after = 0;
        unsigned char* data = nullptr;
        if (XGetWindowProperty(FDisplay, window, FNetWmName, 0, LONG_MAX / 4, False, FUtf8String, &type, &format,
                               &count, &after, &data) != Success)
            return std::nullopt;
        std::unique_ptr<unsigned char, TXFree> owned(data);
        if (type != FUtf8String || format != 8 || data == nullptr) return std::nullopt;
        return std::string(reinterpret_cast<const char*>(data), count);
    }

    std::optional<std::string> WmName(Window window) {
        XTextProperty property{};
        if (!XGetWMName(FDisplay, window, &property) || property.value == nullptr) return std::nullopt;
        std::unique_ptr<unsigned char, TXFree> ownedValue(property.value);
        char** list = nullptr;
        int count = 0;
        if (Xutf8TextPropertyToTextList(FDisplay, &property, &list, &count) < Success || list == nullptr)
            return std::string(reinterpret_cast<const char*>(property.value), property.nitems);
        std::string title = count > 0 && list[0] != nullptr ? list[0] : "";
        XFreeStringList(list);
        return title;
    }

    Display* FDisplay;
    Atom FNetWmName;
    Atom FUtf8String;
    Atom FWmState;
};

// The titles of this process's own top-level windows (menus and other pop-ups left out).
std::vector<std::string> OwnWindowTitles() {
    std::vector<std::string> titles;
    const TGListOwned windows(gtk_window_list_toplevels());
    for (GList* item = windows.get(); item != nullptr; item = item->next) {
        GtkWindow* window = GTK_WINDOW(item->data);
        const char* title = gtk_window_get_title(window);
        if (gtk_window_get_window_type(window) == GTK_WINDOW_TOPLEVEL && title != nullptr && !IsBlank(title))
            titles.emplace_back(title);
    }
    return titles;
}

std::vector<std::string> XServerWindowTitles() {
    std::unique_ptr<Display, TXCloseDisplay> display(XOpenDisplay(nullptr));
    if (!display) return {};
    TXErrorGuard guard(nullptr, display.get());
    return TXWindowTitles(display.get()).Collect();
}

}  // namespace

TGtkSystemCalls TGtkSystemCalls::Real() {
    return TGtkSystemCalls{CallDBusForReal, SpawnDetachedForReal, OpenUriForReal};
}

TGtkOperatingSystem::TGtkOperatingSystem(TGtkSystemCalls calls) : FCalls(std::move(calls)) {}

// --- Ending the session --------------------------------------------------------------------

namespace {
constexpr int AuthorizationTimeoutMs = 120000;
}  // namespace

std::vector<TDBusMethodCall> TGtkOperatingSystem::SessionEndRequests(TExitWindowsAction action) {
    const std::string login1 = "org.freedesktop.login1";
    switch (action) {
        case TExitWindowsAction::Logoff:
            // Forced: mode 2 of gnome-session ignores inhibitors and asks nobody.
            return {
                {false, "org.gnome.SessionManager", "/org/gnome/SessionManager", "org.gnome.SessionManager", "Logout",
                 "(uint32 2,)"},
                {false, "org.kde.Shutdown", "/Shutdown", "org.kde.Shutdown", "logout", "()"},
                {true, login1, "/org/freedesktop/login1/session/auto", login1 + ".Session", "Terminate", "()"},
            };
        // Interactive: where the system's rules want a password, the desktop's authentication
        // agent asks the user, rather than logind refusing unseen. A refusal, the user's
        // included, comes back as an error.
        case TExitWindowsAction::Reboot:
            return {{true, login1, "/org/freedesktop/login1", login1 + ".Manager", "Reboot", "(true,)",
                     AuthorizationTimeoutMs}};
        case TExitWindowsAction::Shutdown:
            // A halted machine that stays on is not what a page asking to shut down expects.
            return {{true, login1, "/org/freedesktop/login1", login1 + ".Manager", "PowerOff", "(true,)",
                     AuthorizationTimeoutMs}};
    }
    return {};
}

TStatus TGtkOperatingSystem::ExitWindows(TExitWindowsAction action) {
    const char* disabled = std::getenv(NoSessionEndVariable);
    if (disabled != nullptr && std::string(disabled) == "1")
        return Failure(std::string("Ending the session is turned off (") + NoSessionEndVariable + "=1)");
    TStatus outcome = Failure("The session cannot be ended on this system");
    for (const TDBusMethodCall& request : SessionEndRequests(action)) {
        outcome = FCalls.callDBus(request);
        if (outcome) break;
    }
    return outcome;
}

// --- Window titles -------------------------------------------------------------------------

std::vector<std::string> TGtkOperatingSystem::GetWindowsCaptions() {
    GdkDisplay* gdkDisplay = gdk_display_get_default();
    if (gdkDisplay != nullptr && GDK_IS_X11_DISPLAY(gdkDisplay)) {
        Display* display = GDK_DISPLAY_XDISPLAY(gdkDisplay);
        TXErrorGuard guard(gdkDisplay, display);
        return TXWindowTitles(display).Collect();
    }
    // Not on X through GDK (a Wayland session, or no GTK at all). Wayland lets no client see
    // another's windows: the list holds this process's own windows, then the clients of the X
    // server of $DISPLAY (XWayland), if there is one.
    std::vector<std::string> titles;
    if (gdkDisplay != nullptr) titles = OwnWindowTitles();
    std::vector<std::string> xTitles = XServerWindowTitles();
    titles.insert(titles.end(), std::make_move_iterator(xTitles.begin()), std::make_move_iterator(xTitles.end()));
    return titles;
}

// --- Commands ------------------------------------------------------------------------------

// A command on Linux has no console window to show, so the flag has nothing to act on.
std::string TGtkOperatingSystem::GetDosOutput(const std::string& commandLine, const std::string& workingDir,
                                              bool /*showWindow*/) {
    return TPosixCommand::Run(commandLine, workingDir);
}

// --- Shell ---------------------------------------------------------------------------------

TStatus TGtkOperatingSystem::RunProgram(const std::string& program, const std::string& arguments) {
    std::vector<std::string> argv{program};
    TGCharOwned stripped(g_strstrip(g_strdup(arguments.c_str())));
    if (*stripped != '\0') {
        gchar** parsed = nullptr;
        GError* rawError = nullptr;
        if (!g_shell_parse_argv(arguments.c_str(), nullptr, &parsed, &rawError)) {
            TGErrorOwned owned(rawError);
            return Failure(GErrorText(rawError));
        }
        TGStrvOwned ownedArgs(parsed);
        for (gchar** argument = parsed; *argument != nullptr; ++argument) argv.emplace_back(*argument);
    }
    return FCalls.spawnDetached(argv);
}

TStatus TGtkOperatingSystem::OpenWithDefaultHandler(const std::string& absolutePath) {
    const TResult<std::string> uri = FileUri(absolutePath);
    if (!uri) return Failure(uri.Error());
    return FCalls.openUri(uri.Value());
}

TStatus TGtkOperatingSystem::ShellExec(const std::string& filePath, const std::string& arguments) {
    if (filePath.empty()) return Failure(ErrnoText(ENOENT));
    std::error_code ec;
    if (fs::exists(filePath, ec)) {
        const std::string absolute = AbsolutePath(filePath);
        // A program runs with the arguments; a document or folder opens in its default program,
        // which takes no arguments from here, as with the shell's "open" verb.
        return IsExecutableFile(absolute) ? RunProgram(absolute, arguments) : OpenWithDefaultHandler(absolute);
    }
    if (HasUriScheme(filePath)) return FCalls.openUri(filePath);
    if (filePath.find('/') == std::string::npos) {
        TGCharOwned program(g_find_program_in_path(filePath.c_str()));
        if (program) return RunProgram(program.get(), arguments);
    }
    return Failure(ErrnoText(ENOENT));
}

TStatus TGtkOperatingSystem::ShellExplore(const std::string& filePath) {
    if (filePath.empty()) return Failure(ErrnoText(ENOENT));
    const std::string absolute = AbsolutePath(filePath);
    const TResult<std::string> uri = FileUri(absolute);
    if (!uri) return Failure(uri.Error());
    const char* uris[] = {uri.Value().c_str(), nullptr};
    TDBusMethodCall showItems{false,
                              "org.freedesktop.FileManager1",
                              "/org/freedesktop/FileManager1",
                              "org.freedesktop.FileManager1",
                              "ShowItems",
                              PrintedArguments(g_variant_new("(^ass)", uris, ""))};
    if (FCalls.callDBus(showItems)) return Succeeded();
    // No file manager answers on the session bus: open the folder that holds the item instead.
    return OpenWithDefaultHandler(NearestExistingFolder(absolute));
}

// --- Folders -------------------------------------------------------------------------------

// The root, the home folder and the folders that hold it are told by identity, so that no other
// path, link or mount reaches them; the deletion itself never follows a link.
TStatus TGtkOperatingSystem::DeleteDirectory(const std::string& dirPath) {
    return TPosixFolderDeletion::Delete(dirPath, TPosixFolderDeletion::ProtectedFolders(g_get_home_dir()));
}

std::string TGtkOperatingSystem::GetUserDesktopDirPath() { return SpecialDirOrHome(G_USER_DIRECTORY_DESKTOP); }

std::string TGtkOperatingSystem::GetUserDocumentsDirPath() { return SpecialDirOrHome(G_USER_DIRECTORY_DOCUMENTS); }

std::string TGtkOperatingSystem::GetUserAppDataDirPath() { return WithTrailingSlash(g_get_user_data_dir()); }

std::string TGtkOperatingSystem::GetLocalAppDataDirPath() { return WithTrailingSlash(g_get_user_data_dir()); }

std::string TGtkOperatingSystem::GetTempDirPath() { return WithTrailingSlash(g_get_tmp_dir()); }

}  // namespace zorv
