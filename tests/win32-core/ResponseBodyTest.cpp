#include <gtest/gtest.h>

#include <functional>
#include <limits>
#include <memory>
#include <optional>
#include <string>

#include "TestArchive.h"
#include "backends/win32/EntryStream.h"
#include "backends/win32/ResponseBody.h"

namespace zorv::test {
namespace {

constexpr char EntryName[] = "app/index.html";

std::string ReadAll(IStream* stream) {
    std::string body;
    char buffer[7];  // smaller than every body: the reads go on in pieces
    for (;;) {
        ULONG read = 0;
        const HRESULT result = stream->Read(buffer, sizeof(buffer), &read);
        EXPECT_TRUE(SUCCEEDED(result));
        if (FAILED(result)) break;
        body.append(buffer, read);
        if (result == S_FALSE || read == 0) break;
    }
    return body;
}

void Rewind(IStream* stream) {
    LARGE_INTEGER start{};
    ASSERT_EQ(stream->Seek(start, STREAM_SEEK_SET, nullptr), S_OK);
}

std::unique_ptr<TAbEntryReader> OpenWholeEntry(const TAbZipKit& archive) {
    TAbExtractStatus status = TAbExtractStatus::Ok;
    return archive.OpenEntry(EntryName, 0, std::numeric_limits<uint64_t>::max(), status);
}

std::string WriteScratchFile(const std::string& bytes) {
    const std::string path = ProgramDir() + "response-body-test.bin";
    EXPECT_TRUE(WriteFileBytes(path, bytes));
    return path;
}

// Each kind of body: WebView2 reads it on a thread of its own, so each must be callable from
// there directly (agile, free-threaded marshaling), never through the thread that made it.
TEST(ResponseBodyTest, EveryKindOfBodyIsAgileAndMarshalledFreeThreaded) {
    const std::unique_ptr<TAbZipKit> archive = OpenTestArchive();
    const std::string path = WriteScratchFile("file bytes");
    const struct {
        const char* kind;
        std::function<TComPtr<IStream>()> make;
    } cases[] = {
        {"entry", [&] { return NewEntryStream(OpenWholeEntry(*archive)); }},
        {"file", [&] { return NewFileStream(std::move(TFileReader::Open(path, 0, 10)).Value()); }},
        {"memory", [] { return NewMemoryStream("in memory"); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.kind);
        const TComPtr<IStream> stream = c.make();
        ASSERT_TRUE(stream);
        EXPECT_TRUE(stream.As<IAgileObject>());
        const TComPtr<IMarshal> marshal = stream.As<IMarshal>();
        ASSERT_TRUE(marshal);
        CLSID unmarshaler{};
        ASSERT_EQ(marshal->GetUnmarshalClass(__uuidof(IStream), stream.Get(), MSHCTX_INPROC, nullptr, MSHLFLAGS_NORMAL,
                                             &unmarshaler),
                  S_OK);
        TComPtr<IUnknown> freeThreaded;
        ASSERT_EQ(::CoCreateFreeThreadedMarshaler(nullptr, freeThreaded.Put()), S_OK);
        CLSID expected{};
        freeThreaded.As<IMarshal>()->GetUnmarshalClass(__uuidof(IStream), stream.Get(), MSHCTX_INPROC, nullptr,
                                                       MSHLFLAGS_NORMAL, &expected);
        EXPECT_TRUE(IsEqualCLSID(unmarshaler, expected));
    }
    ::DeleteFileA(path.c_str());
}

// WebView2 may hold a response's stream after the window, and the archive with it, are gone.
TEST(ResponseBodyTest, AnEntryStreamOutlivesTheArchiveItReadsFrom) {
    std::unique_ptr<TAbZipKit> archive = OpenTestArchive();
    std::string whole;
    ASSERT_EQ(archive->TryExtract(EntryName, whole), TAbExtractStatus::Ok);
    const TComPtr<IStream> stream = NewEntryStream(OpenWholeEntry(*archive));
    archive.reset();
    EXPECT_EQ(ReadAll(stream.Get()), whole);
    Rewind(stream.Get());
    EXPECT_EQ(ReadAll(stream.Get()), whole);
}

TEST(ResponseBodyTest, AFileStreamReadsItsPartAndReadsItAgainAfterARewind) {
    const std::string path = WriteScratchFile("0123456789abcdef");
    const TComPtr<IStream> stream = NewFileStream(std::move(TFileReader::Open(path, 4, 8)).Value());
    EXPECT_EQ(ReadAll(stream.Get()), "456789ab");
    Rewind(stream.Get());
    EXPECT_EQ(ReadAll(stream.Get()), "456789ab");
    STATSTG stat{};
    ASSERT_EQ(stream->Stat(&stat, STATFLAG_NONAME), S_OK);
    EXPECT_EQ(stat.cbSize.QuadPart, 8u);
    ::DeleteFileA(path.c_str());
}

}  // namespace
}  // namespace zorv::test
