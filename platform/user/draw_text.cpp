// DrawTextExA and DrawTextA: text laid out in a rectangle with the selected
// font, line breaks at CR/LF, word breaks at blanks, alignment, the '&'
// prefix and DT_CALCRECT. A word wider than the rectangle stays whole on its
// line and is clipped, as outside edit controls.
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "platform/gdi/device_context.h"
#include "platform/kernel/event_log.h"
#include "platform/user/text_observer.h"

namespace {

constexpr UINT kUnimplementedFormats = DT_EXPANDTABS | DT_TABSTOP | DT_PATH_ELLIPSIS | DT_END_ELLIPSIS |
                                       DT_WORD_ELLIPSIS | DT_MODIFYSTRING | DT_RTLREADING;

// One laid-out line.
struct Line {
    std::string text;
    int underline = -1;  // index of the character a '&' prefix marks, or -1
    LONG width = 0;
};

LONG WidthOf(HDC dc, std::string_view text) {
    SIZE size{};
    GetTextExtentPoint32A(dc, text.data(), static_cast<int>(text.size()), &size);
    return size.cx;
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
void WrapParagraph(HDC dc, const Line& paragraph, LONG maxWidth, std::vector<Line>& lines) {
    const std::string& text = paragraph.text;
    size_t lineStart = 0;
    while (true) {
        size_t lineEnd = lineStart;  // end of the accepted words
        size_t scan = lineStart;
        while (scan < text.size()) {
            size_t wordStart = text.find_first_not_of(' ', scan);
            if (wordStart == std::string::npos) break;
            size_t wordEnd = std::min(text.find(' ', wordStart), text.size());
            bool fits = WidthOf(dc, std::string_view(text).substr(lineStart, wordEnd - lineStart)) <= maxWidth;
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

std::vector<Line> LayOut(HDC dc, std::string_view text, UINT format, LONG maxWidth) {
    std::vector<Line> lines;
    for (std::string_view raw : SplitParagraphs(text, format)) {
        Line paragraph = (format & DT_NOPREFIX) ? Line{std::string(raw), -1, 0} : StripPrefixes(raw);
        if ((format & DT_WORDBREAK) && !(format & DT_SINGLELINE)) {
            WrapParagraph(dc, paragraph, maxWidth, lines);
        } else {
            lines.push_back(std::move(paragraph));
        }
    }
    for (Line& line : lines) line.width = WidthOf(dc, line.text);
    return lines;
}

// Underlines the character a prefix marks, in the text colour, inside the clip.
void DrawPrefixUnderline(HDC dc, const Line& line, LONG x, LONG baseline, const RECT* clip) {
    LONG start = x + WidthOf(dc, std::string_view(line.text).substr(0, line.underline));
    RECT mark{start, baseline + 1, start + WidthOf(dc, std::string_view(line.text).substr(line.underline, 1)),
              baseline + 2};
    if (clip != nullptr && !IntersectRect(&mark, &mark, clip)) return;
    brontar::platform::FillSolidRect(dc, mark, GetTextColor(dc));
}

}  // namespace

extern "C" {

// Draws (or with DT_CALCRECT measures) text in the rectangle; answers the
// height of the text, or with DT_VCENTER or DT_BOTTOM the offset from the
// rectangle's top to the text's bottom; 0 on failure.
int WINAPI DrawTextExA(HDC hdc, LPSTR lpchText, int cchText, LPRECT lprc, UINT format, LPDRAWTEXTPARAMS lpdtp) {
    TEXTMETRICA tm{};
    if (lprc == nullptr || cchText < -1 || (lpchText == nullptr && cchText != 0) || !GetTextMetricsA(hdc, &tm)) {
        return 0;
    }
    static std::atomic<bool> unimplementedReported{false};
    if ((format & kUnimplementedFormats) && !unimplementedReported.exchange(true)) {
        brontar::platform::WriteDiagnostic("DrawTextExA: tab expansion, ellipses, DT_MODIFYSTRING and "
                                           "DT_RTLREADING are not implemented; drawn without them");
    }
    std::string_view text(lpchText != nullptr ? lpchText : "",
                          cchText == -1 ? std::strlen(lpchText) : static_cast<size_t>(cchText));
    const LONG leftMargin = lpdtp != nullptr ? lpdtp->iLeftMargin : 0;
    const LONG rightMargin = lpdtp != nullptr ? lpdtp->iRightMargin : 0;
    const LONG left = lprc->left + leftMargin;
    const LONG right = lprc->right - rightMargin;
    const LONG lineHeight = tm.tmHeight + ((format & DT_EXTERNALLEADING) ? tm.tmExternalLeading : 0);

    std::vector<Line> lines = LayOut(hdc, text, format, std::max<LONG>(0, right - left));
    const LONG textHeight = lineHeight * static_cast<LONG>(lines.size());
    if (lpdtp != nullptr) lpdtp->uiLengthDrawn = static_cast<UINT>(text.size());

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
        ExtTextOutA(hdc, x, y, clip != nullptr ? ETO_CLIPPED : 0, clip, line.text.data(),
                    static_cast<UINT>(line.text.size()), nullptr);
        if (line.underline >= 0) DrawPrefixUnderline(hdc, line, x, y + tm.tmAscent, clip);
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
