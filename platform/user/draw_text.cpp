// DrawTextExA and DrawTextA: text laid out in a rectangle with the selected
// font, line breaks at CR/LF, word breaks at blanks, alignment, the '&'
// prefix, tab stops, ellipses and DT_CALCRECT. A word wider than the
// rectangle stays whole on its line and is clipped, as outside edit controls.
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "platform/gdi/device_context.h"
#include "platform/gdi/font_instance.h"
#include "platform/kernel/debug_notes.h"
#include "platform/user/text_observer.h"

namespace {

constexpr std::string_view kEllipsis = "...";

// How a call lays out its text.
struct Layout {
    HDC dc = nullptr;
    UINT format = 0;
    LONG tabWidth = 0;  // pixels between tab stops; 0: tabs are characters
};

// One laid-out line.
struct Line {
    std::string text;
    int underline = -1;  // index of the character a '&' prefix marks, or -1
    LONG width = 0;
};

LONG PlainWidth(HDC dc, std::string_view text) {
    SIZE size{};
    GetTextExtentPoint32A(dc, text.data(), static_cast<int>(text.size()), &size);
    return size.cx;
}

// Calls draw(x, run) for each run between tabs, x from the line's start;
// tabs move to the next stop. Answers the line's width.
template <typename Draw>
LONG ForEachRun(const Layout& layout, std::string_view text, Draw draw) {
    LONG x = 0;
    size_t start = 0;
    while (true) {
        size_t tab = layout.tabWidth > 0 ? text.find('\t', start) : std::string_view::npos;
        std::string_view run = text.substr(start, tab == std::string_view::npos ? std::string_view::npos : tab - start);
        if (!run.empty()) draw(x, run);
        x += PlainWidth(layout.dc, run);
        if (tab == std::string_view::npos) return x;
        x = (x / layout.tabWidth + 1) * layout.tabWidth;
        start = tab + 1;
    }
}

LONG WidthOf(const Layout& layout, std::string_view text) {
    return ForEachRun(layout, text, [](LONG, std::string_view) {});
}

// True where a character starts: in UTF-8 text (the ANSI code page of a
// Japanese system here) continuation bytes do not.
bool StartsCharacter(std::string_view text, size_t index) {
    return index >= text.size() || !brontar::platform::AnsiIsUtf8() ||
           (static_cast<unsigned char>(text[index]) & 0xC0) != 0x80;
}

// Removes '&' prefixes: "&&" stands for '&', '&x' underlines x.
Line StripPrefixes(std::string_view text) {
    Line line;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '&' && i + 1 < text.size()) {
            ++i;
            if (text[i] != '&') line.underline = static_cast<int>(line.text.size());
        } else if (text[i] == '&') {
            continue;  // a trailing '&' marks nothing
        }
        line.text += text[i];
    }
    return line;
}

// The paragraphs between CR, LF and CR LF (one paragraph for DT_SINGLELINE).
std::vector<std::string_view> SplitParagraphs(std::string_view text, UINT format) {
    std::vector<std::string_view> paragraphs;
    if (format & DT_SINGLELINE) return {text};
    size_t start = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r' && text[i] != '\n') continue;
        paragraphs.push_back(text.substr(start, i - start));
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        start = i + 1;
    }
    paragraphs.push_back(text.substr(start));
    return paragraphs;
}

// Breaks one paragraph into lines no wider than maxWidth, between words;
// blanks at a break are dropped.
void WrapParagraph(const Layout& layout, const Line& paragraph, LONG maxWidth, std::vector<Line>& lines) {
    const std::string& text = paragraph.text;
    size_t lineStart = 0;
    while (true) {
        size_t lineEnd = lineStart;  // end of the accepted words
        size_t scan = lineStart;
        while (scan < text.size()) {
            size_t wordStart = text.find_first_not_of(' ', scan);
            if (wordStart == std::string::npos) break;
            size_t wordEnd = std::min(text.find(' ', wordStart), text.size());
            bool fits = WidthOf(layout, std::string_view(text).substr(lineStart, wordEnd - lineStart)) <= maxWidth;
            if (!fits && lineEnd > lineStart) break;
            lineEnd = wordEnd;
            scan = wordEnd;
            if (!fits) break;  // a lone word too wide for any line
        }
        Line line;
        line.text = text.substr(lineStart, lineEnd - lineStart);
        if (paragraph.underline >= static_cast<int>(lineStart) && paragraph.underline < static_cast<int>(lineEnd)) {
            line.underline = paragraph.underline - static_cast<int>(lineStart);
        }
        lines.push_back(std::move(line));
        size_t next = text.find_first_not_of(' ', lineEnd);
        if (next == std::string::npos || lineEnd == lineStart) break;
        lineStart = next;
    }
}

// The longest start of the text (cut where a character starts, and for
// words at a blank when one fits) that still fits with the tail after it.
size_t FittingPrefix(const Layout& layout, std::string_view text, std::string_view tail, LONG maxWidth,
                     bool atWords) {
    size_t best = 0;
    bool bestAtBlank = false;
    for (size_t cut = 1; cut <= text.size(); ++cut) {
        if (!StartsCharacter(text, cut)) continue;
        if (WidthOf(layout, std::string(text.substr(0, cut)) + std::string(tail)) > maxWidth) break;
        const bool atBlank = cut < text.size() && text[cut] == ' ';
        if (!atWords || atBlank || !bestAtBlank) {
            best = cut;
            bestAtBlank = bestAtBlank || atBlank;
        }
    }
    while (best > 0 && text[best - 1] == ' ') --best;
    return best;
}

// Shortens a line wider than maxWidth: its end (DT_END_ELLIPSIS, at a word
// for DT_WORD_ELLIPSIS) or the middle of a path, keeping its last part
// (DT_PATH_ELLIPSIS), replaced by "...".
void ShortenLine(const Layout& layout, Line& line, LONG maxWidth) {
    if (line.width <= maxWidth) return;
    std::string_view text = line.text;
    std::string shortened;
    size_t lastSeparator = text.find_last_of("\\/");
    if ((layout.format & DT_PATH_ELLIPSIS) && lastSeparator != std::string_view::npos) {
        std::string tail = std::string(kEllipsis) + std::string(text.substr(lastSeparator));
        if (WidthOf(layout, tail) <= maxWidth) {
            size_t keep = FittingPrefix(layout, text.substr(0, lastSeparator), tail, maxWidth, false);
            shortened = std::string(text.substr(0, keep)) + tail;
            if (line.underline >= static_cast<int>(keep)) line.underline = -1;
        }
    }
    if (shortened.empty()) {
        size_t keep = FittingPrefix(layout, text, kEllipsis, maxWidth, (layout.format & DT_WORD_ELLIPSIS) != 0);
        shortened = std::string(text.substr(0, keep)) + std::string(kEllipsis);
        if (line.underline >= static_cast<int>(keep)) line.underline = -1;
    }
    line.text = std::move(shortened);
    line.width = WidthOf(layout, line.text);
}

std::vector<Line> LayOut(const Layout& layout, std::string_view text, LONG maxWidth) {
    std::vector<Line> lines;
    for (std::string_view raw : SplitParagraphs(text, layout.format)) {
        Line paragraph = (layout.format & DT_NOPREFIX) ? Line{std::string(raw), -1, 0} : StripPrefixes(raw);
        if ((layout.format & DT_WORDBREAK) && !(layout.format & DT_SINGLELINE)) {
            WrapParagraph(layout, paragraph, maxWidth, lines);
        } else {
            lines.push_back(std::move(paragraph));
        }
    }
    for (Line& line : lines) {
        line.width = WidthOf(layout, line.text);
        if (layout.format & (DT_END_ELLIPSIS | DT_WORD_ELLIPSIS | DT_PATH_ELLIPSIS))
            ShortenLine(layout, line, maxWidth);
    }
    return lines;
}

// Underlines the character a prefix marks, in the text colour, inside the clip.
void DrawPrefixUnderline(const Layout& layout, const Line& line, LONG x, LONG baseline, const RECT* clip) {
    size_t end = static_cast<size_t>(line.underline) + 1;
    while (!StartsCharacter(line.text, end)) ++end;
    LONG start = x + WidthOf(layout, std::string_view(line.text).substr(0, line.underline));
    LONG stop = x + WidthOf(layout, std::string_view(line.text).substr(0, end));
    RECT mark{start, baseline + 1, stop, baseline + 2};
    if (clip != nullptr && !IntersectRect(&mark, &mark, clip)) return;
    brontar::platform::FillSolidRect(layout.dc, mark, GetTextColor(layout.dc));
}

// Tab stops every eight average character widths, or as many as the high
// byte of the format gives (DT_TABSTOP) or the parameters' tab length.
LONG TabWidth(UINT format, const DRAWTEXTPARAMS* params, LONG averageWidth) {
    if (!(format & DT_EXPANDTABS)) return 0;
    LONG characters = 8;
    if (format & DT_TABSTOP) characters = static_cast<LONG>((format >> 8) & 0xFF);
    if (params != nullptr && params->iTabLength > 0) characters = params->iTabLength;
    return std::max<LONG>(1, characters) * std::max<LONG>(1, averageWidth);
}

}  // namespace

extern "C" {

// Draws (or with DT_CALCRECT measures) text in the rectangle; answers the
// height of the text, or with DT_VCENTER or DT_BOTTOM the offset from the
// rectangle's top to the text's bottom; 0 on failure. With DT_MODIFYSTRING
// and an ellipsis, a single shortened line is written back into the text,
// which then has room for cchText + 4 characters and the terminator, as
// Windows asks of its callers.
int WINAPI DrawTextExA(HDC hdc, LPSTR lpchText, int cchText, LPRECT lprc, UINT format, LPDRAWTEXTPARAMS lpdtp) {
    TEXTMETRICA tm{};
    if (lprc == nullptr || cchText < -1 || (lpchText == nullptr && cchText != 0) || !GetTextMetricsA(hdc, &tm)) {
        return 0;
    }
    Layout layout{hdc, format, TabWidth(format, lpdtp, tm.tmAveCharWidth)};
    if (format & DT_TABSTOP) layout.format &= ~0xFF00u;  // the high byte was the tab length
    format = layout.format;
    if (format & DT_RTLREADING)
        brontar::platform::DebugNoteOnce(brontar::platform::DebugChannel::User, "DT_RTLREADING",
                                         "DrawTextExA: DT_RTLREADING is not implemented; drawn left to right");
    std::string_view text(lpchText != nullptr ? lpchText : "",
                          cchText == -1 ? std::strlen(lpchText) : static_cast<size_t>(cchText));
    const LONG leftMargin = lpdtp != nullptr ? lpdtp->iLeftMargin : 0;
    const LONG rightMargin = lpdtp != nullptr ? lpdtp->iRightMargin : 0;
    const LONG left = lprc->left + leftMargin;
    const LONG right = lprc->right - rightMargin;
    const LONG lineHeight = tm.tmHeight + ((format & DT_EXTERNALLEADING) ? tm.tmExternalLeading : 0);

    std::vector<Line> lines = LayOut(layout, text, std::max<LONG>(0, right - left));
    const LONG textHeight = lineHeight * static_cast<LONG>(lines.size());
    if (lpdtp != nullptr) lpdtp->uiLengthDrawn = static_cast<UINT>(text.size());
    const bool shortened = (format & (DT_END_ELLIPSIS | DT_WORD_ELLIPSIS | DT_PATH_ELLIPSIS)) && lines.size() == 1 &&
                           lines[0].text != text;
    if ((format & DT_MODIFYSTRING) && shortened && lpchText != nullptr &&
        lines[0].text.size() <= text.size() + 4 && text.find('&') == std::string_view::npos) {
        std::memcpy(lpchText, lines[0].text.c_str(), lines[0].text.size() + 1);
    }

    LONG top = lprc->top;
    if (format & DT_SINGLELINE) {
        if (format & DT_VCENTER) top = lprc->top + (lprc->bottom - lprc->top - lineHeight) / 2;
        else if (format & DT_BOTTOM) top = lprc->bottom - lineHeight;
    }
    if (format & DT_CALCRECT) {
        LONG widest = 0;
        for (const Line& line : lines) widest = std::max(widest, line.width);
        lprc->right = left + widest + rightMargin;
        lprc->bottom = lprc->top + textHeight;
        return textHeight;
    }

    brontar::platform::NotifyTextDrawn(*lprc, text, format);
    const RECT* clip = (format & DT_NOCLIP) ? nullptr : lprc;
    LONG y = top;
    for (const Line& line : lines) {
        if (clip != nullptr && y >= clip->bottom) break;
        LONG x = (format & DT_CENTER)  ? left + (right - left - line.width) / 2
                 : (format & DT_RIGHT) ? right - line.width
                                       : left;
        ForEachRun(layout, line.text, [&](LONG offset, std::string_view run) {
            ExtTextOutA(hdc, x + offset, y, clip != nullptr ? ETO_CLIPPED : 0, clip, run.data(),
                        static_cast<UINT>(run.size()), nullptr);
        });
        if (line.underline >= 0) DrawPrefixUnderline(layout, line, x, y + tm.tmAscent, clip);
        y += lineHeight;
    }
    if ((format & DT_SINGLELINE) && (format & (DT_VCENTER | DT_BOTTOM))) return top - lprc->top + lineHeight;
    return textHeight;
}

// DrawTextExA without margins; the text is not changed.
int WINAPI DrawTextA(HDC hdc, LPCSTR lpchText, int cchText, LPRECT lprc, UINT format) {
    return DrawTextExA(hdc, const_cast<LPSTR>(lpchText), cchText, lprc, format & ~DT_MODIFYSTRING, nullptr);
}

}  // extern "C"
