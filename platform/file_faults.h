// A test seam of platform/files.h: makes a WholeFileWriter call fail as a full
// disk, a read-only folder or a card pulled out would. Without a plan
// installed (normal runs) the writer only checks for one.
#pragma once

#include <array>
#include <functional>

namespace platform {

// The calls by which a WholeFileWriter puts a file in place. Only calls whose
// failure the writer reports are counted (a close after an earlier failure or
// the best-effort sync of the folder are not).
enum class FileCall { Open, Write, Sync, Close, Rename };

struct FileFaultPlan {
    FileCall call = FileCall::Open; // the kind of call that fails ...
    int nth = 0;                    // ... at its nth call (1-based; 0: none)
    int error = 0;                  // with this errno value
    // Calls made so far, per kind; true once the failing call was made.
    std::array<int, 5> calls{};
    bool hit = false;
    // Called at every counted call before it is made (another program
    // acting at that moment).
    std::function<void(FileCall)> before{};
};

// Installs the plan for every writer of the process until it is removed
// (nullptr). A failing write first writes the first half of its bytes, as a
// short write on a disk that fills up would; a failing close closes the file.
// Meant for tests that write from one thread.
void SetFileFaultPlan(FileFaultPlan* plan);

// For the writer: 0 when the call goes ahead, else the errno value it fails with.
int FileFault(FileCall call);

} // namespace platform
