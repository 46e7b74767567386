#include "fuzz.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>

namespace fuzz {

namespace fs = std::filesystem;

void Fail(const char* what, const char* file, int line) {
    std::fprintf(stderr, "%s:%d: property failed: %s\n", file, line, what);
    std::abort();
}

std::string_view Bytes(const std::uint8_t* data, std::size_t size) {
    return {reinterpret_cast<const char*>(data), size};
}

std::string_view Take(std::string_view& input) {
    const std::size_t end = input.find('\n');
    const std::string_view head = input.substr(0, end);
    input.remove_prefix(end == std::string_view::npos ? input.size() : end + 1);
    return head;
}

const std::string& Scratch() {
    static const testsupport::TempDir folder(true);
    static const std::string path = folder.Path() + "/";
    return path;
}

const std::string& CardRoot() {
    static const std::string root = [] {
        fs::create_directories(Scratch() + "card");
        fs::create_directories(Scratch() + "outside");
        fs::create_directory_symlink("../outside", Scratch() + "card/link");
        return fs::canonical(Scratch() + "card").string();
    }();
    return root;
}

void CheckInsideCardRoot(const std::string& path) {
    FUZZ_CHECK(path.empty() || fs::weakly_canonical(path).string().starts_with(CardRoot() + "/"));
    FUZZ_CHECK(fs::is_empty(Scratch() + "outside"));
}

} // namespace fuzz
