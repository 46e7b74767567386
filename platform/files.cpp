// WholeFileWriter over the system's file (platform/files_system.h): writes are
// buffered, and the first failure is kept and returned from then on.
#include "platform/files.h"
#include "platform/file_faults.h"
#include "platform/files_system.h"

#include <atomic>
#include <cerrno>

namespace platform {

namespace {
// Writes are gathered up to this size, as a C stream's buffer would.
constexpr std::size_t kBufferSize = 64 * 1024;

std::atomic<FileFaultPlan*> g_faultPlan{nullptr};
} // namespace

void SetFileFaultPlan(FileFaultPlan* plan) {
    g_faultPlan.store(plan, std::memory_order_release);
}

int FileFault(FileCall call) {
    FileFaultPlan* plan = g_faultPlan.load(std::memory_order_acquire);
    if (plan && plan->before)
        plan->before(call);
    if (!plan || ++plan->calls[static_cast<std::size_t>(call)] != plan->nth || call != plan->call)
        return 0;
    plan->hit = true;
    return plan->error;
}

struct WholeFileWriter::State {
    detail::SystemFile file;
    FileKind kind = FileKind::Precious;
    std::string bytes;       // every byte written, for the fallbacks
    std::size_t flushed = 0; // how many of them went to the file
    int error = 0;
    bool opened = false;
    bool replace = true;  // false: put in place only where nothing is
    bool noSpace = false; // the temporary file did not fit: written in place
    bool committed = false;
    bool damaged = false;

    int Fail(int code) {
        if (error == 0)
            error = code;
        return error;
    }
    // A failure of the temporary file that the kind writes around.
    bool WritesAround(int code) const {
        return kind != FileKind::Precious && replace && !file.Direct() && detail::NoSpace(code);
    }
};

WholeFileWriter::WholeFileWriter() : m_state(std::make_unique<State>()) {}

WholeFileWriter::~WholeFileWriter() = default;

int WholeFileWriter::Open(const std::string& path, bool keepOldBytes, FileKind kind) {
    State& s = *m_state;
    if (s.error != 0 || s.opened || s.committed)
        return s.Fail(EBUSY); // one file per writer
    if (path.empty())
        return s.Fail(ENOENT);
    s.kind = kind;
    bool replacing = false;
    if (const int error = s.file.Open(path, keepOldBytes, &replacing)) {
        if (s.file.Target().empty() || !s.WritesAround(error))
            return s.Fail(error);
        s.noSpace = true;
    }
    s.opened = true;
    if (keepOldBytes && replacing) {
        std::string old;
        int readError = 0;
        if (ReadWholeFile(s.file.Target(), old, &readError) != WholeRead::Ok)
            return s.Fail(readError);
        return Write(old);
    }
    return 0;
}

int WholeFileWriter::Write(std::string_view bytes) {
    State& s = *m_state;
    if (s.error != 0)
        return s.error;
    if (!s.opened)
        return s.Fail(EBADF);
    s.bytes.append(bytes);
    return s.bytes.size() - s.flushed < kBufferSize ? 0 : Flush();
}

int WholeFileWriter::Flush() {
    State& s = *m_state;
    if (s.error != 0 || s.noSpace || s.flushed == s.bytes.size())
        return s.error;
    const int error = s.file.Write(std::string_view(s.bytes).substr(s.flushed));
    s.flushed = s.bytes.size();
    if (s.WritesAround(error)) {
        s.file.Discard();
        s.noSpace = true;
        return 0;
    }
    if (s.file.Direct()) {
        s.bytes.clear(); // written for good: nothing to fall back to
        s.flushed = 0;
    }
    return s.Fail(error);
}

int WholeFileWriter::Commit() {
    State& s = *m_state;
    if (s.committed)
        return 0;
    if (s.error == 0 && !s.opened)
        s.Fail(EBADF);
    Flush();
    bool inPlace = s.noSpace;
    if (!inPlace) {
        bool refused = false;
        const int error = s.file.Commit(s.error, s.replace, &refused);
        inPlace = s.error == 0 && error != 0 && (refused || s.WritesAround(error));
        s.noSpace = inPlace && !refused;
        if (!inPlace)
            s.Fail(error);
    }
    if (inPlace && s.error == 0) {
        s.file.Discard();
        s.Fail(WriteInPlace(s.noSpace));
    }
    s.committed = s.error == 0;
    return s.error;
}

// The fallbacks of the file's kind, from the bytes kept in memory.
int WholeFileWriter::WriteInPlace(bool noSpace) {
    State& s = *m_state;
    if (noSpace && s.kind == FileKind::Scratch) {
        s.file.RemoveTarget(); // its space is needed, its bytes are not
        bool opened = false;
        const int error = s.file.Overwrite(s.bytes, &opened);
        if (error)
            s.file.RemoveTarget();
        return error;
    }
    std::string old;
    int readError = 0;
    const WholeRead read = ReadWholeFile(s.file.Target(), old, &readError);
    if (read == WholeRead::Failed)
        return readError;
    bool opened = false;
    const int error = s.file.Overwrite(s.bytes, &opened);
    if (error == 0 || !opened)
        return error;
    if (read == WholeRead::Missing) {
        s.file.RemoveTarget();
    } else {
        s.damaged = true;
        (void)s.file.Overwrite(old, &opened);
    }
    return error;
}

int WholeFileWriter::Error() const {
    return m_state->error;
}

bool WholeFileWriter::Damaged() const {
    return m_state->damaged;
}

int WriteWholeFile(const std::string& path, std::string_view bytes, FileKind kind, bool* damaged) {
    WholeFileWriter file;
    int error = file.Open(path, false, kind);
    if (error == 0)
        error = file.Write(bytes);
    if (error == 0)
        error = file.Commit();
    if (damaged)
        *damaged = file.Damaged();
    return error;
}

int CreateWholeFile(const std::string& path, std::string_view bytes) {
    WholeFileWriter file;
    file.m_state->replace = false;
    int error = file.Open(path, false);
    if (error == 0)
        error = file.Write(bytes);
    return error ? error : file.Commit();
}

} // namespace platform
