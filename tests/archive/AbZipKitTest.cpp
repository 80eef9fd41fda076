// Opening, lookup and extraction rules of the archive reader, on archives written by the
// packing writer and damaged on purpose.
#include <gtest/gtest.h>

#include <zlib.h>

#include "support/ArchiveBuilder.h"
#include "ArchiveTestSupport.h"
#include "archive/AbZipKit.h"
#include "archive/ZipNames.h"

namespace zorv::test {
namespace {

TAbZipKit& Open(TAbZipKit& kit, std::string archive, const std::string& password = ZORV_ARCHIVE_PASSWORD) {
    kit.SetPassword(password);
    kit.LoadFromMemory(std::move(archive));
    return kit;
}

std::string Extract(const TAbZipKit& kit, const std::string& name, TAbExtractStatus expected = TAbExtractStatus::Ok) {
    std::string out;
    EXPECT_EQ(kit.TryExtract(name, out), expected) << name;
    return out;
}

const TEntryList AppEntries = {
    {"zorv.ini", "[App]\nID=x\n"}, {"app/", ""},     {"app/index.html", "<html>index</html>"},
    {"app/été.txt", "summer"},     {"app/sub/", ""}, {"app/sub/data.bin", RandomBytes(3000, 3)}};

struct TLookupCase {
    const char* request;
    const char* found;  // nullptr: no entry matches
};

class ReaderLookup : public ::testing::TestWithParam<TLookupCase> {};

TEST_P(ReaderLookup, MatchesAsciiCaseOnlyAndSeparatorsAsWritten) {
    TAbZipKit kit;
    Open(kit, BuildArchive(AppEntries));
    const int index = kit.FindFile(GetParam().request);
    if (GetParam().found == nullptr) {
        EXPECT_EQ(index, -1);
    } else {
        ASSERT_GE(index, 0);
        EXPECT_EQ(kit.Item(index).fileName, GetParam().found);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Requests, ReaderLookup,
    ::testing::Values(TLookupCase{"app/index.html", "app/index.html"}, TLookupCase{"APP/Index.HTML", "app/index.html"},
                      TLookupCase{"ZORV.INI", "zorv.ini"}, TLookupCase{"APP/été.TXT", "app/été.txt"},
                      TLookupCase{"app/ÉTÉ.txt", nullptr}, TLookupCase{"app\\index.html", nullptr},
                      TLookupCase{"/app/index.html", nullptr}, TLookupCase{"./app/index.html", nullptr},
                      TLookupCase{"app/sub/", "app/sub/"}, TLookupCase{"app/sub", nullptr}, TLookupCase{"", nullptr}));

TEST(ReaderOpening, EveryEntryOfAPackagedArchiveExtracts) {
    TAbZipKit kit;
    Open(kit, BuildArchive(AppEntries));
    ASSERT_EQ(kit.Count(), static_cast<int>(AppEntries.size()));
    for (int i = 0; i < kit.Count(); ++i) {
        EXPECT_EQ(kit.Item(i).fileName, AppEntries[i].first);
        EXPECT_EQ(Extract(kit, AppEntries[i].first), AppEntries[i].second);
    }
}

TEST(ReaderOpening, TrailingBytesAfterTheEndRecordAreIgnored) {
    TAbZipKit kit;
    Open(kit, BuildArchive(AppEntries) + RandomBytes(8192, 11));  // like a signature table
    EXPECT_EQ(Extract(kit, "app/index.html"), "<html>index</html>");
}

TEST(ReaderOpening, ArchiveCommentIsSkipped) {
    std::string archive = BuildArchive(AppEntries);
    const std::string comment = "packaged by the test";
    PutLe(archive, EndRecordOffset(archive) + 20, static_cast<uint32_t>(comment.size()), 2);
    TAbZipKit kit;
    Open(kit, archive + comment);
    EXPECT_EQ(Extract(kit, "zorv.ini"), "[App]\nID=x\n");
}

TEST(ReaderOpening, EndRecordWhoseCommentDoesNotFitIsPassedOver) {
    // A second archive behind the first claims a comment longer than what follows it: its end
    // record is not taken, and the scan goes on to the first archive's record.
    std::string second = BuildArchive({{"second.txt", "2"}});
    PutLe(second, EndRecordOffset(second) + 20, 500, 2);
    TAbZipKit kit;
    Open(kit, BuildArchive({{"first.txt", "1"}}) + second);
    EXPECT_EQ(Extract(kit, "first.txt"), "1");
    EXPECT_EQ(kit.FindFile("second.txt"), -1);

    std::string alone = BuildArchive({{"a.txt", "a"}});
    PutLe(alone, EndRecordOffset(alone) + 20, 1, 2);
    EXPECT_THROW(Open(kit, alone), EAbZipInvalid);
}

TEST(ReaderOpening, DuplicateNamesFindTheLaterEntry) {
    TAbZipKit kit;
    Open(kit, BuildArchive({{"dup.txt", "first"}, {"other.txt", "x"}, {"DUP.TXT", "second"}}));
    EXPECT_EQ(kit.FindFile("dup.txt"), 2);
    EXPECT_EQ(Extract(kit, "Dup.Txt"), "second");
}

TEST(ReaderOpening, EmptyBufferIsAnEmptyReadyArchive) {
    TAbZipKit kit;
    Open(kit, "");
    EXPECT_TRUE(kit.IsOpen());
    EXPECT_EQ(kit.Count(), 0);
    EXPECT_EQ(kit.FindFile("zorv.ini"), -1);
    std::string out;
    EXPECT_EQ(kit.TryExtract("zorv.ini", out), TAbExtractStatus::NotFound);
}

TEST(ReaderOpening, FailuresCarryTheirMessagesAndLeaveNothingOpen) {
    TAbZipKit kit;
    try {
        Open(kit, "this is no archive at all, just some text bytes");
        FAIL() << "no exception";
    } catch (const EAbZipInvalid& e) {
        EXPECT_STREQ(e.what(), "Invalid file - not a PKZip file");
    }
    EXPECT_FALSE(kit.IsOpen());
    EXPECT_EQ(kit.FindFile("zorv.ini"), -1);

    std::string spanned = BuildArchive(AppEntries);
    PutLe(spanned, EndRecordOffset(spanned) + 4, 1, 2);
    try {
        Open(kit, spanned);
        FAIL() << "no exception";
    } catch (const EAbZipBadSpanStream& e) {
        EXPECT_STREQ(e.what(), "Spanned archives must be opened as file streams");
    }

    std::string zip64WithoutLocator = BuildArchive(AppEntries);
    PutLe(zip64WithoutLocator, EndRecordOffset(zip64WithoutLocator) + 10, 0xFFFF, 2);
    EXPECT_THROW(Open(kit, zip64WithoutLocator), EAbZipInvalid);

    const std::string whole = BuildArchive(AppEntries);
    EXPECT_THROW(Open(kit, whole.substr(0, whole.size() - 5)), EAbZipInvalid);
    EXPECT_THROW(Open(kit, whole.substr(0, whole.size() / 2)), EAbZipInvalid);
}

TEST(ReaderOpening, ExtractingBeforeLoadingRaises) {
    TAbZipKit kit;
    std::string out;
    try {
        kit.ExtractToStream("zorv.ini", out);
        FAIL() << "no exception";
    } catch (const EAbNoArchive& e) {
        EXPECT_STREQ(e.what(), "Archive does not exist - Filename is blank");
    }
    EXPECT_EQ(kit.FindFile("zorv.ini"), -1);
}

TEST(ReaderExtraction, FolderEntryWritesNothingAndSucceeds) {
    TAbZipKit kit;
    Open(kit, BuildArchive(AppEntries));
    EXPECT_EQ(Extract(kit, "app/sub/"), "");
}

TEST(ReaderExtraction, ExtractToStreamAppendsAtTheEnd) {
    TAbZipKit kit;
    Open(kit, BuildArchive(AppEntries));
    std::string out = "head:";
    kit.ExtractToStream("app/été.txt", out);
    EXPECT_EQ(out, "head:summer");
    kit.ExtractToStream("missing.txt", out);
    EXPECT_EQ(out, "head:summer");
}

TEST(ReaderExtraction, WrongOrEmptyPasswordWritesNothing) {
    for (const std::string password : {"wrong", ""}) {
        TAbZipKit kit;
        Open(kit, BuildArchive(AppEntries), password);
        std::string out = "before";
        EXPECT_EQ(kit.TryExtract("app/index.html", out), TAbExtractStatus::WrongPassword);
        kit.ExtractToStream("app/index.html", out);
        EXPECT_EQ(out, "before");
    }
}

// A damaged entry is reported and leaves the target as it was, so no caller can take part of
// a file, or a file that fails its checksum, for the real one.
TEST(ReaderExtraction, DamagedDataNeverReachesTheTarget) {
    std::string archive = BuildArchive(AppEntries);
    archive[DataOffset(archive, 5) + 12 + 1500] ^= 0x5A;  // inside data.bin, past the 12-byte header
    TAbZipKit kit;
    Open(kit, archive);
    std::string out = "before";
    EXPECT_EQ(kit.TryExtract("app/sub/data.bin", out), TAbExtractStatus::CrcMismatch);
    kit.ExtractToStream("app/sub/data.bin", out);
    EXPECT_EQ(out, "before");
    EXPECT_EQ(Extract(kit, "app/index.html"), "<html>index</html>");  // the reader stays usable
}

struct TCentralPatch {
    const char* name;
    std::size_t field;  // offset in the central-directory record
    int width;
    uint32_t value;
    TAbExtractStatus expected;
};

class ReaderRejects : public ::testing::TestWithParam<TCentralPatch> {};

TEST_P(ReaderRejects, EntryFailsWithoutWriting) {
    std::string archive = BuildArchive(AppEntries);
    PutLe(archive, CentralRecordOffset(archive, 5) + GetParam().field, GetParam().value, GetParam().width);
    TAbZipKit kit;
    Open(kit, archive);
    std::string out;
    EXPECT_EQ(kit.TryExtract("app/sub/data.bin", out), GetParam().expected);
    EXPECT_TRUE(out.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Patches, ReaderRejects,
    ::testing::Values(TCentralPatch{"VersionNeededAbove63", 6, 2, 64, TAbExtractStatus::UnsupportedMethod},
                      TCentralPatch{"UnknownMethod", 10, 2, 99, TAbExtractStatus::UnsupportedMethod},
                      TCentralPatch{"DeflateClaimingGigabytes", 24, 4, 0xFFFFFFF0u, TAbExtractStatus::DamagedData},
                      TCentralPatch{"StoredLongerThanItsData", 24, 4, 3001, TAbExtractStatus::DamagedData},
                      TCentralPatch{"LocalHeaderOutside", 42, 4, 0x7FFFFFF0u, TAbExtractStatus::DamagedData},
                      TCentralPatch{"CompressedSizeOutside", 20, 4, 0x7FFFFFF0u, TAbExtractStatus::DamagedData}),
    [](const ::testing::TestParamInfo<TCentralPatch>& info) { return std::string(info.param.name); });

// Deflate claiming gigabytes must first be a Deflate entry.
TEST(ReaderExtraction, DeflateEntryWithAHugeDeclaredSizeIsRefused) {
    std::string archive = BuildArchive(AppEntries);
    const std::size_t record = CentralRecordOffset(archive, 5);
    PutLe(archive, record + 10, 8, 2);
    PutLe(archive, record + 24, 0xFFFFFFF0u, 4);
    TAbZipKit kit;
    Open(kit, archive);
    std::string out;
    EXPECT_EQ(kit.TryExtract("app/sub/data.bin", out), TAbExtractStatus::DamagedData);
    EXPECT_TRUE(out.empty());
}

struct TNameCase {
    const char* name;
    std::string raw;
    std::string extra;
    uint16_t flags;
    uint16_t madeBy;
    std::string expected;
};

std::string ExtraBlock(uint16_t id, const std::string& data) {
    std::string block(4, '\0');
    PutLe(block, 0, id, 2);
    PutLe(block, 2, static_cast<uint32_t>(data.size()), 2);
    return block + data;
}

std::string UnicodePath(const std::string& forRaw, const std::string& utf8, bool rightCrc = true) {
    std::string data(5, '\0');
    data[0] = 1;
    const uint32_t crc = static_cast<uint32_t>(
        crc32(0, reinterpret_cast<const Bytef*>(forRaw.data()), static_cast<uInt>(forRaw.size())));
    PutLe(data, 1, rightCrc ? crc : crc ^ 1, 4);
    return ExtraBlock(0x7075, data + utf8);
}

std::string Utf16Name(const std::u16string& name) {
    std::string data(8, '\0');
    PutLe(data, 0, 0x5843554E, 4);
    PutLe(data, 4, static_cast<uint32_t>(name.size()), 2);
    for (char16_t unit : name) {
        data.push_back(static_cast<char>(unit & 0xFF));
        data.push_back(static_cast<char>(unit >> 8));
    }
    return ExtraBlock(0x554E, data);
}

class NameDecoding : public ::testing::TestWithParam<TNameCase> {};

TEST_P(NameDecoding, GivesUtf8) {
    const TNameCase& c = GetParam();
    EXPECT_EQ(TZipNames::DecodeName(c.raw, c.extra, c.flags, c.madeBy), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, NameDecoding,
    ::testing::Values(TNameCase{"Ascii", "app/index.html", "", 0, 0, "app/index.html"},
                      TNameCase{"Utf8Flag", "caf\xC3\xA9", "", 0x0800, 0, "café"},
                      TNameCase{"Utf8FlagWithBadBytesIsRepaired", "a\xFF", "", 0x0800, 0, "a\xEF\xBF\xBD"},
                      TNameCase{"WellFormedUtf8WithoutFlag", "caf\xC3\xA9", "", 0, 0x0300, "café"},
                      TNameCase{"UnicodePathField", "caf\x82", UnicodePath("caf\x82", "café"), 0, 0, "café"},
                      TNameCase{"UnicodePathFieldWithStaleCrcIgnored", "caf\x82", UnicodePath("caf\x82", "cafX", false),
                                0, 0, "café"},
                      TNameCase{"Utf16NameField", "x", Utf16Name(u"日本.txt"), 0, 0x0A00, "日本.txt"},
                      TNameCase{"OemFromMsDosHost", "caf\x82", "", 0, 0x0014, "café"},
                      TNameCase{"AnsiFromOtherHosts", "caf\xE9", "", 0, 0x0B14, "café"}),
    [](const ::testing::TestParamInfo<TNameCase>& info) { return std::string(info.param.name); });

// Parts of an entry, read in an order that makes later reads resume the cipher from states kept
// by earlier ones (the far end first, then parts before it, then a whole read and parts again).
struct TRangeCase {
    uint64_t offset;
    uint64_t length;
};

std::string ExtractRange(const TAbZipKit& kit, const std::string& name, uint64_t offset, uint64_t length,
                         TAbExtractStatus expected = TAbExtractStatus::Ok) {
    std::string out;
    EXPECT_EQ(kit.TryExtractRange(name, offset, length,
                                  [&](const char* data, std::size_t size) {
                                      out.append(data, size);
                                      return true;
                                  }),
              expected)
        << name << " @" << offset << "+" << length;
    return out;
}

TEST(ReaderRanges, EveryPartOfAStoredEntryMatchesTheFileWhateverTheOrderOfReads) {
    const std::string body = RandomBytes(5 * 65536 + 1234, 21);
    const uint64_t size = body.size();
    const std::vector<TRangeCase> cases = {
        {size - 1, 1},   {size - 10, 100},   {4 * 65536 - 3, 7}, {65536, 1},      {65535, 2},       {0, 10},
        {200000, 70000}, {3 * 65536, 65536}, {size, 5},          {size + 100, 1}, {131072 + 17, 0}, {1, size},
    };
    const std::string archive = BuildArchive({{"media/clip.bin", body}});
    for (const bool wholeFirst : {false, true}) {
        TAbZipKit kit;
        Open(kit, archive);
        if (wholeFirst) {
            EXPECT_TRUE(Extract(kit, "media/clip.bin") == body);
        }
        for (const TRangeCase& c : cases) {
            const std::string expected = c.offset >= size ? std::string() : body.substr(c.offset, c.length);
            EXPECT_TRUE(ExtractRange(kit, "media/clip.bin", c.offset, c.length) == expected)
                << "whole first " << wholeFirst << " @" << c.offset << "+" << c.length;
        }
        EXPECT_TRUE(Extract(kit, "media/clip.bin") == body);
    }
}

TEST(ReaderRanges, APartAvoidingDamageIsServedAndTheWholeEntryStillFailsItsCheck) {
    const std::string body = RandomBytes(3 * 65536, 22);
    std::string archive = BuildArchive({{"clip.bin", body}});
    archive[DataOffset(archive, 0) + 12 + 2 * 65536 + 5] ^= 0x5A;
    TAbZipKit kit;
    Open(kit, archive);
    EXPECT_TRUE(ExtractRange(kit, "clip.bin", 65536, 4096) == body.substr(65536, 4096));
    EXPECT_TRUE(ExtractRange(kit, "clip.bin", 0, body.size(), TAbExtractStatus::CrcMismatch).size() == body.size());
    EXPECT_EQ(ExtractRange(kit, "missing.bin", 0, 1, TAbExtractStatus::NotFound), "");
}

// Pulls a part through an entry reader in reads of an awkward size; the status of the read that
// ended it is kept.
std::string PullPart(const TAbZipKit& kit, const std::string& name, uint64_t offset, uint64_t length,
                     TAbExtractStatus& end) {
    TAbExtractStatus opened;
    std::unique_ptr<TAbEntryReader> reader = kit.OpenEntry(name, offset, length, opened);
    EXPECT_EQ(opened, TAbExtractStatus::Ok);
    if (!reader) return {};
    std::string out;
    char buffer[7001];
    for (std::size_t got; (got = reader->Read(buffer, sizeof buffer, end)) > 0;) out.append(buffer, got);
    return out;
}

TEST(ReaderPulledParts, ComeOutByteForByteAndAWholeDamagedEntryFailsBeforeItsLastBytes) {
    const std::string body = RandomBytes(4 * 65536 + 99, 23);
    TAbZipKit kit;
    Open(kit, BuildArchive({{"clip.bin", body}}));
    TAbExtractStatus end;
    for (const auto& [offset, length] :
         {std::pair<uint64_t, uint64_t>{0, body.size()}, {body.size() - 5, 50}, {65530, 140000}, {3, 0}}) {
        EXPECT_TRUE(PullPart(kit, "clip.bin", offset, length, end) == body.substr(offset, length)) << offset;
        EXPECT_EQ(end, TAbExtractStatus::Ok);
    }

    std::string archive = BuildArchive({{"clip.bin", body}});
    archive[DataOffset(archive, 0) + 12 + 65536] ^= 1;
    TAbZipKit damaged;
    Open(damaged, archive);
    const std::string whole = PullPart(damaged, "clip.bin", 0, body.size(), end);
    EXPECT_EQ(end, TAbExtractStatus::CrcMismatch);
    EXPECT_LT(whole.size(), body.size());
    EXPECT_TRUE(PullPart(damaged, "clip.bin", 1000, 1000, end) == body.substr(1000, 1000));
    EXPECT_EQ(end, TAbExtractStatus::Ok);

    TAbExtractStatus opened;
    EXPECT_EQ(kit.OpenEntry("missing.bin", 0, 1, opened), nullptr);
    EXPECT_EQ(opened, TAbExtractStatus::NotFound);
}

}  // namespace
}  // namespace zorv::test
