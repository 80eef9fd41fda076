#include "backends/gtk/EntryInputStream.h"

#include <utility>

#include "backends/gtk/GLibOwned.h"

namespace {

struct ZorvEntryInputStream {
    GInputStream parent;
    zorv::TAbEntryReader* reader;  // owned
};
struct ZorvEntryInputStreamClass {
    GInputStreamClass parentClass;
};

G_DEFINE_TYPE(ZorvEntryInputStream, zorv_entry_input_stream, G_TYPE_INPUT_STREAM)

gssize ReadEntry(GInputStream* stream, void* buffer, gsize count, GCancellable* cancellable, GError** error) {
    if (g_cancellable_set_error_if_cancelled(cancellable, error)) return -1;
    zorv::TAbEntryReader* reader = reinterpret_cast<ZorvEntryInputStream*>(stream)->reader;
    zorv::TAbExtractStatus status = zorv::TAbExtractStatus::Ok;
    const std::size_t got = reader->Read(static_cast<char*>(buffer), count, status);
    if (status != zorv::TAbExtractStatus::Ok) {
        g_set_error_literal(error, G_IO_ERROR, G_IO_ERROR_INVALID_DATA, zorv::TAbZipKit::StatusMessage(status));
        return -1;
    }
    return static_cast<gssize>(got);
}

void FinalizeEntry(GObject* object) {
    delete reinterpret_cast<ZorvEntryInputStream*>(object)->reader;
    G_OBJECT_CLASS(zorv_entry_input_stream_parent_class)->finalize(object);
}

void zorv_entry_input_stream_class_init(ZorvEntryInputStreamClass* klass) {
    G_OBJECT_CLASS(klass)->finalize = FinalizeEntry;
    G_INPUT_STREAM_CLASS(klass)->read_fn = ReadEntry;
}

void zorv_entry_input_stream_init(ZorvEntryInputStream* self) { self->reader = nullptr; }

struct ZorvFileInputStream {
    GInputStream parent;
    zorv::TFileReader* reader;  // owned
    zorv::TCatchUp* catchUp;    // owned; null: the consumer keeps up by itself
    uint64_t askedAt;           // the reader's position when the consumer was last asked to catch up
    bool asking;                // that request is not answered yet
    GTask* waiting;             // a read waiting for the answer (a reference), or null
    guint waitLimit;            // the source that ends the wait, while a read waits
};
struct ZorvFileInputStreamClass {
    GInputStreamClass parentClass;
};

G_DEFINE_TYPE(ZorvFileInputStream, zorv_file_input_stream, G_TYPE_INPUT_STREAM)

ZorvFileInputStream* FileStreamOf(gpointer stream) { return static_cast<ZorvFileInputStream*>(stream); }
zorv::TFileReader& ReaderOf(gpointer stream) { return *FileStreamOf(stream)->reader; }

gssize ReadFilePart(zorv::TFileReader& reader, void* buffer, gsize count, GError** error) {
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

gssize ReadFileStream(GInputStream* stream, void* buffer, gsize count, GCancellable* cancellable, GError** error) {
    if (g_cancellable_set_error_if_cancelled(cancellable, error)) return -1;
    return ReadFilePart(ReaderOf(stream), buffer, count, error);
}

// Where an asynchronous read waiting for the disk puts its bytes.
struct TPendingRead {
    void* buffer;
    gsize count;
};

// One read of the disk, on a thread of the pool; takes the task's reference.
void ReadOnPool(gpointer data, gpointer) {
    const zorv::TGObjectOwned<GTask> owned(static_cast<GTask*>(data));
    GTask* task = owned.get();
    if (!g_task_return_error_if_cancelled(task)) {
        const auto* pending = static_cast<const TPendingRead*>(g_task_get_task_data(task));
        GError* error = nullptr;
        const gssize got =
            ReadFilePart(ReaderOf(g_task_get_source_object(task)), pending->buffer, pending->count, &error);
        ReturnRead(task, got, error);
    }
}

// The threads that read the disk for every file stream; they live as long as the process, as
// GIO's own worker threads do.
GThreadPool* DiskReadPool() {
    static GThreadPool* const pool = g_thread_pool_new(ReadOnPool, nullptr, zorv::MaxDiskReadsAtOnce, FALSE, nullptr);
    return pool;
}

// Serves a read: from the block in memory where it can (or at the end of the part, with no trip to
// the disk), otherwise through the pool. Takes the task's reference.
void ServeRead(GTask* taken) {
    zorv::TGObjectOwned<GTask> owned(taken);
    GTask* task = owned.get();
    if (g_task_return_error_if_cancelled(task)) return;
    const auto* pending = static_cast<const TPendingRead*>(g_task_get_task_data(task));
    zorv::TFileReader& reader = ReaderOf(g_task_get_source_object(task));
    if (reader.Buffered() == 0 && reader.Position() < reader.Length() && pending->count > 0) {
        g_thread_pool_push(DiskReadPool(), owned.release(), nullptr);
        return;
    }
    GError* error = nullptr;
    const gssize got = ReadFilePart(reader, pending->buffer, pending->count, &error);
    ReturnRead(task, got, error);
}

// Asks the consumer to catch up with what it was handed so far. Reads go on meanwhile; once the
// answer comes, a read that waited for it is served.
void AskToCatchUp(ZorvFileInputStream* self) {
    self->askedAt = self->reader->Position();
    self->asking = true;
    (*self->catchUp)([weak = std::make_shared<zorv::TGWeakRef<ZorvFileInputStream>>(self)] {
        const zorv::TGObjectOwned<ZorvFileInputStream> stream = weak->Get();
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
    ZorvFileInputStream* self = FileStreamOf(stream);
    self->waitLimit = 0;
    self->askedAt = self->reader->Position();
    ServeRead(std::exchange(self->waiting, nullptr));
    return G_SOURCE_REMOVE;
}

// Every CatchUpInterval bytes the consumer is asked to catch up; a read that finds it still behind
// from the last time waits for it, up to CatchUpWaitMs, so it is never more than two intervals
// behind unless it cannot answer at all.
void ReadFileAsync(GInputStream* stream, void* buffer, gsize count, int priority, GCancellable* cancellable,
                   GAsyncReadyCallback callback, gpointer userData) {
    GTask* task = g_task_new(stream, cancellable, callback, userData);
    g_task_set_source_tag(task, reinterpret_cast<gpointer>(ReadFileAsync));
    g_task_set_priority(task, priority);
    g_task_set_task_data(task, new TPendingRead{buffer, count},
                         [](gpointer pending) { delete static_cast<TPendingRead*>(pending); });
    ZorvFileInputStream* self = FileStreamOf(stream);
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

gssize ReadFileFinish(GInputStream*, GAsyncResult* result, GError** error) {
    return g_task_propagate_int(G_TASK(result), error);
}

void FinalizeFile(GObject* object) {
    delete FileStreamOf(object)->catchUp;
    delete FileStreamOf(object)->reader;
    G_OBJECT_CLASS(zorv_file_input_stream_parent_class)->finalize(object);
}

void zorv_file_input_stream_class_init(ZorvFileInputStreamClass* klass) {
    G_OBJECT_CLASS(klass)->finalize = FinalizeFile;
    GInputStreamClass* input = G_INPUT_STREAM_CLASS(klass);
    input->read_fn = ReadFileStream;
    input->read_async = ReadFileAsync;
    input->read_finish = ReadFileFinish;
}

void zorv_file_input_stream_init(ZorvFileInputStream* self) {
    self->reader = nullptr;
    self->catchUp = nullptr;
    self->askedAt = 0;
    self->asking = false;
    self->waiting = nullptr;
    self->waitLimit = 0;
}

}  // namespace

namespace zorv {

GInputStream* NewEntryInputStream(std::unique_ptr<TAbEntryReader> reader) {
    auto* stream = static_cast<ZorvEntryInputStream*>(g_object_new(zorv_entry_input_stream_get_type(), nullptr));
    stream->reader = reader.release();
    return G_INPUT_STREAM(stream);
}

GInputStream* NewFileInputStream(std::unique_ptr<TFileReader> reader, TCatchUp catchUp) {
    auto* stream = static_cast<ZorvFileInputStream*>(g_object_new(zorv_file_input_stream_get_type(), nullptr));
    stream->reader = reader.release();
    if (catchUp) stream->catchUp = new TCatchUp(std::move(catchUp));
    return G_INPUT_STREAM(stream);
}

}  // namespace zorv
