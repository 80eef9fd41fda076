#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "archive/ZipWriter.h"
#include "backends/gtk/EntryInputStream.h"
#include "backends/gtk/GLibOwned.h"
#include "shared/Utf8Path.h"
#include "support/ScratchFolder.h"

namespace zorv::test {
namespace {

std::string Pattern(std::size_t size) {
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>(i * 31 % 251);
    return bytes;
}

// Reads a stream to its end the way the engine does: asynchronously, a small buffer at a time,
// the next read started from the last one's callback, the main loop running in between.
class TEngineRead {
public:
    explicit TEngineRead(GInputStream* stream) : FStream(stream) {}

    // Runs the main loop until the stream ends or fails, or `until` says to stop.
    void Run(const std::function<bool()>& until = [] { return false; }) {
        if (!FStarted) {
            FStarted = true;
            Next();
        }
        while (!FDone && !until()) g_main_context_iteration(nullptr, TRUE);
    }
    void Next() {
        g_input_stream_read_async(FStream, FBuffer, sizeof FBuffer, G_PRIORITY_DEFAULT, nullptr, Read, this);
    }
    static void Read(GObject* source, GAsyncResult* result, gpointer self) {
        auto* read = static_cast<TEngineRead*>(self);
        GError* failure = nullptr;
        const gssize got = g_input_stream_read_finish(G_INPUT_STREAM(source), result, &failure);
        if (got <= 0) {
            read->FError.reset(failure);
            read->FDone = true;
            return;
        }
        read->bytes.append(read->FBuffer, static_cast<std::size_t>(got));
        read->Next();
    }
    bool Done() const { return FDone; }
    const GError* Error() const { return FError.get(); }

    std::string bytes;

private:
    GInputStream* FStream;
    char FBuffer[8192];
    bool FStarted = false;
    bool FDone = false;
    TGErrorOwned FError;
};

TGObjectOwned<GInputStream> OpenStream(const std::filesystem::path& file, uint64_t offset, uint64_t length,
                                       TCatchUp catchUp = {}) {
    TResult<std::unique_ptr<TFileReader>> reader = TFileReader::Open(PathToUtf8(file), offset, length);
    EXPECT_TRUE(reader) << reader.Error();
    return TGObjectOwned<GInputStream>(NewFileInputStream(std::move(reader).Value(), std::move(catchUp)));
}

TEST(FileInputStream, HandsOverThePartAsTheEngineReadsIt) {
    TScratchFolder folder;
    const std::string bytes = Pattern(3 * TFileReader::BlockSize + 123);
    folder.Write("file.bin", bytes);
    const auto stream = OpenStream(folder / "file.bin", 1000, bytes.size() - 2000);
    TEngineRead read(stream.get());
    read.Run();
    EXPECT_EQ(read.Error(), nullptr);
    EXPECT_TRUE(read.bytes == bytes.substr(1000, bytes.size() - 2000));
}

TEST(FileInputStream, AFileCutShortEndsInAnErrorNotAShortBody) {
    TScratchFolder folder;
    const std::string bytes = Pattern(4 * TFileReader::BlockSize);
    folder.Write("file.bin", bytes);
    const auto stream = OpenStream(folder / "file.bin", 0, bytes.size());
    TEngineRead read(stream.get());
    read.Run([&] { return !read.bytes.empty(); });
    std::filesystem::resize_file(folder / "file.bin", TFileReader::BlockSize + 10);
    read.Run();
    ASSERT_NE(read.Error(), nullptr);
    EXPECT_TRUE(g_error_matches(read.Error(), G_IO_ERROR, G_IO_ERROR_INVALID_DATA));
    EXPECT_LT(read.bytes.size(), bytes.size());
}

// A consumer that says when it has caught up: the stream asks every interval and never gets more
// than two intervals ahead of the last answer; one that never answers still gets the whole body.
TEST(FileInputStream, NeverGetsMoreThanTwoIntervalsAheadOfItsConsumer) {
    TScratchFolder folder;
    const std::string bytes = Pattern(5 * CatchUpInterval + 4321);
    folder.Write("file.bin", bytes);
    std::vector<std::function<void()>> unanswered;
    std::vector<std::size_t> askedAt;
    TEngineRead* reading = nullptr;
    const auto stream = OpenStream(folder / "file.bin", 0, bytes.size(), [&](std::function<void()> resume) {
        askedAt.push_back(reading->bytes.size());
        unanswered.push_back(std::move(resume));
    });
    TEngineRead read(stream.get());
    reading = &read;
    // Unanswered, the stream stops at two intervals: what the main loop has ready hands over
    // nothing more (until the wait ends, CatchUpWaitMs later).
    read.Run([&] { return read.bytes.size() >= 2 * CatchUpInterval; });
    while (g_main_context_iteration(nullptr, FALSE)) {
    }
    EXPECT_EQ(read.bytes.size(), 2 * CatchUpInterval);
    EXPECT_EQ(askedAt, (std::vector<std::size_t>{CatchUpInterval}));
    // Each answer lets one more interval through.
    for (std::size_t answered = 0; answered < 2; ++answered) {
        std::exchange(unanswered[answered], nullptr)();
        read.Run([&] { return read.bytes.size() >= (answered + 3) * CatchUpInterval; });
        EXPECT_EQ(unanswered.size(), answered + 2);
    }
    // Left unanswered, the rest still comes, an interval per wait.
    read.Run();
    EXPECT_EQ(read.Error(), nullptr);
    EXPECT_TRUE(read.bytes == bytes);
}

// An archive holding `bytes` as the stored, encrypted entry "entry.bin", as packaged files carry it.
std::string ArchiveOf(const std::string& bytes) {
    std::string archive;
    TZipWriter writer(
        [&archive](const void* data, std::size_t size) {
            archive.append(static_cast<const char*>(data), size);
            return true;
        },
        "secret");
    EXPECT_TRUE(writer.AddFile("entry.bin", TDosDateTime{}, bytes));
    EXPECT_TRUE(writer.Finish());
    return archive;
}

TGObjectOwned<GInputStream> OpenEntryStream(const TAbZipKit& kit, uint64_t offset, uint64_t length) {
    TAbExtractStatus status = TAbExtractStatus::Ok;
    std::unique_ptr<TAbEntryReader> reader = kit.OpenEntry("entry.bin", offset, length, status);
    EXPECT_EQ(status, TAbExtractStatus::Ok);
    return TGObjectOwned<GInputStream>(NewEntryInputStream(std::move(reader)));
}

// Parts that start and end inside a block, and the whole entry, whose CRC is then checked.
TEST(EntryInputStream, HandsOverThePartAsTheEngineReadsIt) {
    const std::string bytes = Pattern(3 * EntryBlockSize + 123);
    TAbZipKit kit;
    kit.SetPassword("secret");
    kit.LoadFromMemory(ArchiveOf(bytes));
    const struct {
        uint64_t offset, length;
    } parts[] = {{0, bytes.size()}, {1000, bytes.size() - 2000}, {EntryBlockSize - 1, EntryBlockSize + 2}};
    for (const auto& part : parts) {
        const auto stream = OpenEntryStream(kit, part.offset, part.length);
        TEngineRead read(stream.get());
        read.Run();
        EXPECT_EQ(read.Error(), nullptr) << part.offset;
        EXPECT_TRUE(read.bytes == bytes.substr(part.offset, part.length)) << part.offset;
    }
}

// A damaged entry read whole hands over the blocks before the damage is known, then an error:
// never the whole length as if it were sound.
TEST(EntryInputStream, ADamagedEntryEndsInAnErrorNotAWholeBody) {
    const std::string bytes = Pattern(3 * EntryBlockSize + 123);
    std::string archive = ArchiveOf(bytes);
    archive[2 * EntryBlockSize] = static_cast<char>(archive[2 * EntryBlockSize] ^ 0x20);
    TAbZipKit kit;
    kit.SetPassword("secret");
    kit.LoadFromMemory(std::move(archive));
    const auto stream = OpenEntryStream(kit, 0, bytes.size());
    TEngineRead read(stream.get());
    read.Run();
    ASSERT_NE(read.Error(), nullptr);
    EXPECT_TRUE(g_error_matches(read.Error(), G_IO_ERROR, G_IO_ERROR_INVALID_DATA));
    EXPECT_LT(read.bytes.size(), bytes.size());
}

}  // namespace
}  // namespace zorv::test
