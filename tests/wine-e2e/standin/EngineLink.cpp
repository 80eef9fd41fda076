#include "EngineLink.h"

#include <ws2tcpip.h>

#include "ThreadPost.h"
#include "Transcript.h"

namespace zorv::test {

namespace {
using nlohmann::json;

// A line longer than this from the relay is a fault (screenshots are the largest, a few MiB).
constexpr std::size_t MaxLineBytes = 64 * 1024 * 1024;

std::wstring EnginePort() {
    wchar_t value[64] = {};
    return ::GetEnvironmentVariableW(L"ZORV_WV2_ENGINE", value, 64) ? value : L"";
}

void Record(json entry) { TTranscript::Instance().Write(std::move(entry)); }
}  // namespace

bool TEngineLink::Enabled() { return !EnginePort().empty(); }

TEngineLink& TEngineLink::Instance() {
    // Never destroyed: the reading thread may still run while the process ends; the socket closes
    // with the process, which tells the relay to end the browser.
    static TEngineLink* link = new TEngineLink;
    return *link;
}

bool TEngineLink::Connect() {
    WSADATA data{};
    if (::WSAStartup(MAKEWORD(2, 2), &data) != 0) return false;
    const int port = ::_wtoi(EnginePort().c_str());
    SOCKET socket = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (socket == INVALID_SOCKET) return false;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = ::htons(static_cast<u_short>(port));
    address.sin_addr.s_addr = ::htonl(INADDR_LOOPBACK);
    if (::connect(socket, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0) {
        ::closesocket(socket);
        return false;
    }
    BOOL noDelay = TRUE;
    ::setsockopt(socket, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&noDelay), sizeof(noDelay));
    FSocket = socket;
    FConnected = true;
    std::thread([this] { ReadLines(); }).detach();
    return true;
}

void TEngineLink::Start(const std::wstring& userDataFolder, HWND queue, std::function<void(HRESULT)> done) {
    bool connected = false;
    {
        std::lock_guard lock(FLock);
        connected = FConnected || Connect();
    }
    if (!connected) {
        Record({{"event", "engineUnavailable"}, {"port", TTranscript::Utf8(EnginePort().c_str())}});
        TThreadPost::Post(queue, [done] { done(HRESULT_FROM_WIN32(ERROR_CONNECTION_REFUSED)); });
        return;
    }
    Request({{"op", "hello"}, {"userDataFolder", TTranscript::Utf8(userDataFolder.c_str())}}, queue,
            [done](const json& reply) {
                if (reply.contains("error")) {
                    Record({{"event", "engineFailed"}, {"error", reply["error"]}});
                    done(E_FAIL);
                    return;
                }
                // Which engine build plays the browser in this run.
                Record({{"event", "engine"},
                        {"product", reply.value("product", "")},
                        {"revision", reply.value("revision", "")},
                        {"userAgent", reply.value("userAgent", "")},
                        {"binary", reply.value("binary", "")},
                        {"profile", reply.value("profile", "")}});
                done(S_OK);
            });
}

bool TEngineLink::WriteLine(const std::string& line) {
    std::lock_guard lock(FWriteLock);
    std::size_t sent = 0;
    while (sent < line.size()) {
        const int chunk = static_cast<int>(std::min<std::size_t>(line.size() - sent, 1 << 20));
        const int result = ::send(FSocket, line.data() + sent, chunk, 0);
        if (result <= 0) return false;
        sent += static_cast<std::size_t>(result);
    }
    return true;
}

void TEngineLink::Request(json request, HWND queue, TReply reply) {
    long long id = 0;
    {
        std::lock_guard lock(FLock);
        if (!FConnected) {
            TThreadPost::Post(queue, [reply] { reply({{"error", "no engine"}}); });
            return;
        }
        id = FNextId++;
        FPending[id] = {queue, std::move(reply)};
    }
    request["id"] = id;
    if (!WriteLine(request.dump(-1, ' ', false, json::error_handler_t::replace) + "\n")) {
        std::lock_guard lock(FLock);
        auto pending = FPending.extract(id);
        if (!pending.empty())
            TThreadPost::Post(queue, [reply = pending.mapped().second] { reply({{"error", "the relay is gone"}}); });
    }
}

void TEngineLink::Send(const json& message) {
    if (FConnected) WriteLine(message.dump(-1, ' ', false, json::error_handler_t::replace) + "\n");
}

void TEngineLink::Subscribe(int view, HWND queue, TEventSink sink) {
    std::lock_guard lock(FLock);
    FSinks[view] = {queue, std::move(sink)};
}

void TEngineLink::Unsubscribe(int view) {
    std::lock_guard lock(FLock);
    FSinks.erase(view);
}

void TEngineLink::ReadLines() {
    std::string buffer;
    char chunk[64 * 1024];
    for (;;) {
        const int received = ::recv(FSocket, chunk, sizeof(chunk), 0);
        if (received <= 0) break;
        // Only the new bytes can end a line: a long line is not searched again with every chunk.
        const std::size_t searchFrom = buffer.size();
        buffer.append(chunk, static_cast<std::size_t>(received));
        std::size_t start = 0;
        for (std::size_t newline = buffer.find('\n', searchFrom); newline != std::string::npos;
             newline = buffer.find('\n', start)) {
            json message = json::parse(buffer.begin() + static_cast<std::ptrdiff_t>(start),
                                       buffer.begin() + static_cast<std::ptrdiff_t>(newline), nullptr, false);
            start = newline + 1;
            if (message.is_object()) Deliver(message);
        }
        buffer.erase(0, start);
        if (buffer.size() > MaxLineBytes) break;
    }
    Record({{"event", "engineGone"}});
    std::lock_guard lock(FLock);
    FConnected = false;
    for (auto& [id, pending] : FPending)
        TThreadPost::Post(pending.first, [reply = pending.second] { reply({{"error", "the relay is gone"}}); });
    FPending.clear();
}

// Runs on the reading thread: only hands the message over.
void TEngineLink::Deliver(const json& message) {
    std::lock_guard lock(FLock);
    if (message.contains("re")) {
        auto pending = FPending.extract(message["re"].get<long long>());
        if (!pending.empty())
            TThreadPost::Post(pending.mapped().first, [reply = pending.mapped().second, message] { reply(message); });
        return;
    }
    const int view = message.value("view", 0);
    auto sink = FSinks.find(view);
    if (sink == FSinks.end()) {
        Record({{"event", "engineEventWithoutView"}, {"message", message}});
        // A decision nobody can take: answered as an empty answer so the page goes on.
        if (message.contains("eid")) Send({{"op", "answer"}, {"eid", message["eid"]}});
        return;
    }
    TThreadPost::Post(sink->second.first, [sink = sink->second.second, message] { sink(message); });
}

}  // namespace zorv::test
