// Runs every file of the corpus folders given through one target
// (FUZZ_FUNCTION names it); fails when a folder holds no file.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <vector>

#include "fuzz.h"

int FUZZ_FUNCTION(const std::uint8_t* data, std::size_t size);

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        std::vector<std::filesystem::path> files;
        for (const auto& entry : std::filesystem::directory_iterator(argv[i]))
            files.push_back(entry.path());
        std::sort(files.begin(), files.end());
        for (const auto& file : files) {
            const std::string bytes = fuzz::ReadFile(file.string());
            FUZZ_FUNCTION(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
        }
        std::printf("%s: %zu inputs\n", argv[i], files.size());
        if (files.empty())
            return 1;
    }
    return 0;
}
