// The entry points of one target: libFuzzer's, and (FUZZ_REPLAY) a main that
// runs every file of the corpus folders given and fails when a folder holds none.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <vector>

#include "fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzOne({reinterpret_cast<const char*>(data), size});
    return 0;
}

#ifdef FUZZ_REPLAY
int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        std::vector<std::filesystem::path> files(std::filesystem::directory_iterator(argv[i]), {});
        std::sort(files.begin(), files.end());
        for (const auto& file : files)
            FuzzOne(fuzz::ReadFile(file.string()));
        std::printf("%s: %zu inputs\n", argv[i], files.size());
        if (files.empty())
            return 1;
    }
    return 0;
}
#endif
