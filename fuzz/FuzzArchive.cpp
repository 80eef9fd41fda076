#include "FuzzArchive.h"

#include <cstdlib>

#include "archive/ZipWriter.h"

namespace zorv::test {

std::string SampleArchiveBytes() {
    std::string bytes;
    TZipWriter writer(
        [&bytes](const void* data, std::size_t size) {
            bytes.append(static_cast<const char*>(data), size);
            return true;
        },
        ZORV_ARCHIVE_PASSWORD);
    const TDosDateTime when;
    const bool written = writer.AddFile("zorv.ini", when, "[App]\r\nID=fuzz\r\nName=Fuzz\r\nDirName=app\r\n") &&
                         writer.AddDirectory("app/", when) &&
                         writer.AddFile("app/index.html", when, "<!doctype html><title>fuzz</title>") &&
                         writer.AddFile("app/css/site.css", when, "body{margin:0}") &&
                         writer.AddFile("app/img/icon.png", when, std::string("\x89PNG\r\n\x1a\n", 8)) &&
                         writer.AddDirectory("app/sub/", when) && writer.AddFile("app/sub/a b.txt", when, "spaced") &&
                         writer.Finish();
    if (!written) std::abort();
    return bytes;
}

const TAbZipKit& SampleArchive() {
    static const TAbZipKit* archive = [] {
        auto* kit = new TAbZipKit;
        kit->SetPassword(ZORV_ARCHIVE_PASSWORD);
        kit->LoadFromMemory(SampleArchiveBytes());
        return kit;
    }();
    return *archive;
}

}  // namespace zorv::test
