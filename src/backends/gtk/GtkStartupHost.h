#pragma once
#include <functional>
#include <optional>
#include <string>

#include "runtime/StartupHost.h"

namespace zorv {

class IOperatingSystem;

// Start-up services on a Linux desktop: the archive appended to the ELF image, GTK message boxes,
// the data folder under $XDG_DATA_HOME, the GTK password dialog, and an flock as the
// single-instance lock.
class TGtkStartupHost final : public IStartupHost {
public:
    explicit TGtkStartupHost(IOperatingSystem& operatingSystem);

    TResult<std::unique_ptr<IByteSource>> OpenAppendedArchive() override;
    void ShowStartupMessage(const TStartupMessage& message) override;
    void ShowFatalError(const std::string& title, const std::string& text) override;
    std::string LocalAppDataDir() override;
    bool AskPassword(const std::string& caption, const std::string& password) override;
    TInstanceLockResult AcquireInstanceLock(const std::string& appID, const std::string& appDataDir) override;

private:
    IOperatingSystem& FOperatingSystem;
};

}  // namespace zorv
