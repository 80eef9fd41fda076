// The appended-archive container: image sizes of real ELF and PE files, and the copies in and
// out of a packaged file with their progress events.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "support/ArchiveBuilder.h"
#include "ArchiveTestSupport.h"
#include "archive/AbZipKit.h"
#include "shared/ExeUtils.h"

namespace zorv::test {
namespace {

std::string Utf8(const fs::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

// Records the progress events of one TExeUtils.
struct TProgressLog {
    std::vector<int64_t> maxima, positions;
    void Attach(TExeUtils& exe) {
        exe.OnProgressMax = [this](TExeUtils&, int64_t max) { maxima.push_back(max); };
        exe.OnProgressPos = [this](TExeUtils&, int64_t pos) { positions.push_back(pos); };
    }
};

std::string MinimalPe(const std::vector<std::pair<uint32_t, uint32_t>>& sections, uint16_t optionalHeaderSize = 240);

class PackagedCopy : public ::testing::Test {
protected:
    void SetUp() override {
#ifdef _WIN32
        // The Windows test programs are not stripped: their symbol table lies behind the last
        // section and would read as appended data. A small image with its section data stands in.
        FRuntime = MinimalPe({{ 0x400, 0x2000 }});
        FRuntime.resize(0x2400, '\x90');
#else
        FRuntime = ReadFile(TExeUtils::RunningExePath());
#endif
        ASSERT_FALSE(FRuntime.empty());
        FExe = FDir / "app.bin";
        WriteFile(FExe, FRuntime);
    }
    void Append(const std::string& bytes) { WriteFile(FExe, FRuntime + bytes); }

    TScratchFolder FDir;
    std::string FRuntime;
    fs::path FExe;
};

TEST(ExeImage, StubSizeOfThisTestProgram) {
    const std::string self = TExeUtils::RunningExePath();
    const std::optional<uint64_t> stub = TExeUtils::StubSizeOfFile(self);
    ASSERT_TRUE(stub.has_value());
#ifdef _WIN32
    ASSERT_EQ(TExeUtils::ImageKindOfFile(self), TExeImageKind::Pe);
    EXPECT_LE(*stub, TExeUtils::GetFileByteSize(self).value_or(0));  // symbols may follow
#else
    ASSERT_EQ(TExeUtils::ImageKindOfFile(self), TExeImageKind::Elf);
    EXPECT_EQ(stub, TExeUtils::GetFileByteSize(self));
    EXPECT_FALSE(TExeUtils().ExeHasAttachedStub());
#endif
}

TEST(ExeImage, CutOrForeignBytesAreNoImage) {
    const std::string self = ReadFile(TExeUtils::RunningExePath());
    EXPECT_FALSE(TExeUtils::StubSizeOfBytes(self.substr(0, 200)).has_value());  // section table cut off
    EXPECT_FALSE(TExeUtils::StubSizeOfBytes("PK\x03\x04 not an image").has_value());
    EXPECT_FALSE(TExeUtils::StubSizeOfBytes("").has_value());
    EXPECT_EQ(TExeUtils::ImageKind([](uint64_t, void*, std::size_t) { return false; }), TExeImageKind::Unknown);
}

// A minimal PE image: DOS header, "PE\0\0", file header, an optional header, and a section table.
std::string MinimalPe(const std::vector<std::pair<uint32_t, uint32_t>>& sections, uint16_t optionalHeaderSize) {
    const uint32_t peOffset = 0x80;
    std::string image(peOffset + 24 + optionalHeaderSize + 40 * sections.size(), '\0');
    image[0] = 'M';
    image[1] = 'Z';
    PutLe(image, 0x3C, peOffset, 4);
    image.replace(peOffset, 4, std::string("PE\0\0", 4));
    PutLe(image, peOffset + 4, 0x8664, 2);
    PutLe(image, peOffset + 6, static_cast<uint32_t>(sections.size()), 2);
    PutLe(image, peOffset + 20, optionalHeaderSize, 2);
    std::size_t entry = peOffset + 24 + optionalHeaderSize;
    for (const auto& [pointer, size] : sections) {
        PutLe(image, entry + 16, size, 4);
        PutLe(image, entry + 20, pointer, 4);
        entry += 40;
    }
    return image;
}

struct TPeCase {
    const char* name;
    std::vector<std::pair<uint32_t, uint32_t>> sections;  // PointerToRawData, SizeOfRawData
    uint64_t stubSize;
};

class PeStubSize : public ::testing::TestWithParam<TPeCase> {};

TEST_P(PeStubSize, IsTheFurthestEndOfRawSectionData) {
    const std::string image = MinimalPe(GetParam().sections);
    EXPECT_EQ(TExeUtils::ImageKind([&](uint64_t offset, void* target, std::size_t size) {
                  if (offset + size > image.size()) return false;
                  std::copy_n(image.data() + offset, size, static_cast<char*>(target));
                  return true;
              }),
              TExeImageKind::Pe);
    EXPECT_EQ(TExeUtils::StubSizeOfBytes(image), GetParam().stubSize);
}

INSTANTIATE_TEST_SUITE_P(
    Tables, PeStubSize,
    ::testing::Values(TPeCase{"NoSections", {}, 0},
                      TPeCase{"LastSectionFurthest", {{0x400, 0x200}, {0x600, 0x1000}}, 0x1600},
                      TPeCase{"FurthestSectionNotLast", {{0x400, 0x9000}, {0x9400, 0x10}, {0x600, 0x0}}, 0x9410},
                      TPeCase{"FieldsAreUnsigned32Bit", {{0xFFFFFF00u, 0xFFFFFF00u}}, 0x1FFFFFE00ull}),
    [](const ::testing::TestParamInfo<TPeCase>& info) { return std::string(info.param.name); });

TEST(ExeImage, PeStubSizeOfACrossCompiledProgramIsItsFileSize) {
    if (!HasTool("x86_64-w64-mingw32-gcc")) GTEST_SKIP() << "no mingw-w64 compiler";
    TScratchFolder dir;
    WriteFile(dir / "tiny.c", "int main(void) { return 0; }\n");
    // Stripped: an unstripped image carries a symbol table after its last section.
    ASSERT_EQ(RunShell("x86_64-w64-mingw32-gcc -s -o " + Quote(dir / "tiny.exe") + " " + Quote(dir / "tiny.c")), 0);
    const std::string exe = Utf8(dir / "tiny.exe");
    ASSERT_EQ(TExeUtils::ImageKindOfFile(exe), TExeImageKind::Pe);
    EXPECT_EQ(TExeUtils::StubSizeOfFile(exe), TExeUtils::GetFileByteSize(exe));
    EXPECT_FALSE(TExeUtils(exe).ExeHasAttachedStub());
    WriteFile(dir / "tiny.exe", ReadFile(dir / "tiny.exe") + "appended");
    TExeUtils packaged(exe);
    EXPECT_TRUE(packaged.ExeHasAttachedStub());
    const TResult<std::string> region = packaged.GetZipFromExe();
    ASSERT_TRUE(region) << region.Error();
    EXPECT_EQ(region.Value(), "appended");
}

TEST_F(PackagedCopy, NothingAppendedIsReportedNotCopied) {
    TExeUtils exe(Utf8(FExe));
    EXPECT_FALSE(exe.ExeHasAttachedStub());
    const TResult<std::string> region = exe.GetZipFromExe();
    EXPECT_EQ(region.Error(), TExeUtils::NotValidApplicationMessage);
    EXPECT_EQ(exe.OpenZipInExe().Error(), TExeUtils::NotValidApplicationMessage);
    EXPECT_EQ(exe.ExtractZipFromExe(Utf8(FDir / "out.zip")).Error(), TExeUtils::NotValidApplicationMessage);
    EXPECT_FALSE(fs::exists(FDir / "out.zip"));
}

TEST_F(PackagedCopy, AppendedRegionComesBackWithProgressInBufferSteps) {
    const std::string appended = RandomBytes(25000, 5);
    Append(appended);
    TExeUtils exe(Utf8(FExe));
    TProgressLog log;
    log.Attach(exe);
    EXPECT_TRUE(exe.ExeHasAttachedStub());
    const TResult<std::string> region = exe.GetZipFromExe();
    ASSERT_TRUE(region) << region.Error();
    EXPECT_EQ(region.Value(), appended);
    EXPECT_EQ(log.maxima, std::vector<int64_t>{25000});
    EXPECT_EQ(log.positions, (std::vector<int64_t>{10240, 20480, 25000}));

    WriteFile(FDir / "out.zip", "an older, longer file that must be replaced entirely");
    const TStatus extracted = exe.ExtractZipFromExe(Utf8(FDir / "out.zip"));
    ASSERT_TRUE(extracted) << extracted.Error();
    EXPECT_EQ(ReadFile(FDir / "out.zip"), appended);
}

TEST_F(PackagedCopy, AppendZipToExeAddsTheWholeFile) {
    const std::string archive = BuildArchive({{"zorv.ini", "[App]"}, {"app/index.html", RandomBytes(30000, 9)}});
    WriteFile(FDir / "app.zip", archive);
    TExeUtils exe;
    TProgressLog log;
    log.Attach(exe);
    const TStatus appended = exe.AppendZipToExe(Utf8(FDir / "app.zip"), Utf8(FExe));
    ASSERT_TRUE(appended) << appended.Error();
    EXPECT_EQ(ReadFile(FExe), FRuntime + archive);
    EXPECT_EQ(log.maxima, std::vector<int64_t>{static_cast<int64_t>(archive.size())});
    EXPECT_EQ(log.positions.back(), static_cast<int64_t>(archive.size()));

    // The runtime's way in: appended region into memory, then the reader.
    TResult<std::string> region = TExeUtils(Utf8(FExe)).GetZipFromExe();
    ASSERT_TRUE(region) << region.Error();
    TAbZipKit kit;
    kit.SetPassword(ZORV_ARCHIVE_PASSWORD);
    kit.LoadFromMemory(std::move(region).Value());
    EXPECT_EQ(kit.Count(), 2);
}

TEST_F(PackagedCopy, ArchiveStillOpensWhenSignedAfterPackaging) {
    const std::string archive = BuildArchive({{"zorv.ini", "[App]\nID=signed\n"}});
    const std::string certificateTable = std::string(8, '\0') + RandomBytes(6000, 13);
    Append(archive + certificateTable);
    TResult<std::string> region = TExeUtils(Utf8(FExe)).GetZipFromExe();
    ASSERT_TRUE(region) << region.Error();
    EXPECT_EQ(region.Value().size(), archive.size() + certificateTable.size());
    TAbZipKit kit;
    kit.SetPassword(ZORV_ARCHIVE_PASSWORD);
    kit.LoadFromMemory(std::move(region).Value());
    std::string ini;
    ASSERT_EQ(kit.TryExtract("zorv.ini", ini), TAbExtractStatus::Ok);
    EXPECT_EQ(ini, "[App]\nID=signed\n");
}

TEST_F(PackagedCopy, EmptyZipAppendsNothingAndReportsZero) {
    WriteFile(FDir / "empty.zip", "");
    TExeUtils exe;
    TProgressLog log;
    log.Attach(exe);
    ASSERT_TRUE(exe.AppendZipToExe(Utf8(FDir / "empty.zip"), Utf8(FExe)).Ok());
    EXPECT_EQ(log.maxima, std::vector<int64_t>{0});
    EXPECT_TRUE(log.positions.empty());
    EXPECT_EQ(ReadFile(FExe), FRuntime);
}

TEST_F(PackagedCopy, MissingFilesAreReportedWithTheirNames) {
    WriteFile(FDir / "app.zip", "zip");
    TExeUtils exe;
    EXPECT_NE(exe.AppendZipToExe(Utf8(FDir / "app.zip"), Utf8(FDir / "missing.exe"))
                  .Error()
                  .find("Cannot open file \"" + Utf8(FDir / "missing.exe") + "\""),
              std::string::npos);
    EXPECT_FALSE(fs::exists(FDir / "missing.exe"));
    EXPECT_NE(exe.AppendZipToExe(Utf8(FDir / "missing.zip"), Utf8(FExe)).Error().find("missing.zip"),
              std::string::npos);
    EXPECT_EQ(ReadFile(FExe), FRuntime);
    EXPECT_FALSE(TExeUtils(Utf8(FDir / "missing.exe")).ExeHasAttachedStub());
}

TEST_F(PackagedCopy, ErrorFromAProgressHandlerPassesThrough) {
    Append(RandomBytes(30000, 2));
    TExeUtils exe(Utf8(FExe));
    exe.OnProgressPos = [](TExeUtils&, int64_t) { throw std::runtime_error("cancelled"); };
    EXPECT_THROW((void)exe.ExtractZipFromExe(Utf8(FDir / "out.zip")), std::runtime_error);
    EXPECT_FALSE(fs::exists(FDir / "out.zip"));  // the partial copy is gone
}

// The runtime's own way in, in a real process: a copy of this test program with an archive
// appended finds the archive behind its own image. Told so by ZORV_SELF_PACKAGED, the copy does
// only that, before any test runs, and exits with 0 when it read "zorv.ini" back.
int CheckOwnArchiveAndExit() {
    TExeUtils self;
    TResult<std::string> region = self.GetZipFromExe();
    if (!self.ExeHasAttachedStub() || !region) {
        std::fprintf(stderr, "no appended archive: %s\n", region.Error().c_str());
        std::exit(1);
    }
    TAbZipKit kit;
    kit.SetPassword(ZORV_ARCHIVE_PASSWORD);
    kit.LoadFromMemory(std::move(region).Value());
    std::string ini;
    const bool ok = kit.TryExtract("zorv.ini", ini) == TAbExtractStatus::Ok && ini == "[App]\nID=self\n";
    std::fprintf(stderr, "zorv.ini: %s\n", ini.c_str());
    std::exit(ok ? 0 : 2);
}
const int SelfPackagedCheck = std::getenv("ZORV_SELF_PACKAGED") ? CheckOwnArchiveAndExit() : 0;

#ifndef _WIN32
TEST(SelfPackaged, PackagedCopyOfThisProgramFindsItsArchive) {
    TScratchFolder dir;
    const fs::path copy = dir / "packaged-tests";
    WriteFile(copy, ReadFile(TExeUtils::RunningExePath()) + BuildArchive({{"zorv.ini", "[App]\nID=self\n"}}));
    fs::permissions(copy, fs::perms::owner_exec, fs::perm_options::add);
    const std::string command = "ZORV_SELF_PACKAGED=1 " + Quote(copy) + " > " + Quote(dir / "log") + " 2>&1";
    EXPECT_EQ(RunShell(command), 0) << ReadFile(dir / "log");
    EXPECT_EQ(ReadFile(dir / "log"), "zorv.ini: [App]\nID=self\n\n");
}
#endif

}  // namespace
}  // namespace zorv::test

namespace zorv::test {
namespace {

// The runtime's way in: the appended region read in place from the file, which stays open. A file
// cut short while in use turns into a failed read of the entries past the cut (never a crash);
// on Windows the file cannot be cut at all while it is held.
TEST_F(PackagedCopy, RegionReadInPlaceAndCutShortFailsCleanly) {
    const std::string big = RandomBytes(1 << 20, 29);
    const std::string archive = BuildArchive({{"zorv.ini", "[App]\nID=mapped\n"}, {"app/big.bin", big}});
    Append(archive);
    TExeUtils exe(Utf8(FExe));
    TResult<std::unique_ptr<TFileRegion>> region = exe.OpenZipInExe();
    ASSERT_TRUE(region) << region.Error();
    EXPECT_EQ(region.Value()->Size(), archive.size());
    TAbZipKit kit;
    kit.SetPassword(ZORV_ARCHIVE_PASSWORD);
    kit.LoadFromSource(std::move(region).Value());
    std::string ini, whole;
    ASSERT_EQ(kit.TryExtract("zorv.ini", ini), TAbExtractStatus::Ok);
    EXPECT_EQ(ini, "[App]\nID=mapped\n");
    ASSERT_EQ(kit.TryExtract("app/big.bin", whole), TAbExtractStatus::Ok);
    EXPECT_EQ(whole, big);

    // A reader moved back and forth gives the bytes of where it stands.
    TAbExtractStatus status = TAbExtractStatus::Ok;
    std::unique_ptr<TAbEntryReader> reader = kit.OpenEntry("app/big.bin", 0, big.size(), status);
    ASSERT_TRUE(reader);
    std::string part(1000, '\0');
    for (const uint64_t at : {uint64_t{700000}, uint64_t{70}, uint64_t{(1 << 20) - 1000}}) {
        ASSERT_TRUE(reader->Seek(at));
        ASSERT_EQ(reader->Read(part.data(), part.size(), status), part.size());
        EXPECT_EQ(part, big.substr(at, part.size())) << at;
    }

    std::error_code error;
    fs::resize_file(FExe, FRuntime.size() + archive.size() / 2, error);
#ifdef _WIN32
    EXPECT_TRUE(error) << "a held packaged file must not be cut short";
#else
    ASSERT_FALSE(error) << error.message();
    std::string afterCut;
    EXPECT_EQ(kit.TryExtract("app/big.bin", afterCut), TAbExtractStatus::ReadFailed);
    EXPECT_TRUE(afterCut.empty());
    ASSERT_TRUE(reader->Seek(0));
    std::string buffer(1 << 20, '\0');
    std::size_t got = 0;
    while (status == TAbExtractStatus::Ok) {
        const std::size_t n = reader->Read(buffer.data(), buffer.size(), status);
        if (n == 0) break;
        got += n;
    }
    EXPECT_EQ(status, TAbExtractStatus::ReadFailed);
    EXPECT_LT(got, big.size());
#endif
}

}  // namespace
}  // namespace zorv::test
