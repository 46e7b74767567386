// Internal to the platform layer: the system half of WholeFileWriter
// (platform/files.cpp): the file being written, either a temporary file in the
// target's folder that replaces the target at Commit, or, for a target that
// cannot be replaced (a device, a FIFO), the target itself.
#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace platform::detail {

class SystemFile {
public:
    SystemFile();
    ~SystemFile(); // closes, and removes a temporary file not committed
    SystemFile(const SystemFile&) = delete;
    SystemFile& operator=(const SystemFile&) = delete;

    // Opens the file that a write of path goes to: 0 or the errno value.
    // *replacing tells whether an existing regular file (Target(), the final
    // target of a symbolic link) is replaced. Target() is set also when only
    // the temporary file could not be made.
    int Open(const std::string& path, bool append, bool* replacing);
    const std::string& Target() const;
    // True when the target itself is written (a device, a FIFO).
    bool Direct() const;
    // Writes all the bytes: 0 or the errno value.
    int Write(std::string_view bytes);
    // With error 0, puts the written bytes in place for good (synced): over
    // the target, or with replace false only where nothing is there (EEXIST
    // otherwise). 0 or the errno value; *refused tells that the target could
    // not be replaced where a write to it would work (a bind-mounted file,
    // a file held open without delete sharing). After a failure, or with an
    // error, nothing replaces the target and the temporary file is gone.
    int Commit(int error, bool replace, bool* refused);
    // Closes and removes the temporary file.
    void Discard();
    // Writes bytes over the target from its start and cuts it to their
    // length, synced, creating it (with the mode and owner of the file it
    // replaces) when it is missing: 0 or the errno value; *opened tells that
    // the target was opened for writing (its bytes may have changed).
    int Overwrite(std::string_view bytes, bool* opened);
    // Removes the target (best effort).
    void RemoveTarget();

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

// The error says that a file did not fit (a full disk, a quota).
bool NoSpace(int error);

} // namespace platform::detail
