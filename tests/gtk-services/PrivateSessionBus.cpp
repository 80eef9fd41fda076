#include "PrivateSessionBus.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include "shared/PosixUniqueFd.h"

namespace zorv::test {

std::unique_ptr<TPrivateSessionBus> TPrivateSessionBus::Start() {
    gchar* daemon = g_find_program_in_path("dbus-daemon");
    if (daemon == nullptr) return nullptr;
    std::string program = daemon;
    g_free(daemon);
    std::string session = "--session", nofork = "--nofork", address = "--print-address=1";
    char* argv[] = {program.data(), session.data(), nofork.data(), address.data(), nullptr};
    GPid pid = 0;
    gint out = -1;
    if (!g_spawn_async_with_pipes(nullptr, argv, nullptr,
                                  GSpawnFlags(G_SPAWN_DO_NOT_REAP_CHILD | G_SPAWN_STDERR_TO_DEV_NULL), nullptr, nullptr,
                                  &pid, nullptr, &out, nullptr, nullptr))
        return nullptr;
    TUniqueFd output(out);
    std::unique_ptr<TPrivateSessionBus> bus(new TPrivateSessionBus);
    bus->FPid = pid;
    // The address is the daemon's first line of output.
    char c = 0;
    while (read(output.Get(), &c, 1) == 1 && c != '\n') bus->FAddress += c;
    output.Reset();
    if (bus->FAddress.empty()) return nullptr;
    return bus;
}

TPrivateSessionBus::~TPrivateSessionBus() {
    kill(FPid, SIGTERM);
    waitpid(FPid, nullptr, 0);
}

TFakeFileManager::TFakeFileManager(const std::string& busAddress)
    : FContext(g_main_context_new()), FLoop(g_main_loop_new(FContext, FALSE)) {
    FThread = std::thread([this, busAddress] {
        g_main_context_push_thread_default(FContext);
        Serve(busAddress);
        g_main_context_pop_thread_default(FContext);
        FFinished = true;
    });
    for (int i = 0; i < 500 && !FReady && !FFinished; ++i) g_usleep(10000);
}

TFakeFileManager::~TFakeFileManager() {
    g_main_loop_quit(FLoop);
    FThread.join();
    g_main_loop_unref(FLoop);
    g_main_context_unref(FContext);
}

std::vector<std::vector<std::string>> TFakeFileManager::ShownItems() {
    std::lock_guard<std::mutex> lock(FMutex);
    return FShown;
}

void TFakeFileManager::OnMethodCall(GDBusConnection*, const gchar*, const gchar*, const gchar*, const gchar* method,
                                    GVariant* parameters, GDBusMethodInvocation* invocation, gpointer data) {
    auto* self = static_cast<TFakeFileManager*>(data);
    if (std::string(method) == "ShowItems") {
        const gchar** uris = nullptr;
        const gchar* startupId = nullptr;
        g_variant_get(parameters, "(^a&s&s)", &uris, &startupId);
        std::vector<std::string> items;
        for (const gchar** uri = uris; uri != nullptr && *uri != nullptr; ++uri) items.emplace_back(*uri);
        g_free(uris);
        std::lock_guard<std::mutex> lock(self->FMutex);
        self->FShown.push_back(items);
    }
    g_dbus_method_invocation_return_value(invocation, nullptr);
}

void TFakeFileManager::Serve(const std::string& busAddress) {
    static const char* const xml =
        "<node><interface name='org.freedesktop.FileManager1'>"
        "<method name='ShowItems'><arg type='as' name='URIs' direction='in'/>"
        "<arg type='s' name='StartupId' direction='in'/></method>"
        "</interface></node>";
    GDBusConnection* connection =
        g_dbus_connection_new_for_address_sync(busAddress.c_str(),
                                               GDBusConnectionFlags(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                                                    G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
                                               nullptr, nullptr, nullptr);
    if (connection == nullptr) return;
    GDBusNodeInfo* node = g_dbus_node_info_new_for_xml(xml, nullptr);
    const GDBusInterfaceVTable vtable = {OnMethodCall, nullptr, nullptr, {}};
    const guint object = g_dbus_connection_register_object(connection, "/org/freedesktop/FileManager1",
                                                           node->interfaces[0], &vtable, this, nullptr, nullptr);
    GVariant* reply =
        g_dbus_connection_call_sync(connection, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
                                    "RequestName", g_variant_new("(su)", "org.freedesktop.FileManager1", 4u), nullptr,
                                    G_DBUS_CALL_FLAGS_NONE, 5000, nullptr, nullptr);
    if (reply != nullptr) {
        g_variant_unref(reply);
        // Ready once the loop runs, so that a quit from the destructor cannot come before it.
        GSource* idle = g_idle_source_new();
        g_source_set_callback(
            idle,
            [](gpointer self) {
                static_cast<TFakeFileManager*>(self)->FReady = true;
                return G_SOURCE_REMOVE;
            },
            this, nullptr);
        g_source_attach(idle, FContext);
        g_source_unref(idle);
        g_main_loop_run(FLoop);
    }
    g_dbus_connection_unregister_object(connection, object);
    g_dbus_node_info_unref(node);
    g_dbus_connection_close_sync(connection, nullptr, nullptr);
    g_object_unref(connection);
}

}  // namespace zorv::test
