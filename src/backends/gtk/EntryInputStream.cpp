#include "backends/gtk/EntryInputStream.h"

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

}  // namespace

namespace zorv {

GInputStream* NewEntryInputStream(std::unique_ptr<TAbEntryReader> reader) {
    auto* stream = static_cast<ZorvEntryInputStream*>(g_object_new(zorv_entry_input_stream_get_type(), nullptr));
    stream->reader = reader.release();
    return G_INPUT_STREAM(stream);
}

}  // namespace zorv
