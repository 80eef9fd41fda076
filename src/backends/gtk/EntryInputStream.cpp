#include "backends/gtk/EntryInputStream.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "backends/gtk/GLibOwned.h"

namespace {

// A part of a body read block by block: how many bytes the next read hands over from memory, and
// the read itself, which fetches the next block when none is left.
class TBlockReader {
public:
    virtual ~TBlockReader() = default;
    virtual uint64_t Length() const = 0;
    virtual uint64_t Position() const = 0;
    virtual std::size_t Buffered() const = 0;
    virtual zorv::TResult<std::size_t> Read(char* buffer, std::size_t size) = 0;
};

class TFileBlocks final : public TBlockReader {
public:
    explicit TFileBlocks(std::unique_ptr<zorv::TFileReader> reader) : FReader(std::move(reader)) {}
    uint64_t Length() const override { return FReader->Length(); }
    uint64_t Position() const override { return FReader->Position(); }
    std::size_t Buffered() const override { return FReader->Buffered(); }
    zorv::TResult<std::size_t> Read(char* buffer, std::size_t size) override { return FReader->Read(buffer, size); }

private:
    std::unique_ptr<zorv::TFileReader> FReader;
};

// An archive entry decrypted a block at a time, so that the engine's small reads are served from
// memory and only one in EntryBlockSize bytes reaches the archive (and a worker thread). A
// failure found while a block is filled comes after the bytes before it.
class TEntryBlocks final : public TBlockReader {
public:
    explicit TEntryBlocks(std::unique_ptr<zorv::TAbEntryReader> reader) : FReader(std::move(reader)) {}
    uint64_t Length() const override { return FReader->Length(); }
    uint64_t Position() const override { return FReader->Position() - Buffered(); }
    std::size_t Buffered() const override { return FBlockEnd - FBlockPosition; }
    zorv::TResult<std::size_t> Read(char* buffer, std::size_t size) override {
        if (Buffered() == 0 && FFailure == zorv::TAbExtractStatus::Ok) FillBlock();
        if (Buffered() == 0 && FFailure != zorv::TAbExtractStatus::Ok)
            return zorv::Failure(zorv::TAbZipKit::StatusMessage(FFailure));
        const std::size_t got = std::min(size, Buffered());
        std::memcpy(buffer, FBlock.get() + FBlockPosition, got);
        FBlockPosition += got;
        return got;
    }

private:
    void FillBlock() {
        if (!FBlock) FBlock = std::make_unique<char[]>(zorv::EntryBlockSize);
        FBlockPosition = FBlockEnd = 0;
        while (FBlockEnd < zorv::EntryBlockSize) {
            const std::size_t got = FReader->Read(FBlock.get() + FBlockEnd, zorv::EntryBlockSize - FBlockEnd, FFailure);
            if (FFailure != zorv::TAbExtractStatus::Ok || got == 0) return;
            FBlockEnd += got;
        }
    }

    std::unique_ptr<zorv::TAbEntryReader> FReader;
    std::unique_ptr<char[]> FBlock;  // made at the first read
    std::size_t FBlockPosition = 0;
    std::size_t FBlockEnd = 0;
    zorv::TAbExtractStatus FFailure = zorv::TAbExtractStatus::Ok;
};

struct ZorvBlockInputStream {
    GInputStream parent;
    TBlockReader* reader;     // owned
    zorv::TCatchUp* catchUp;  // owned; null: the consumer keeps up by itself
    uint64_t askedAt;         // the reader's position when the consumer was last asked to catch up
    bool asking;              // that request is not answered yet
    GTask* waiting;           // a read waiting for the answer (a reference), or null
    guint waitLimit;          // the source that ends the wait, while a read waits
};
struct ZorvBlockInputStreamClass {
    GInputStreamClass parentClass;
};

G_DEFINE_TYPE(ZorvBlockInputStream, zorv_block_input_stream, G_TYPE_INPUT_STREAM)

ZorvBlockInputStream* BlockStreamOf(gpointer stream) { return static_cast<ZorvBlockInputStream*>(stream); }
TBlockReader& ReaderOf(gpointer stream) { return *BlockStreamOf(stream)->reader; }

gssize ReadPart(TBlockReader& reader, void* buffer, gsize count, GError** error) {
    const zorv::TResult<std::size_t> got = reader.Read(static_cast<char*>(buffer), count);
    if (!got) {
        g_set_error_literal(error, G_IO_ERROR, G_IO_ERROR_INVALID_DATA, got.Error().c_str());
        return -1;
    }
    return static_cast<gssize>(got.Value());
}

void ReturnRead(GTask* task, gssize got, GError* error) {
    if (got < 0)
        g_task_return_error(task, error);
    else
        g_task_return_int(task, got);
}

gssize ReadBlockStream(GInputStream* stream, void* buffer, gsize count, GCancellable* cancellable, GError** error) {
    if (g_cancellable_set_error_if_cancelled(cancellable, error)) return -1;
    return ReadPart(ReaderOf(stream), buffer, count, error);
}

// Where an asynchronous read waiting for the next block puts its bytes.
struct TPendingRead {
    void* buffer;
    gsize count;
};

// One read of the next block, from the disk or the archive, on a thread of the pool; takes the
// task's reference.
void ReadOnPool(gpointer data, gpointer) {
    const zorv::TGObjectOwned<GTask> owned(static_cast<GTask*>(data));
    GTask* task = owned.get();
    if (!g_task_return_error_if_cancelled(task)) {
        const auto* pending = static_cast<const TPendingRead*>(g_task_get_task_data(task));
        GError* error = nullptr;
        const gssize got = ReadPart(ReaderOf(g_task_get_source_object(task)), pending->buffer, pending->count, &error);
        ReturnRead(task, got, error);
    }
}

// The threads that read the blocks of every stream; they live as long as the process, as
// GIO's own worker threads do.
GThreadPool* BlockReadPool() {
    static GThreadPool* const pool = g_thread_pool_new(ReadOnPool, nullptr, zorv::MaxDiskReadsAtOnce, FALSE, nullptr);
    return pool;
}

// Serves a read: from the block in memory where it can (or at the end of the part, with no trip to
// the next block), otherwise through the pool. Takes the task's reference.
void ServeRead(GTask* taken) {
    zorv::TGObjectOwned<GTask> owned(taken);
    GTask* task = owned.get();
    if (g_task_return_error_if_cancelled(task)) return;
    const auto* pending = static_cast<const TPendingRead*>(g_task_get_task_data(task));
    TBlockReader& reader = ReaderOf(g_task_get_source_object(task));
    if (reader.Buffered() == 0 && reader.Position() < reader.Length() && pending->count > 0) {
        g_thread_pool_push(BlockReadPool(), owned.release(), nullptr);
        return;
    }
    GError* error = nullptr;
    const gssize got = ReadPart(reader, pending->buffer, pending->count, &error);
    ReturnRead(task, got, error);
}

// Asks the consumer to catch up with what it was handed so far. Reads go on meanwhile; once the
// answer comes, a read that waited for it is served.
void AskToCatchUp(ZorvBlockInputStream* self) {
    self->askedAt = self->reader->Position();
    self->asking = true;
    (*self->catchUp)([weak = std::make_shared<zorv::TGWeakRef<ZorvBlockInputStream>>(self)] {
        const zorv::TGObjectOwned<ZorvBlockInputStream> stream = weak->Get();
        if (!stream) return;
        stream->asking = false;
        if (GTask* waiting = std::exchange(stream->waiting, nullptr)) {
            g_source_remove(std::exchange(stream->waitLimit, 0));
            AskToCatchUp(stream.get());
            ServeRead(waiting);
        }
    });
}

// A consumer that cannot answer before the body is complete (the engine's synchronous requests)
// still gets it: the waiting read is served, and one more interval before the next wait.
gboolean EndWait(gpointer stream) {
    ZorvBlockInputStream* self = BlockStreamOf(stream);
    self->waitLimit = 0;
    self->askedAt = self->reader->Position();
    ServeRead(std::exchange(self->waiting, nullptr));
    return G_SOURCE_REMOVE;
}

// Every CatchUpInterval bytes the consumer is asked to catch up; a read that finds it still behind
// from the last time waits for it, up to CatchUpWaitMs, so it is never more than two intervals
// behind unless it cannot answer at all.
void ReadBlockAsync(GInputStream* stream, void* buffer, gsize count, int priority, GCancellable* cancellable,
                    GAsyncReadyCallback callback, gpointer userData) {
    GTask* task = g_task_new(stream, cancellable, callback, userData);
    g_task_set_source_tag(task, reinterpret_cast<gpointer>(ReadBlockAsync));
    g_task_set_priority(task, priority);
    g_task_set_task_data(task, new TPendingRead{buffer, count},
                         [](gpointer pending) { delete static_cast<TPendingRead*>(pending); });
    ZorvBlockInputStream* self = BlockStreamOf(stream);
    if (!self->catchUp || self->reader->Position() - self->askedAt < zorv::CatchUpInterval) return ServeRead(task);
    if (self->asking) {
        self->waiting = task;
        self->waitLimit =
            g_timeout_add_full(G_PRIORITY_DEFAULT, zorv::CatchUpWaitMs, EndWait, g_object_ref(stream), g_object_unref);
        return;
    }
    AskToCatchUp(self);
    ServeRead(task);
}

gssize ReadBlockFinish(GInputStream*, GAsyncResult* result, GError** error) {
    return g_task_propagate_int(G_TASK(result), error);
}

void FinalizeBlockStream(GObject* object) {
    delete BlockStreamOf(object)->catchUp;
    delete BlockStreamOf(object)->reader;
    G_OBJECT_CLASS(zorv_block_input_stream_parent_class)->finalize(object);
}

void zorv_block_input_stream_class_init(ZorvBlockInputStreamClass* klass) {
    G_OBJECT_CLASS(klass)->finalize = FinalizeBlockStream;
    GInputStreamClass* input = G_INPUT_STREAM_CLASS(klass);
    input->read_fn = ReadBlockStream;
    input->read_async = ReadBlockAsync;
    input->read_finish = ReadBlockFinish;
}

void zorv_block_input_stream_init(ZorvBlockInputStream* self) {
    self->reader = nullptr;
    self->catchUp = nullptr;
    self->askedAt = 0;
    self->asking = false;
    self->waiting = nullptr;
    self->waitLimit = 0;
}

}  // namespace

namespace zorv {

namespace {

GInputStream* NewBlockInputStream(std::unique_ptr<TBlockReader> reader, TCatchUp catchUp) {
    auto* stream = static_cast<ZorvBlockInputStream*>(g_object_new(zorv_block_input_stream_get_type(), nullptr));
    stream->reader = reader.release();
    if (catchUp) stream->catchUp = new TCatchUp(std::move(catchUp));
    return G_INPUT_STREAM(stream);
}

}  // namespace

GInputStream* NewEntryInputStream(std::unique_ptr<TAbEntryReader> reader, TCatchUp catchUp) {
    return NewBlockInputStream(std::make_unique<TEntryBlocks>(std::move(reader)), std::move(catchUp));
}

GInputStream* NewFileInputStream(std::unique_ptr<TFileReader> reader, TCatchUp catchUp) {
    return NewBlockInputStream(std::make_unique<TFileBlocks>(std::move(reader)), std::move(catchUp));
}

}  // namespace zorv
