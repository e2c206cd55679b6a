// Reduced data into the unreducer: the factor and the stated size come first.
#include "fuzz_support.h"
#include "unzip/legacy.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static TUnreducer unreducer;
    const unsigned factor = 1 + TakeParameter(data, size, 1) % 4;
    const uint32_t stated = TakeParameter(data, size, 3) % (1u << 20);
    TMemorySource source(data, size, 1 + size % 16000);
    TCountingSink sink;
    unreducer.Unreduce(source, sink, factor, stated);
    if (sink.total > stated) __builtin_trap();
    return 0;
}
