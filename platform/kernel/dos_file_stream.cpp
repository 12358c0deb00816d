#include "platform/kernel/dos_file_stream.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <new>

#include "machine/faults.h"

namespace brontar::platform {

namespace {

// One open file. In text mode, reads turn CR LF into LF and end at a Ctrl-Z;
// writes turn LF into CR LF, as the Windows C runtime does.
struct DosFile {
    int fd = -1;
    bool textMode = true;
    bool commit = false;    // "c" in the mode: every flush reaches the disk
    bool atEnd = false;     // text mode: a Ctrl-Z was read
    size_t rawStart = 0;    // text mode: bytes read ahead from the file,
    size_t rawEnd = 0;      // not yet handed out
    char raw[4096];
};

// Reads raw bytes, retrying after signals.
ssize_t ReadRaw(int fd, char* buffer, size_t size) {
    ssize_t n;
    do {
        n = ::read(fd, buffer, size);
    } while (n < 0 && errno == EINTR);
    return n;
}

// The next raw byte of a text-mode file: 1 with the byte, 0 at the end, -1 on error.
int NextRawByte(DosFile& file, char& c) {
    if (file.rawStart == file.rawEnd) {
        const ssize_t n = ReadRaw(file.fd, file.raw, sizeof file.raw);
        if (n <= 0) return n < 0 ? -1 : 0;
        file.rawStart = 0;
        file.rawEnd = static_cast<size_t>(n);
    }
    c = file.raw[file.rawStart++];
    return 1;
}

ssize_t ReadText(DosFile& file, char* buffer, size_t size) {
    size_t out = 0;
    while (out < size && !file.atEnd) {
        char c;
        const int got = NextRawByte(file, c);
        if (got < 0) return out > 0 ? static_cast<ssize_t>(out) : -1;
        if (got == 0) break;
        if (c == 0x1A) {
            file.atEnd = true;
            break;
        }
        if (c == '\r') {
            char next;
            if (NextRawByte(file, next) == 1) {
                if (next == '\n')
                    c = '\n';
                else
                    --file.rawStart;  // the byte is still in the buffer
            }
        }
        buffer[out++] = c;
    }
    return static_cast<ssize_t>(out);
}

ssize_t CookieRead(void* cookie, char* buffer, size_t size) {
    DosFile& file = *static_cast<DosFile*>(cookie);
    return file.textMode ? ReadText(file, buffer, size) : ReadRaw(file.fd, buffer, size);
}

bool WriteAll(int fd, const char* data, size_t size) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        data += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

bool WriteConverted(const DosFile& file, const char* data, size_t size) {
    if (!file.textMode) return WriteAll(file.fd, data, size);
    size_t start = 0;
    for (size_t i = 0; i < size; ++i) {
        if (data[i] != '\n') continue;
        if (!WriteAll(file.fd, data + start, i - start) || !WriteAll(file.fd, "\r\n", 2)) return false;
        start = i + 1;
    }
    return WriteAll(file.fd, data + start, size - start);
}

// The stream hands its buffer over here on every flush, so a commit-mode
// file is on the disk when fflush returns, as the Windows C runtime's is.
ssize_t CookieWrite(void* cookie, const char* data, size_t size) {
    DosFile& file = *static_cast<DosFile*>(cookie);
    machine::StopIfRequested("CrtStop");
    if (machine::FaultRequested("CrtWrite")) {
        errno = ENOSPC;
        return -1;
    }
    if (!WriteConverted(file, data, size)) return -1;
    if (file.commit && ::fsync(file.fd) != 0) return -1;
    return static_cast<ssize_t>(size);
}

int CookieSeek(void* cookie, off64_t* offset, int whence) {
    DosFile& file = *static_cast<DosFile*>(cookie);
    // Bytes read ahead are not yet consumed: the file position is behind the fd's.
    off64_t target = *offset;
    if (whence == SEEK_CUR) target -= static_cast<off64_t>(file.rawEnd - file.rawStart);
    const off64_t result = ::lseek64(file.fd, target, whence);
    if (result < 0) return -1;
    file.rawStart = file.rawEnd = 0;
    file.atEnd = false;
    *offset = result;
    return 0;
}

int CookieClose(void* cookie) {
    DosFile* file = static_cast<DosFile*>(cookie);
    const int result = ::close(file->fd);
    delete file;
    return result;
}

// The open(2) flags and the stream mode of a Windows fopen mode.
bool ParseMode(const char* mode, int& flags, const char*& streamMode, bool& textMode, bool& commit) {
    if (mode == nullptr) return false;
    bool update = false;
    textMode = true;
    commit = false;
    for (const char* c = mode + 1; *c != '\0'; ++c) {
        if (*c == '+') update = true;
        if (*c == 'b') textMode = false;
        if (*c == 't') textMode = true;
        if (*c == 'c') commit = true;
        if (*c == 'n') commit = false;
    }
    switch (mode[0]) {
        case 'r':
            flags = update ? O_RDWR : O_RDONLY;
            streamMode = update ? "r+" : "r";
            return true;
        case 'w':
            flags = (update ? O_RDWR : O_WRONLY) | O_CREAT | O_TRUNC;
            streamMode = update ? "w+" : "w";
            return true;
        case 'a':
            flags = (update ? O_RDWR : O_WRONLY) | O_CREAT | O_APPEND;
            streamMode = update ? "a+" : "a";
            return true;
        default: return false;
    }
}

}  // namespace

FILE* OpenDosFileStream(const std::string& hostPath, const char* mode) {
    int flags = 0;
    const char* streamMode = nullptr;
    bool textMode = true;
    bool commit = false;
    if (!ParseMode(mode, flags, streamMode, textMode, commit)) {
        errno = EINVAL;
        return nullptr;
    }
    // O_NONBLOCK: a FIFO in the machine's drives is refused, not waited on.
    const int fd = ::open(hostPath.c_str(), flags | O_CLOEXEC | O_NONBLOCK, 0644);
    if (fd < 0) {
        if (errno == EISDIR || errno == ENXIO) errno = EACCES;  // Windows refuses to open a folder as a file
        return nullptr;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
        ::close(fd);
        errno = EACCES;  // a folder, FIFO or device is no file a program of the machine opens
        return nullptr;
    }
    DosFile* file = new (std::nothrow) DosFile;
    if (file == nullptr) {
        ::close(fd);
        errno = ENOMEM;
        return nullptr;
    }
    file->fd = fd;
    file->textMode = textMode;
    file->commit = commit;
    const cookie_io_functions_t functions{CookieRead, CookieWrite, CookieSeek, CookieClose};
    FILE* stream = ::fopencookie(file, streamMode, functions);
    if (stream == nullptr) {
        const int error = errno;
        CookieClose(file);
        errno = error;
    }
    return stream;
}

}  // namespace brontar::platform
