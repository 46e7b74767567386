#include "fuzz.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

namespace fuzz {

namespace fs = std::filesystem;

void Fail(const char* what, const char* file, int line) {
    std::fprintf(stderr, "%s:%d: property failed: %s\n", file, line, what);
    std::abort();
}

bool SameIgnoringCase(std::string_view a, std::string_view b) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [&](char x, char y) { return lower(x) == lower(y); });
}

std::string_view Take(std::string_view& input) {
    const std::string_view head = input.substr(0, input.find('\n'));
    input.remove_prefix(std::min(head.size() + 1, input.size()));
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
