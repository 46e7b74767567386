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

// What a file is to its writer, which decides what a write does where the
// safe replacement (a temporary file in the target's folder, synced and
// renamed over the target) cannot be made. Every kind is first written that
// way; the kinds differ only in the fallbacks below.
enum class FileKind {
    // Settings, robot programs: the file holds its old bytes or all the new
    // ones. Where the rename is refused but a plain write would work (a file
    // bind-mounted on its own: EBUSY, EXDEV; on Windows a file another program
    // holds open without delete sharing, after retries for up to about 100
    // ms), the file is written in place instead: its old bytes are kept in
    // memory and written back when the write fails (best effort), and
    // WholeFileWriter::Damaged() then tells that the file may be damaged.
    Precious,
    // A small record (the card's REMOTE.LOG): as Precious, and also written in
    // place when its temporary file cannot be made or does not fit (ENOSPC,
    // EDQUOT: a full card), as opening it for writing would reuse its space.
    Record,
    // A scratch file whose old bytes nobody needs (the card's TEMP.wav and
    // TEMP.TM4): as Record, but where the temporary file does not fit, the old
    // file is removed and the new one written under its name; when that fails
    // too, it is removed, so no partial file is left under the name.
    Scratch,
};

// A file written whole or not at all, by the policy of its FileKind. Open
// makes a temporary file in the target's folder; Commit syncs it and renames
// it over the target, which is untouched until then. A writer destroyed before
// a successful Commit removes its temporary file.
//
// A symbolic link is followed, through every link of a chain, to the final
// target, which is written (created when the link dangles); the link stays.
// A replaced file keeps its permission bits and, when allowed, its owner (best
// effort: a file system without them, such as a FAT card, keeps its own), on
// every path above; on Windows it keeps its attributes (hidden, system). A new
// file gets 0666 minus the umask. A hard link to the old file keeps the old
// bytes, except after a write in place. A target that cannot be replaced
// because it is not a regular file (a device, a FIFO) is written directly.
//
// Every call returns 0 or the errno value of the first failure; after a failure
// nothing more is written and every later call returns that value. Writes are
// buffered, as a C stream's are: a failure may first show at a later call
// (Commit at the latest). The bytes written are kept in memory until Commit,
// for the fallbacks.
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
    int Open(const std::string& path, bool keepOldBytes, FileKind kind = FileKind::Precious);
    int Write(std::string_view bytes);
    int Commit();
    int Error() const;
    // True after a failed write in place: the old bytes were written back, but
    // the file may be damaged.
    bool Damaged() const;

private:
    friend int CreateWholeFile(const std::string& path, std::string_view bytes);
    int Flush();
    int WriteInPlace(bool full);

    struct State;
    std::unique_ptr<State> m_state;
};

// Replaces the file at path with bytes through a WholeFileWriter: 0 or the
// errno value of the first failure; *damaged (when given) as Damaged().
int WriteWholeFile(const std::string& path, std::string_view bytes,
                   FileKind kind = FileKind::Precious, bool* damaged = nullptr);

// Puts a file with bytes at path only if nothing is there yet, also when
// another program creates it at the same moment: a complete temporary file is
// linked into place, never renamed over what is there. 0, EEXIST when
// something is there (which is then left as it is), or the errno value.
int CreateWholeFile(const std::string& path, std::string_view bytes);

} // namespace platform
