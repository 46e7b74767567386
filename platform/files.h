// Whole files: read at once, and written whole or not at all, so that a write
// that fails part way (a full disk, a card pulled out) loses nothing.
#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace platform {

enum class WholeRead { Ok, Missing, Failed };

// Reads a whole regular file into data. Missing when nothing is at the path;
// Failed, with *error (when given) the errno value, for anything else that is
// not a readable regular file (a folder gives EISDIR; a FIFO in the way gives
// EINVAL without blocking).
WholeRead ReadWholeFile(const std::string& path, std::string& data, int* error = nullptr);

// A file written whole or not at all. Open makes a temporary file in the
// target's folder (a symbolic link is followed to its target); Commit syncs it
// and renames it over the target, which is untouched until then. A writer
// destroyed before a successful Commit removes its temporary file.
//
// A replaced file keeps its permission bits and, when allowed, its owner (best
// effort: a file system without them, such as a FAT card, keeps its own); a new
// file gets 0666 minus the umask. A hard link to the old file keeps the old
// bytes. A target that cannot be replaced because it is not a regular file (a
// device, a FIFO) is written directly.
//
// Every call returns 0 or the errno value of the first failure; after a failure
// nothing more is written and every later call returns that value. Writes are
// buffered, as a C stream's are: a failure may first show at a later call
// (Commit at the latest).
class WholeFileWriter {
public:
    WholeFileWriter();
    ~WholeFileWriter();
    WholeFileWriter(const WholeFileWriter&) = delete;
    WholeFileWriter& operator=(const WholeFileWriter&) = delete;

    // Fails, leaving nothing behind, where opening the target for writing
    // would: a folder, a file that is not writable (it is not replaced), a
    // folder that cannot be written. keepOldBytes: the file starts with the
    // target's current bytes (none when it is missing), for an append.
    int Open(const std::string& path, bool keepOldBytes);
    int Write(std::string_view bytes);
    int Commit();
    int Error() const;

private:
    int Flush();

    struct State;
    std::unique_ptr<State> m_state;
};

// Replaces the file at path with bytes through a WholeFileWriter: 0 or the
// errno value of the first failure.
int WriteWholeFile(const std::string& path, std::string_view bytes);

} // namespace platform
