// The report line for any number and address, against a printf model.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fuzzer/FuzzedDataProvider.h>

#include "services/process/termination.h"

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size)
{
    FuzzedDataProvider in(data, size);
    auto number = in.ConsumeIntegral<std::uint32_t>();
    auto offset = in.ConsumeIntegral<std::uint32_t>();

    char line[report_capacity];
    std::size_t length = format_report(line, number, offset);

    char model[64];
    int model_length = number <= 9999 ? std::snprintf(model, sizeof model, "Runtime error%4u at %08X", number, offset)
                                      : std::snprintf(model, sizeof model, "Runtime error %u at %08X", number, offset);
    if (length != static_cast<std::size_t>(model_length) || std::memcmp(line, model, length) != 0 || line[length])
        std::abort();
    return 0;
}
