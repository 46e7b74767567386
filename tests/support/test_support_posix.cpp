#include "support/system_support.h"
#include "support/test_support.h"

#include <fcntl.h>
#include <iconv.h>
#include <malloc.h>
#include <spawn.h>
#include <stdexcept>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace testsupport {

bool UnderWine() {
    return false;
}

bool MakeFifo(const std::string& path) {
    return ::mkfifo(path.c_str(), 0600) == 0;
}

bool HeapInUse(std::size_t& bytes) {
    bytes = ::mallinfo2().uordblks;
    return bytes != 0; // 0 where another allocator (AddressSanitizer's) serves malloc
}

bool MakeReadOnly(const std::string& path) {
    return ::chmod(path.c_str(), 0444) == 0 && ::geteuid() != 0;
}

bool Hide(const std::string& /*path*/) {
    return false;
}

bool Hidden(const std::string& /*path*/) {
    return false;
}

std::string SystemCp932(std::string_view utf8) {
    iconv_t cd = iconv_open("CP932", "UTF-8");
    if (cd == reinterpret_cast<iconv_t>(-1))
        throw std::runtime_error("iconv_open failed");
    std::string in(utf8);
    std::string out(in.size() * 2 + 16, '\0');
    char* src = in.data();
    size_t srcLeft = in.size();
    char* dst = out.data();
    size_t dstLeft = out.size();
    const bool failed = iconv(cd, &src, &srcLeft, &dst, &dstLeft) == static_cast<size_t>(-1);
    iconv_close(cd);
    if (failed)
        throw std::runtime_error("text cannot be written as CP932");
    out.resize(out.size() - dstLeft);
    return out;
}

std::intptr_t StartProgram(std::vector<std::string> args, const std::string& outputPath) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, outputPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0600);
    std::vector<char*> argv;
    for (auto& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = -1;
    const int rc = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0)
        throw std::runtime_error("cannot start " + args[0]);
    return pid;
}

void ReapProgram(std::intptr_t id) {
    ::waitpid(static_cast<pid_t>(id), nullptr, 0);
}

std::string HostPath(const std::string& path) {
    return path;
}

} // namespace testsupport
