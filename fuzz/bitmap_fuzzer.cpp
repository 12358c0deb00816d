// The test screen's bitmap reader on any file: it reads within the file and
// either refuses it or gives an image whose rows all lie in its buffer. The
// bytes go to a memory file, so the run writes nothing to the disk.
#include <sys/mman.h>
#include <unistd.h>
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "testscreen/test_screen.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const int fd = ::memfd_create("bitmap", MFD_CLOEXEC);
    if (fd < 0) std::abort();
    if (::ftruncate(fd, 0) != 0 || ::pwrite(fd, data, size, 0) != static_cast<ssize_t>(size)) std::abort();
    char path[64];
    std::snprintf(path, sizeof path, "/proc/self/fd/%d", fd);
    BITMAP image;
    std::memset(&image, 0, sizeof image);
    LoadBitmapFile(path, &image);
    if (image.bmBits == nullptr) return 0;
    if (image.bmWidth <= 0 || image.bmHeight <= 0 || image.bmWidthBytes < image.bmWidth * 2) std::abort();
    // Touch the first and last texel of every row: ASan catches a short buffer.
    volatile WORD sum = 0;
    for (LONG y = 0; y < image.bmHeight; ++y) {
        const WORD* row = reinterpret_cast<const WORD*>(static_cast<const BYTE*>(image.bmBits) +
                                                        static_cast<size_t>(y) * image.bmWidthBytes);
        sum = sum + row[0] + row[image.bmWidth - 1];
    }
    std::free(image.bmBits);
    return 0;
}
