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
    // *replacing tells whether an existing regular file (Target()) is replaced.
    int Open(const std::string& path, bool append, bool* replacing);
    bool IsOpen() const;
    const std::string& Target() const;
    // Writes all the bytes: 0 or the errno value.
    int Write(std::string_view bytes);
    // With error 0, puts the written bytes in place for good (synced); 0 or
    // the errno value. After a failure, or with an error, nothing replaces
    // the target.
    int Commit(int error);

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

} // namespace platform::detail
