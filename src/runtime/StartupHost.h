#pragma once
#include <memory>
#include <optional>
#include <string>

#include "shared/ByteSource.h"
#include "shared/Result.h"

namespace zorv {

struct TRuntimeState;

// Held for the life of the process by the instance that owns the single-instance lock.
class IInstanceLock {
public:
    virtual ~IInstanceLock() = default;
};

struct TInstanceLockResult {
    bool otherInstanceRunning = false;
    std::unique_ptr<IInstanceLock> lock;  // may be empty even when no other instance runs
};

// A message box of the localized start-up table: numbers of the text, the title and the single
// button.
struct TStartupMessage {
    int text = 0;
    int title = 0;
    int button = 0;
};

// What start-up needs of the platform, where platforms differ. Implementations never throw.
class IStartupHost {
public:
    virtual ~IStartupHost() = default;
    // The region appended after the running executable's image, read in place; null when none is
    // appended. Fails when bytes are appended but cannot be opened.
    virtual TResult<std::unique_ptr<IByteSource>> OpenAppendedArchive() = 0;
    virtual void ShowStartupMessage(const TStartupMessage& message) = 0;
    // Shown when the archive cannot be opened; the process then ends with exit code 1.
    virtual void ShowFatalError(const std::string& title, const std::string& text) = 0;
    // The user's folder for per-application data, with a trailing delimiter.
    virtual std::string LocalAppDataDir() = 0;
    // After the data folder is made: platform steps before the password (the web engine's own
    // preparation on Windows). Returns an exit code to end the process with, or nothing to go on.
    virtual std::optional<int> PrepareWebEngine(const TRuntimeState& state) {
        (void)state;
        return std::nullopt;
    }
    // True when the user typed the right password.
    virtual bool AskPassword(const std::string& caption, const std::string& password) = 0;
    // A per-user lock named by the application identifier.
    virtual TInstanceLockResult AcquireInstanceLock(const std::string& appID, const std::string& appDataDir) = 0;
};

}  // namespace zorv
