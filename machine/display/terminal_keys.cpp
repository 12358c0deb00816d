#include "machine/display/terminal_keys.h"

#include <poll.h>
#include <signal.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace brontar::machine {

namespace {

// The PC keyboard's virtual-key numbers of the keys a terminal sends.
constexpr int kBackspace = 0x08;
constexpr int kTab = 0x09;
constexpr int kEnter = 0x0D;
constexpr int kControl = 0x11;
constexpr int kEscape = 0x1B;
constexpr int kPageUp = 0x21;
constexpr int kPageDown = 0x22;
constexpr int kEnd = 0x23;
constexpr int kHome = 0x24;
constexpr int kLeft = 0x25;
constexpr int kUp = 0x26;
constexpr int kRight = 0x27;
constexpr int kDown = 0x28;
constexpr int kDelete = 0x2E;

constexpr char kCtrlC = 0x03;
constexpr char kEsc = 0x1B;

void Press(std::vector<DisplayInputEvent>& out, int key) {
    out.push_back({DisplayInputEvent::Kind::KeyDown, key});
    out.push_back({DisplayInputEvent::Kind::KeyUp, key});
}

// The key of an escape sequence's final byte (ESC [ A, ESC O H) or of its
// number (ESC [ 5 ~); 0 for sequences no key here sends.
int KeyOfFinal(char final) {
    switch (final) {
        case 'A': return kUp;
        case 'B': return kDown;
        case 'C': return kRight;
        case 'D': return kLeft;
        case 'H': return kHome;
        case 'F': return kEnd;
        default: return 0;
    }
}

int KeyOfNumber(std::string_view number) {
    if (number == "1" || number == "7") return kHome;
    if (number == "4" || number == "8") return kEnd;
    if (number == "3") return kDelete;
    if (number == "5") return kPageUp;
    if (number == "6") return kPageDown;
    return 0;
}

// Reads the sequence after ESC at bytes[at] ('[' or 'O'); gives the index
// after it, or bytes.size() when it is cut off.
size_t ReadSequence(std::string_view bytes, size_t at, std::vector<DisplayInputEvent>& out) {
    const bool ss3 = bytes[at] == 'O';
    size_t end = at + 1;
    // Parameters and intermediates run until the final byte (0x40 to 0x7E).
    while (end < bytes.size() && !(bytes[end] >= 0x40 && bytes[end] <= 0x7E)) ++end;
    if (end >= bytes.size()) return bytes.size();
    const char final = bytes[end];
    int key = 0;
    if (final == '~' && !ss3) {
        std::string_view parameters = bytes.substr(at + 1, end - at - 1);
        key = KeyOfNumber(parameters.substr(0, parameters.find(';')));
    } else {
        key = KeyOfFinal(final);
    }
    if (key != 0) Press(out, key);
    return end + 1;
}

}  // namespace

TerminalKeys TranslateTerminalBytes(std::string_view bytes) {
    TerminalKeys keys;
    auto& out = keys.events;
    for (size_t i = 0; i < bytes.size(); ++i) {
        const char byte = bytes[i];
        if (byte == kCtrlC) {
            keys.interrupted = true;
            break;
        }
        if (byte == kEsc) {
            if (i + 1 < bytes.size() && (bytes[i + 1] == '[' || bytes[i + 1] == 'O')) {
                i = ReadSequence(bytes, i + 1, out) - 1;
            } else {
                Press(out, kEscape);
            }
        } else if (byte == '\r' || byte == '\n') {
            Press(out, kEnter);
        } else if (byte == '\t') {
            Press(out, kTab);
        } else if (byte == 0x7F || byte == 0x08) {
            Press(out, kBackspace);
        } else if (byte >= 0x01 && byte <= 0x1A) {
            // Ctrl+A to Ctrl+Z (those above are taken by their own keys).
            out.push_back({DisplayInputEvent::Kind::KeyDown, kControl});
            Press(out, 'A' + byte - 1);
            out.push_back({DisplayInputEvent::Kind::KeyUp, kControl});
        } else if (byte >= 0x20 && byte <= 0x7E) {
            DisplayInputEvent typed{DisplayInputEvent::Kind::Character};
            typed.character = byte;
            out.push_back(typed);
        }
    }
    return keys;
}

namespace {

// The terminal's state as the signal handlers see it: plain data, written
// before the handlers are installed.
struct RawTerminal {
    int fd = -1;
    termios saved{};                    // the settings to give back
    volatile sig_atomic_t raw = 0;      // the terminal is in raw mode now
    bool listening = false;
};

RawTerminal theTerminal;

// The signals that end a program, whose handlers give the terminal back first.
constexpr int kEndingSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGABRT};
struct sigaction previousActions[std::size(kEndingSignals)];

void RestoreTerminal() {
    if (theTerminal.raw == 0) return;
    tcsetattr(theTerminal.fd, TCSANOW, &theTerminal.saved);
    theTerminal.raw = 0;
}

// Gives the terminal back, then lets the signal do what it did before.
extern "C" void OnEndingSignal(int signal) {
    RestoreTerminal();
    for (size_t i = 0; i < std::size(kEndingSignals); ++i)
        if (kEndingSignals[i] == signal) sigaction(signal, &previousActions[i], nullptr);
    raise(signal);
}

// Gives the terminal back when the process ends normally.
struct RestoreAtExit {
    ~RestoreAtExit() { RestoreTerminal(); }
};

// Ctrl+C in raw mode is only a byte: it interrupts the foreground as the
// terminal itself would, and a program that survives that ends as one
// interrupted does.
[[noreturn]] void Interrupt() {
    RestoreTerminal();
    const pid_t foreground = tcgetpgrp(theTerminal.fd);
    if (foreground > 0 && foreground == getpgrp())
        kill(-foreground, SIGINT);
    else
        raise(SIGINT);
    std::_Exit(128 + SIGINT);
}

}  // namespace

bool ListenToTerminal() {
    if (theTerminal.listening) return true;
    const int fd = STDIN_FILENO;
    // Only the foreground may change the terminal (others would be stopped).
    if (!isatty(fd) || tcgetpgrp(fd) != getpgrp()) return false;
    termios settings{};
    if (tcgetattr(fd, &settings) != 0) return false;
    // Raw already: another program listens there, and would get the terminal
    // back in whatever state this one left it.
    if ((settings.c_lflag & ICANON) == 0) return false;
    static RestoreAtExit restoreAtExit;
    theTerminal.fd = fd;
    theTerminal.saved = settings;
    for (size_t i = 0; i < std::size(kEndingSignals); ++i) {
        struct sigaction action {};
        action.sa_handler = OnEndingSignal;
        sigemptyset(&action.sa_mask);
        sigaction(kEndingSignals[i], &action, &previousActions[i]);
    }
    // Keys arrive one by one, unechoed, and Ctrl+C as a byte; output keeps its
    // line endings so messages still read well.
    termios raw = settings;
    raw.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO | ISIG | IEXTEN);
    raw.c_iflag &= ~static_cast<tcflag_t>(IXON | ICRNL | INLCR | IGNCR | ISTRIP | BRKINT);
    raw.c_cc[VMIN] = 1;
    raw.c_cc[VTIME] = 0;
    theTerminal.raw = 1;
    if (tcsetattr(fd, TCSANOW, &raw) != 0) {
        theTerminal.raw = 0;
        for (size_t i = 0; i < std::size(kEndingSignals); ++i)
            sigaction(kEndingSignals[i], &previousActions[i], nullptr);
        return false;
    }
    theTerminal.listening = true;
    return true;
}

bool ListeningToTerminal() { return theTerminal.listening; }

void StopListeningToTerminal() {
    if (!theTerminal.listening) return;
    RestoreTerminal();
    for (size_t i = 0; i < std::size(kEndingSignals); ++i) sigaction(kEndingSignals[i], &previousActions[i], nullptr);
    theTerminal.listening = false;
}

std::vector<DisplayInputEvent> TakeTerminalKeys(int timeoutMs) {
    std::vector<DisplayInputEvent> events;
    if (!theTerminal.listening) return events;
    pollfd ready{theTerminal.fd, POLLIN, 0};
    int waitMs = timeoutMs > 0 ? timeoutMs : 0;
    while (poll(&ready, 1, waitMs) > 0) {
        char bytes[64];
        const ssize_t count = read(theTerminal.fd, bytes, sizeof bytes);
        if (count < 0 && (errno == EINTR || errno == EAGAIN)) break;
        if (count <= 0) {  // hung up
            StopListeningToTerminal();
            break;
        }
        TerminalKeys keys = TranslateTerminalBytes(std::string_view(bytes, static_cast<size_t>(count)));
        if (keys.interrupted) Interrupt();
        events.insert(events.end(), keys.events.begin(), keys.events.end());
        waitMs = 0;  // take what else is there, without waiting again
    }
    return events;
}

}  // namespace brontar::machine
