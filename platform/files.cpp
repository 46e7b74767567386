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
    if (!plan || ++plan->calls[static_cast<std::size_t>(call)] != plan->nth || call != plan->call)
        return 0;
    plan->hit = true;
    return plan->error;
}

struct WholeFileWriter::State {
    detail::SystemFile file;
    std::string pending; // bytes not yet written to the file
    int error = 0;
    bool committed = false;

    int Fail(int code) {
        if (error == 0)
            error = code;
        return error;
    }
};

WholeFileWriter::WholeFileWriter() : m_state(std::make_unique<State>()) {}

WholeFileWriter::~WholeFileWriter() = default;

int WholeFileWriter::Open(const std::string& path, bool keepOldBytes) {
    State& s = *m_state;
    if (s.error != 0 || s.file.IsOpen() || s.committed)
        return s.Fail(EBUSY); // one file per writer
    if (path.empty())
        return s.Fail(ENOENT);
    bool replacing = false;
    if (const int error = s.file.Open(path, keepOldBytes, &replacing))
        return s.Fail(error);
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
    if (!s.file.IsOpen())
        return s.Fail(EBADF);
    s.pending.append(bytes);
    return s.pending.size() < kBufferSize ? 0 : Flush();
}

int WholeFileWriter::Flush() {
    State& s = *m_state;
    if (s.error == 0 && !s.pending.empty())
        s.Fail(s.file.Write(s.pending));
    s.pending.clear();
    return s.error;
}

int WholeFileWriter::Commit() {
    State& s = *m_state;
    if (s.committed)
        return 0;
    if (s.error == 0 && !s.file.IsOpen())
        s.Fail(EBADF);
    Flush();
    s.Fail(s.file.Commit(s.error));
    s.committed = s.error == 0;
    return s.error;
}

int WholeFileWriter::Error() const {
    return m_state->error;
}

int WriteWholeFile(const std::string& path, std::string_view bytes) {
    WholeFileWriter file;
    int error = file.Open(path, false);
    if (error == 0)
        error = file.Write(bytes);
    return error ? error : file.Commit();
}

} // namespace platform
