// wsprintfA and wvsprintfA: user32's small formatter. It knows the flags
// '-', '#' and '0', a decimal width and precision, the size prefixes 'l' and
// 'h', and the types c C d i s S u x X; no floating point and no '*'. A
// character after '%' that starts no field is copied as it is ("%%" gives
// "%"). Output stops at 1,024 bytes including the terminating zero.
#include <windows.h>

#include <cstring>
#include <string_view>

namespace {

constexpr size_t kOutputLimit = 1024;  // bytes, terminator included

// Appends to the caller's buffer, dropping whatever passes the limit.
class BoundedOutput {
public:
    explicit BoundedOutput(char* buffer) : buffer_(buffer) {}

    void Put(char c) {
        if (length_ + 1 < kOutputLimit) buffer_[length_++] = c;
    }
    void Repeat(char c, int count) {
        for (int i = 0; i < count; ++i) Put(c);
    }
    void Append(std::string_view text) {
        for (char c : text) Put(c);
    }
    // Writes the terminator; answers the characters stored before it.
    int Finish() {
        buffer_[length_] = '\0';
        return static_cast<int>(length_);
    }

private:
    char* buffer_;
    size_t length_ = 0;
};

// One parsed "%..." field.
struct FieldSpec {
    bool leftAlign = false;  // '-'
    bool hexPrefix = false;  // '#'
    bool zeroPad = false;    // '0'
    int width = 0;
    int precision = -1;  // -1: none given
    bool wide = false;   // 'l' on c and s, or the types C and S
    bool narrow = false; // 'h' on c and s
};

// Reads decimal digits, saturating so a huge width cannot overflow.
int ReadNumber(const char*& p) {
    int value = 0;
    while (*p >= '0' && *p <= '9') {
        if (value < static_cast<int>(kOutputLimit)) value = value * 10 + (*p - '0');
        ++p;
    }
    return value;
}

// Pads the text to the field width on the side the flags ask for.
void PutPadded(BoundedOutput& out, std::string_view text, const FieldSpec& spec, char padChar = ' ') {
    int padding = spec.width - static_cast<int>(text.size());
    if (!spec.leftAlign) out.Repeat(padChar, padding);
    out.Append(text);
    if (spec.leftAlign) out.Repeat(' ', padding);
}

// A number: sign or 0x prefix, digits widened to the precision, then padding
// with zeros (between prefix and digits) or blanks.
void PutNumber(BoundedOutput& out, uint32_t magnitude, bool negative, unsigned base, bool upper,
               const FieldSpec& spec) {
    const char* digitChars = upper ? "0123456789ABCDEF" : "0123456789abcdef";
    char digits[16];
    int count = 0;
    do {
        digits[count++] = digitChars[magnitude % base];
        magnitude /= base;
    } while (magnitude != 0);

    std::string_view prefix;
    if (negative) {
        prefix = "-";
    } else if (spec.hexPrefix && base == 16 && !(count == 1 && digits[0] == '0')) {
        prefix = upper ? "0X" : "0x";
    }
    int precisionZeros = spec.precision > count ? spec.precision - count : 0;
    int length = static_cast<int>(prefix.size()) + precisionZeros + count;
    int padding = spec.width > length ? spec.width - length : 0;
    bool padWithZeros = spec.zeroPad && !spec.leftAlign;

    if (!spec.leftAlign && !padWithZeros) out.Repeat(' ', padding);
    out.Append(prefix);
    if (padWithZeros) out.Repeat('0', padding);
    out.Repeat('0', precisionZeros);
    while (count > 0) out.Put(digits[--count]);
    if (spec.leftAlign) out.Repeat(' ', padding);
}

// A wide string narrowed character by character; what Latin-1 cannot hold becomes '?'.
void PutWideString(BoundedOutput& out, const WCHAR* text, const FieldSpec& spec) {
    char narrowed[kOutputLimit];
    size_t length = 0;
    size_t limit = spec.precision >= 0 ? static_cast<size_t>(spec.precision) : kOutputLimit - 1;
    for (; length < limit && length < kOutputLimit - 1 && text[length] != 0; ++length) {
        narrowed[length] = text[length] < 0x100 ? static_cast<char>(text[length]) : '?';
    }
    PutPadded(out, std::string_view(narrowed, length), spec);
}

// A narrow string, cut at the precision; NULL prints as "(null)".
void PutString(BoundedOutput& out, const char* text, const FieldSpec& spec) {
    if (text == nullptr) text = "(null)";
    size_t length = spec.precision >= 0 ? strnlen(text, static_cast<size_t>(spec.precision)) : strlen(text);
    PutPadded(out, std::string_view(text, length), spec);
}

}  // namespace

extern "C" {

// Formats into lpOut, at most 1,024 bytes with the terminator; answers the
// characters stored, not counting the terminator.
int WINAPI wvsprintfA(LPSTR lpOut, LPCSTR lpFmt, va_list arglist) {
    if (lpOut == nullptr) return 0;
    BoundedOutput out(lpOut);
    if (lpFmt == nullptr) return out.Finish();

    for (const char* p = lpFmt; *p != '\0'; ++p) {
        if (*p != '%') {
            out.Put(*p);
            continue;
        }
        ++p;
        FieldSpec spec;
        for (;; ++p) {
            if (*p == '-') spec.leftAlign = true;
            else if (*p == '#') spec.hexPrefix = true;
            else if (*p == '0') spec.zeroPad = true;
            else break;
        }
        spec.width = ReadNumber(p);
        if (*p == '.') {
            ++p;
            spec.precision = ReadNumber(p);
        }
        if (*p == 'l') {
            spec.wide = true;
            ++p;
        } else if (*p == 'h') {
            spec.narrow = true;
            ++p;
        }
        switch (*p) {
        case '\0':
            return out.Finish();
        case 'c':
        case 'C': {
            bool wide = (*p == 'C' && !spec.narrow) || spec.wide;
            unsigned value = static_cast<unsigned>(va_arg(arglist, int));
            char c = wide ? (value < 0x100 ? static_cast<char>(value) : '?') : static_cast<char>(value);
            PutPadded(out, std::string_view(&c, 1), spec);
            break;
        }
        case 's':
        case 'S':
            if ((*p == 'S' && !spec.narrow) || spec.wide) {
                const WCHAR* text = va_arg(arglist, const WCHAR*);
                static const WCHAR kNull[] = {'(', 'n', 'u', 'l', 'l', ')', 0};
                PutWideString(out, text != nullptr ? text : kNull, spec);
            } else {
                PutString(out, va_arg(arglist, const char*), spec);
            }
            break;
        case 'd':
        case 'i': {
            int32_t value = va_arg(arglist, int32_t);
            // Magnitude in unsigned arithmetic, so the most negative value is safe.
            uint32_t magnitude = value < 0 ? 0u - static_cast<uint32_t>(value) : static_cast<uint32_t>(value);
            PutNumber(out, magnitude, value < 0, 10, false, spec);
            break;
        }
        case 'u':
            PutNumber(out, va_arg(arglist, uint32_t), false, 10, false, spec);
            break;
        case 'x':
        case 'X':
            PutNumber(out, va_arg(arglist, uint32_t), false, 16, *p == 'X', spec);
            break;
        default:
            out.Put(*p);
            break;
        }
    }
    return out.Finish();
}

// wvsprintfA over the variable arguments.
int WINAPIV wsprintfA(LPSTR lpOut, LPCSTR lpFmt, ...) {
    va_list arglist;
    va_start(arglist, lpFmt);
    int written = wvsprintfA(lpOut, lpFmt, arglist);
    va_end(arglist);
    return written;
}

}  // extern "C"
