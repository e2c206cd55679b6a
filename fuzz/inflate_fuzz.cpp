// Raw deflate data into the inflater, in chunks of a size the input chooses.
#include "fuzz_support.h"
#include "unzip/inflate.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static TInflater inflater;
    const uint32_t chunk = 1 + TakeParameter(data, size, 2) % 20000;
    TMemorySource source(data, size, chunk);
    TCountingSink sink;
    inflater.Inflate(source, sink);
    return 0;
}
