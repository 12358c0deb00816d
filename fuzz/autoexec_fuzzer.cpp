// The boot file's line splitting on any bytes: every byte is in exactly one
// line or one line end, lines hold no line-end bytes, and the name search
// stays inside each line.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "propsheet/autoexec.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The image as the reader holds it: the bytes and a 0 after them.
    std::vector<char> image(data, data + size);
    image.push_back(0);
    const DWORD cbImage = static_cast<DWORD>(size);
    const DWORD cLines = CountLines(image.data(), cbImage);
    std::vector<AutoexecLine> lines(cLines + 1);
    SplitLines(image.data(), cbImage, cLines, lines.data());

    size_t expectedOffset = 0;
    for (DWORD i = 0; i < cLines; ++i) {
        const AutoexecLine& line = lines[i];
        if (line.dwOffset < expectedOffset || line.dwOffset + line.cbLength > cbImage) std::abort();
        if (line.lpText != image.data() + line.dwOffset) std::abort();
        for (DWORD k = 0; k < line.cbLength; ++k)
            if (data[line.dwOffset + k] == '\r' || data[line.dwOffset + k] == '\n') std::abort();
        // Between two lines lie exactly one line end's bytes.
        const size_t gap = line.dwOffset - expectedOffset;
        if (i > 0 && gap != 1 && gap != 2) std::abort();
        expectedOffset = line.dwOffset + line.cbLength;
        LineMentions(line.lpText, line.cbLength, "HGI_GRXCLK");
        LineMentions(line.lpText, line.cbLength, "HGI_SCREENREFRESH");
    }
    // After the last line, at most one line end remains.
    if (cLines > 0 && cbImage - expectedOffset > 2) std::abort();
    if (cLines == 0 && cbImage != 0) std::abort();
    return 0;
}
