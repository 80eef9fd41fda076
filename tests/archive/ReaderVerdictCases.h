#pragma once
// Small archives, damaged or laid out in unusual ways, and what the reader must make of each: the
// verdict of Python's zipfile, Info-ZIP unzip and bsdtar where the three agree, and a choice of
// ours, said in the case, where they do not. scripts/reader-verdicts.sh writes the archives out
// (ZORV_VERDICT_DIR) and runs the three tools on them again.
#include <cstdint>
#include <functional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "support/ArchiveBuilder.h"

namespace zorv::test {

struct TVerdictCase {
    const char* name;
    // What the three tools make of it: "read", "refuse", or how they differ.
    const char* others;
    std::function<std::string()> build;
    // The entries read, name and plain bytes, in directory order; empty when it is refused.
    TEntryList entries;
    friend void PrintTo(const TVerdictCase& c, std::ostream* out) { *out << c.name; }
};

// Replaces `from` by `to` (of the same length) in the name of the local header and the central
// record of every entry that holds it.
inline std::string WithNameBytes(std::string archive, const std::string& from, const std::string& to) {
    for (std::size_t at = 0; (at = archive.find(from, at)) != std::string::npos; at += from.size())
        archive.replace(at, from.size(), to);
    return archive;
}

// Lengthens field `fieldAt` (28 name, 30 extra, 32 comment) of central record `index` by `more`.
inline std::string WithLongerField(std::string archive, int index, std::size_t fieldAt, uint32_t more) {
    const std::size_t record = CentralRecordOffset(archive, index);
    PutLe(archive, record + fieldAt, GetLe(archive, record + fieldAt, 2) + more, 2);
    return archive;
}

// Adds `shift` to every offset of the directory and the end record, as `zip -A` does for a
// self-extracting archive once its stub is in front.
inline std::string WithOffsetsMovedBy(std::string archive, uint32_t shift) {
    const std::size_t end = EndRecordOffset(archive);
    const int count = static_cast<int>(GetLe(archive, end + 10, 2));
    for (int i = 0; i < count; ++i) {
        const std::size_t record = CentralRecordOffset(archive, i);
        PutLe(archive, record + 42, GetLe(archive, record + 42, 4) + shift, 4);
    }
    PutLe(archive, end + 16, GetLe(archive, end + 16, 4) + shift, 4);
    return archive;
}

inline const TEntryList& TwoEntries() {
    static const TEntryList entries = {{"a.txt", "alpha\n"}, {"b.txt", "beta\n"}};
    return entries;
}

inline std::string TwoEntryArchive() { return BuildArchive(TwoEntries()); }

inline std::vector<TVerdictCase> VerdictCases() {
    const TEntryList none;
    const std::string stub = "#!/bin/sh\necho a self-extracting stub\nexit 0\n" + std::string(300, '#') + "\n";
    return {
        {"packaged", "read", [] { return TwoEntryArchive(); }, TwoEntries()},
        {"trailing-bytes", "read", [] { return TwoEntryArchive() + std::string(3000, '\x7f'); }, TwoEntries()},
        {"bytes-in-front", "read", [stub] { return stub + TwoEntryArchive(); }, TwoEntries()},
        {"offsets-moved-for-bytes-in-front", "read",
         [stub] { return stub + WithOffsetsMovedBy(TwoEntryArchive(), static_cast<uint32_t>(stub.size())); },
         TwoEntries()},
        // zipfile cuts the name at the directory's end, unzip takes the end record into the name
        // and reports an error, bsdtar refuses: a record must lie inside its directory.
        {"name-past-directory", "differ: zipfile cuts the name, unzip errs, bsdtar refuses",
         [] { return WithLongerField(TwoEntryArchive(), 1, 28, 10); }, none},
        {"extra-past-directory", "differ: zipfile reads, unzip warns, bsdtar refuses",
         [] { return WithLongerField(TwoEntryArchive(), 1, 30, 10); }, none},
        {"comment-past-directory", "differ: zipfile reads, unzip warns, bsdtar refuses",
         [] { return WithLongerField(TwoEntryArchive(), 1, 32, 10); }, none},
        {"directory-signature-damaged", "refuse",
         [] {
             std::string archive = TwoEntryArchive();
             archive[CentralRecordOffset(archive, 0)] = 'X';
             return archive;
         },
         none},
        // The reader used to fall back on the first archive's end record and list it.
        {"directory-missing-behind-another-archive", "differ: zipfile and unzip refuse, bsdtar lists nothing",
         [] {
             std::string second = BuildArchive({{"second.txt", "2"}});
             second[CentralRecordOffset(second, 0)] = 'X';
             return BuildArchive({{"first.txt", "1"}}) + second;
         },
         none},
        {"archive-in-comment",
         "read",
         [] {
             const std::string inner = BuildArchive({{"inner.txt", "inner\n"}});
             std::string outer = BuildArchive({{"outer.txt", "outer\n"}});
             PutLe(outer, EndRecordOffset(outer) + 20, static_cast<uint32_t>(inner.size()), 2);
             return outer + inner;
         },
         {{"inner.txt", "inner\n"}}},
        {"zip64-signatures-in-names",
         "read",
         [] {
             return WithNameBytes(WithNameBytes(BuildArchive({{"aPK66.txt", "6"}, {"bPK67.txt", "7"}}), "PK66",
                                                std::string("PK\x06\x06", 4)),
                                  "PK67", std::string("PK\x06\x07", 4));
         },
         {{std::string("aPK\x06\x06.txt", 9), "6"}, {std::string("bPK\x06\x07.txt", 9), "7"}}},
        {"nul-in-name",
         "read",
         [] {
             return WithNameBytes(BuildArchive({{"abc@def.txt", "nul\n"}}), "abc@def", std::string("abc\0def", 7));
         },
         {{"abc", "nul\n"}}},
        // bsdtar lists the backslash as "/"; zipfile and unzip keep it.
        {"backslash-in-name",
         "read (bsdtar shows back/slash.txt)",
         [] {
             return WithNameBytes(BuildArchive({{"back@slash.txt", "bs\n"}}), "back@slash", "back\\slash");
         },
         {{"back\\slash.txt", "bs\n"}}},
    };
}

}  // namespace zorv::test
