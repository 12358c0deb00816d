#include "platform/user/dialog_template.h"

#include <cstring>

#include "platform/kernel/event_log.h"
#include "platform/kernel/text_encoding.h"

namespace brontar::platform {
namespace {

// A bounded little-endian reader over the template.
class TemplateReader {
public:
    TemplateReader(const uint8_t* data, size_t size) : data_(data), size_(size) {}

    bool Word(WORD& value) {
        if (offset_ + 2 > size_) return Fail();
        value = static_cast<WORD>(data_[offset_] | (data_[offset_ + 1] << 8));
        offset_ += 2;
        return true;
    }
    bool Dword(DWORD& value) {
        WORD low, high;
        if (!Word(low) || !Word(high)) return false;
        value = low | (static_cast<DWORD>(high) << 16);
        return true;
    }
    bool Short(LONG& value) {
        WORD word;
        if (!Word(word)) return false;
        value = static_cast<int16_t>(word);
        return true;
    }
    // A zero-terminated UTF-16 text.
    bool Text(std::string& text) {
        std::u16string units;
        WORD unit;
        while (true) {
            if (!Word(unit)) return false;
            if (unit == 0) break;
            units.push_back(static_cast<char16_t>(unit));
        }
        text = Utf16ToUtf8(units);
        return true;
    }
    // 0xFFFF followed by an ordinal, or a text.
    bool NameOrOrdinal(std::string& text, WORD& ordinal, bool& isOrdinal) {
        if (offset_ + 2 > size_) return Fail();
        if (data_[offset_] == 0xFF && data_[offset_ + 1] == 0xFF) {
            offset_ += 2;
            isOrdinal = true;
            return Word(ordinal);
        }
        isOrdinal = false;
        return Text(text);
    }
    void AlignToDword() { offset_ = (offset_ + 3) & ~size_t{3}; }
    bool failed() const { return failed_; }

private:
    bool Fail() {
        failed_ = true;
        return false;
    }
    const uint8_t* data_;
    size_t size_;
    size_t offset_ = 0;
    bool failed_ = false;
};

// Names of the predefined control classes a template gives by ordinal.
std::string PredefinedClassName(WORD ordinal) {
    switch (ordinal) {
        case 0x80: return "BUTTON";
        case 0x81: return "EDIT";
        case 0x82: return "STATIC";
        case 0x83: return "LISTBOX";
        case 0x84: return "SCROLLBAR";
        case 0x85: return "COMBOBOX";
        default: return "#" + std::to_string(ordinal);
    }
}

bool ReadUnitBox(TemplateReader& reader, DialogUnitBox& units) {
    return reader.Short(units.x) && reader.Short(units.y) && reader.Short(units.cx) && reader.Short(units.cy);
}

}  // namespace

std::optional<DialogTemplateData> ParseDialogTemplate(const void* data, size_t size) {
    if (data == nullptr) return std::nullopt;
    const auto* bytes = static_cast<const uint8_t*>(data);
    if (size >= 4 && bytes[0] == 1 && bytes[1] == 0 && bytes[2] == 0xFF && bytes[3] == 0xFF) {
        WriteDiagnostic("dialogs: extended dialog templates (DLGTEMPLATEEX) are not supported");
        return std::nullopt;
    }
    TemplateReader reader(bytes, size);
    DialogTemplateData dialog;
    WORD count = 0;
    if (!reader.Dword(dialog.style) || !reader.Dword(dialog.exStyle) || !reader.Word(count) ||
        !ReadUnitBox(reader, dialog.units)) {
        WriteDiagnostic("dialogs: truncated dialog template");
        return std::nullopt;
    }
    std::string menuName, className;
    WORD menu = 0, windowClass = 0;
    bool menuIsOrdinal = false, classIsOrdinal = false;
    if (!reader.NameOrOrdinal(menuName, menu, menuIsOrdinal) ||
        !reader.NameOrOrdinal(className, windowClass, classIsOrdinal) || !reader.Text(dialog.caption)) {
        WriteDiagnostic("dialogs: truncated dialog template");
        return std::nullopt;
    }
    if (menuIsOrdinal || !menuName.empty() || classIsOrdinal || !className.empty()) {
        WriteDiagnostic("dialogs: templates with a menu or their own window class are not supported");
        return std::nullopt;
    }
    if (dialog.style & DS_SETFONT) {
        if (!reader.Word(dialog.pointSize) || !reader.Text(dialog.faceName)) {
            WriteDiagnostic("dialogs: truncated dialog template");
            return std::nullopt;
        }
    }
    for (WORD i = 0; i < count; ++i) {
        reader.AlignToDword();
        DialogTemplateItem item;
        WORD classOrdinal = 0, titleOrdinal = 0, extra = 0;
        bool classOrdinalForm = false, titleOrdinalForm = false;
        if (!reader.Dword(item.style) || !reader.Dword(item.exStyle) || !ReadUnitBox(reader, item.units) ||
            !reader.Word(item.id) || !reader.NameOrOrdinal(item.className, classOrdinal, classOrdinalForm) ||
            !reader.NameOrOrdinal(item.title, titleOrdinal, titleOrdinalForm) || !reader.Word(extra)) {
            WriteDiagnostic("dialogs: truncated dialog template item");
            return std::nullopt;
        }
        if (classOrdinalForm) item.className = PredefinedClassName(classOrdinal);
        if (titleOrdinalForm) item.title = "#" + std::to_string(titleOrdinal);
        if (extra != 0) WriteDiagnostic("dialogs: control creation data is ignored");
        for (WORD skip = 0; skip < extra / 2 + extra % 2; ++skip) {
            WORD ignored;
            if (!reader.Word(ignored)) return std::nullopt;
        }
        dialog.items.push_back(std::move(item));
    }
    return dialog;
}

}  // namespace brontar::platform

namespace brontar::platform {

DialogTemplateWriter::DialogTemplateWriter(DWORD style, const char* caption, const char* faceName) {
    Dword(style | DS_SETFONT);
    Dword(0);
    countOffset_ = bytes_.size();
    Word(0);
    for (int i = 0; i < 4; ++i) Word(0);
    Word(0);  // no menu
    Word(0);  // the dialog class
    Text(caption);
    Word(8);
    Text(faceName);
}

void DialogTemplateWriter::Item(const char* className, const char* title, WORD id, DWORD style) {
    while (bytes_.size() % 4) bytes_.push_back(0);
    Dword(WS_CHILD | WS_VISIBLE | style);
    Dword(0);
    for (int i = 0; i < 4; ++i) Word(0);
    Word(id);
    Text(className);
    Text(title);
    Word(0);  // no creation data
    const WORD count = static_cast<WORD>(bytes_[countOffset_] | (bytes_[countOffset_ + 1] << 8)) + 1;
    bytes_[countOffset_] = static_cast<uint8_t>(count);
    bytes_[countOffset_ + 1] = static_cast<uint8_t>(count >> 8);
}

void DialogTemplateWriter::Word(WORD value) {
    bytes_.push_back(static_cast<uint8_t>(value));
    bytes_.push_back(static_cast<uint8_t>(value >> 8));
}

void DialogTemplateWriter::Dword(DWORD value) {
    Word(static_cast<WORD>(value));
    Word(static_cast<WORD>(value >> 16));
}

void DialogTemplateWriter::Text(const char* text) {
    for (char16_t unit : Utf8ToUtf16(text)) Word(static_cast<WORD>(unit));
    Word(0);
}

}  // namespace brontar::platform
