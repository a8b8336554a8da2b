// The libFuzzer entry point of one target, chosen by VOXMILL_FUZZ_TARGET.
#include <cstdio>
#include <cstdlib>

#include "targets.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    try {
        voxmill::fuzz::VOXMILL_FUZZ_TARGET({data, size});
    } catch (const voxmill::fuzz::BrokenPromise& broken) {
        std::fprintf(stderr, "broken promise: %s\n", broken.what());
        std::abort();
    }
    return 0;
}
