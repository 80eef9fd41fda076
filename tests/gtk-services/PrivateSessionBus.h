#pragma once
#include <gio/gio.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace zorv::test {

// A dbus-daemon of the tests' own, stopped when the object goes.
class TPrivateSessionBus {
public:
    // Null when dbus-daemon cannot be started.
    static std::unique_ptr<TPrivateSessionBus> Start();
    ~TPrivateSessionBus();
    TPrivateSessionBus(const TPrivateSessionBus&) = delete;
    TPrivateSessionBus& operator=(const TPrivateSessionBus&) = delete;

    const std::string& Address() const { return FAddress; }

private:
    TPrivateSessionBus() = default;
    std::string FAddress;
    int FPid = 0;
};

// Serves org.freedesktop.FileManager1 on a bus from a thread of its own, recording the URIs
// each ShowItems call asks to show.
class TFakeFileManager {
public:
    explicit TFakeFileManager(const std::string& busAddress);
    ~TFakeFileManager();
    TFakeFileManager(const TFakeFileManager&) = delete;
    TFakeFileManager& operator=(const TFakeFileManager&) = delete;

    bool Ready() const { return FReady; }
    std::vector<std::vector<std::string>> ShownItems();

private:
    void Serve(const std::string& busAddress);
    static void OnMethodCall(GDBusConnection*, const gchar*, const gchar*, const gchar*, const gchar* method,
                             GVariant* parameters, GDBusMethodInvocation* invocation, gpointer self);

    std::mutex FMutex;
    std::vector<std::vector<std::string>> FShown;
    GMainContext* FContext;
    GMainLoop* FLoop;
    std::atomic<bool> FReady = false;
    std::atomic<bool> FFinished = false;
    std::thread FThread;
};

}  // namespace zorv::test
