#pragma once
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "archive/AbZipKit.h"

namespace zorv {

// One file of what the application shipped.
struct TPackageEntry {
    uint64_t size = 0;
    bool streamable = false;  // OpenEntry can stream it
};

// What the application shipped, by entry name ("zorv.ini", "app/index.html"): the archive of a
// packaged file, or the project folder itself while an author runs it with `zorv-pack run`. The
// page host, the resolver, files.extractFile, the menu's icons and the settings read from either.
// Names use "/"; a name that leaves the package (an absolute path, a ".." step) finds nothing.
class IAppPackage {
public:
    virtual ~IAppPackage() = default;

    // The file of that name; nothing for a missing one (an archive's folder entries are found).
    virtual std::optional<TPackageEntry> Find(std::string_view name) const = 0;
    // The file's bytes appended to `out`, only when the status is Ok.
    virtual TAbExtractStatus TryExtract(std::string_view name, std::string& out) const = 0;
    // The file's bytes handed to `sink` block by block.
    virtual TAbExtractStatus TryExtractTo(std::string_view name, const TAbSink& sink) const = 0;
    // `length` bytes from `offset` (fewer where the file ends first) handed to `sink`.
    virtual TAbExtractStatus TryExtractRange(std::string_view name, uint64_t offset, uint64_t length,
                                             const TAbSink& sink) const = 0;
    // A reader of part of an archive entry, for answers read as the consumer asks; null
    // (UnsupportedMethod) where the package cannot stream.
    virtual std::unique_ptr<TAbEntryReader> OpenEntry(std::string_view name, uint64_t offset, uint64_t length,
                                                      TAbExtractStatus& status) const {
        (void)name, (void)offset, (void)length;
        status = TAbExtractStatus::UnsupportedMethod;
        return nullptr;
    }
    // True for a project folder run straight from the disk, false for a packaged archive.
    virtual bool IsFolder() const = 0;
    // The path (UTF-8) of the file on disk that holds the entry, for a package that is a folder,
    // so that it can be read as a file; nothing for an archive.
    virtual std::optional<std::string> DiskFile(std::string_view name) const {
        (void)name;
        return std::nullopt;
    }
};

// The archive reader as a package: owned (the archive appended to the running executable), or
// borrowed, when it must outlive the adapter.
class TArchivePackage final : public IAppPackage {
public:
    explicit TArchivePackage(const TAbZipKit& archive) : FArchive(archive) {}
    explicit TArchivePackage(std::unique_ptr<TAbZipKit> archive) : FOwned(std::move(archive)), FArchive(*FOwned) {}

    std::optional<TPackageEntry> Find(std::string_view name) const override {
        if (!FArchive.IsOpen()) return std::nullopt;
        const int index = FArchive.FindFile(name);
        if (index < 0) return std::nullopt;
        const TAbZipItem& item = FArchive.Item(index);
        return TPackageEntry{item.uncompressedSize, TAbZipKit::CanOpenEntry(item)};
    }
    TAbExtractStatus TryExtract(std::string_view name, std::string& out) const override {
        return FArchive.TryExtract(name, out);
    }
    TAbExtractStatus TryExtractTo(std::string_view name, const TAbSink& sink) const override {
        return FArchive.TryExtractTo(name, sink);
    }
    TAbExtractStatus TryExtractRange(std::string_view name, uint64_t offset, uint64_t length,
                                     const TAbSink& sink) const override {
        return FArchive.TryExtractRange(name, offset, length, sink);
    }
    std::unique_ptr<TAbEntryReader> OpenEntry(std::string_view name, uint64_t offset, uint64_t length,
                                              TAbExtractStatus& status) const override {
        return FArchive.OpenEntry(name, offset, length, status);
    }
    bool IsFolder() const override { return false; }

private:
    std::unique_ptr<TAbZipKit> FOwned;  // declared first: FArchive may refer to it
    const TAbZipKit& FArchive;
};

}  // namespace zorv
