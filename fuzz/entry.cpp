// libFuzzer's entry into one target (FUZZ_FUNCTION names it).
#include <cstddef>
#include <cstdint>

int FUZZ_FUNCTION(const std::uint8_t* data, std::size_t size);

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return FUZZ_FUNCTION(data, size);
}
