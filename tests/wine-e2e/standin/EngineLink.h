#pragma once
// The stand-in's engine mode: when ZORV_WV2_ENGINE names a port on 127.0.0.1, the web view is a
// real Chromium driven by the relay (tests/wine-e2e/relay) listening there. This link carries
// JSON lines both ways: requests with their replies, and the engine's events. A thread of its own
// reads the socket; every reply and event is handed to the thread that owns its web view through
// that thread's message queue, in the order the relay sent them, so handlers run one at a time
// and never on the reading thread.

#include <winsock2.h>
#include <windows.h>

#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>

#include <nlohmann/json.hpp>

namespace zorv::test {

class TEngineLink {
public:
    using TReply = std::function<void(const nlohmann::json& reply)>;
    using TEventSink = std::function<void(const nlohmann::json& event)>;

    static bool Enabled();
    static TEngineLink& Instance();

    // Connects and starts the browser on the profile that the user data folder names; `done`
    // runs on `queue`'s thread with S_OK, or a failure when no relay answers.
    void Start(const std::wstring& userDataFolder, HWND queue, std::function<void(HRESULT)> done);
    // Sends a request; `reply` runs on `queue`'s thread. Without a link, nothing is sent and the
    // reply is {"error": ...}.
    void Request(nlohmann::json request, HWND queue, TReply reply);
    // Sends a line that needs no reply (answers to events).
    void Send(const nlohmann::json& message);
    // Events for the web view with that number go to `sink`, run on `queue`'s thread.
    void Subscribe(int view, HWND queue, TEventSink sink);
    void Unsubscribe(int view);

private:
    TEngineLink() = default;
    bool Connect();
    void ReadLines();
    void Deliver(const nlohmann::json& message);
    bool WriteLine(const std::string& line);

    std::mutex FLock;       // the maps below
    std::mutex FWriteLock;  // one line at a time on the socket
    SOCKET FSocket = INVALID_SOCKET;
    bool FConnected = false;
    std::thread FReader;
    long long FNextId = 1;
    std::map<long long, std::pair<HWND, TReply>> FPending;
    std::map<int, std::pair<HWND, TEventSink>> FSinks;
};

}  // namespace zorv::test
