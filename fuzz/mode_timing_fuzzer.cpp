// Monitor timing texts and the numbers in them on any bytes: the parse reads
// only within the text and answers 0 or 1.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "propsheet/decimal_text.h"
#include "propsheet/monitor_info.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The registry hands the text over terminated; at most 63 characters fit.
    std::vector<char> text(data, data + (size < 63 ? size : 63));
    text.push_back(0);
    MonitorInfo info{};
    const int result = ParseModeTiming(text.data(), &info);
    if (result != 0 && result != 1) std::abort();
    ReadDecimal(text.data());
    return 0;
}
