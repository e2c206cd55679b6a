// Imploded data into the exploder: flags and the stated size come first.
#include "fuzz_support.h"
#include "unzip/legacy.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static TExploder exploder;
    const uint16_t flags = static_cast<uint16_t>(TakeParameter(data, size, 1) & 6);
    const uint32_t stated = TakeParameter(data, size, 3) % (1u << 20);
    TMemorySource source(data, size, 1 + size % 16000);
    TCountingSink sink;
    exploder.Explode(source, sink, flags, static_cast<uint32_t>(size), stated);
    if (sink.total > stated) __builtin_trap();  // never more than the stated size
    return 0;
}
