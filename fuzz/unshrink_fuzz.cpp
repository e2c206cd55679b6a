// Shrunk data into the unshrinker.
#include "fuzz_support.h"
#include "unzip/legacy.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static TUnshrinker unshrinker;
    const uint32_t chunk = 1 + TakeParameter(data, size, 2) % 16000;
    TMemorySource source(data, size, chunk);
    TCountingSink sink;
    unshrinker.Unshrink(source, sink);
    return 0;
}
