#include "FuzzArchive.h"

#include <cstdlib>

#include "support/ArchiveBuilder.h"

namespace zorv::test {

std::string SampleArchiveBytes() {
    std::string bytes = BuildArchive({{"zorv.ini", "[App]\r\nID=fuzz\r\nName=Fuzz\r\nDirName=app\r\n"},
                                      {"app/", ""},
                                      {"app/index.html", "<!doctype html><title>fuzz</title>"},
                                      {"app/css/site.css", "body{margin:0}"},
                                      {"app/img/icon.png", std::string("\x89PNG\r\n\x1a\n", 8)},
                                      {"app/sub/", ""},
                                      {"app/sub/a b.txt", "spaced"}});
    if (bytes.empty()) std::abort();
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
