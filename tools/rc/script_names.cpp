#include "tools/rc/script_names.h"

#include <cctype>
#include <utility>

namespace brontar::rc {

const std::map<std::string, uint32_t, std::less<>>& BuiltinConstants() {
    static const std::map<std::string, uint32_t, std::less<>> constants = {
        {"WS_OVERLAPPED", 0x00000000}, {"WS_POPUP", 0x80000000},      {"WS_CHILD", 0x40000000},
        {"WS_MINIMIZE", 0x20000000},   {"WS_VISIBLE", 0x10000000},    {"WS_DISABLED", 0x08000000},
        {"WS_CLIPSIBLINGS", 0x04000000}, {"WS_CLIPCHILDREN", 0x02000000}, {"WS_CAPTION", 0x00C00000},
        {"WS_BORDER", 0x00800000},     {"WS_DLGFRAME", 0x00400000},   {"WS_VSCROLL", 0x00200000},
        {"WS_HSCROLL", 0x00100000},    {"WS_SYSMENU", 0x00080000},    {"WS_THICKFRAME", 0x00040000},
        {"WS_GROUP", 0x00020000},      {"WS_TABSTOP", 0x00010000},    {"WS_EX_CLIENTEDGE", 0x00000200},
        {"WS_EX_STATICEDGE", 0x00020000}, {"DS_3DLOOK", 0x0004},      {"DS_SETFONT", 0x0040},
        {"DS_MODALFRAME", 0x0080},     {"DS_CONTROL", 0x0400},        {"DS_CENTER", 0x0800},
        {"SS_LEFT", 0x0000},           {"SS_CENTER", 0x0001},         {"SS_RIGHT", 0x0002},
        {"SS_LEFTNOWORDWRAP", 0x000C}, {"SS_ETCHEDFRAME", 0x0012},    {"SS_NOPREFIX", 0x0080},
        {"SS_SUNKEN", 0x1000},         {"BS_PUSHBUTTON", 0x0000},     {"BS_DEFPUSHBUTTON", 0x0001},
        {"BS_CHECKBOX", 0x0002},       {"BS_AUTOCHECKBOX", 0x0003},   {"BS_RADIOBUTTON", 0x0004},
        {"BS_3STATE", 0x0005},         {"BS_AUTO3STATE", 0x0006},     {"BS_GROUPBOX", 0x0007},
        {"BS_AUTORADIOBUTTON", 0x0009}, {"BS_LEFTTEXT", 0x0020},      {"BS_MULTILINE", 0x2000},      {"CBS_SIMPLE", 0x0001},
        {"CBS_DROPDOWN", 0x0002},      {"CBS_DROPDOWNLIST", 0x0003},  {"CBS_SORT", 0x0100},
        {"CBS_HASSTRINGS", 0x0200},    {"TBS_HORZ", 0x0000},          {"TBS_AUTOTICKS", 0x0001},
        {"TBS_VERT", 0x0002},          {"TBS_TOP", 0x0004},           {"TBS_BOTTOM", 0x0000},
        {"TBS_BOTH", 0x0008},          {"TBS_NOTICKS", 0x0010},       {"LANG_NEUTRAL", 0x00},
        {"LANG_ENGLISH", 0x09},        {"LANG_JAPANESE", 0x11},       {"SUBLANG_NEUTRAL", 0x00},
        {"SUBLANG_DEFAULT", 0x01},     {"SUBLANG_ENGLISH_US", 0x01},  {"IDOK", 1},
        {"IDCANCEL", 2},               {"IDC_STATIC", 0xFFFFFFFF},    {"VS_FFI_FILEFLAGSMASK", 0x3F},
        {"VS_FF_DEBUG", 0x01},         {"VS_FF_PRERELEASE", 0x02},    {"VOS__WINDOWS32", 0x04},
        {"VOS_NT_WINDOWS32", 0x40004}, {"VFT_UNKNOWN", 0},            {"VFT_APP", 1},
        {"VFT_DLL", 2},                {"VFT2_UNKNOWN", 0},
    };
    return constants;
}

std::optional<uint16_t> PredefinedClassOrdinal(std::string_view name) {
    static const std::pair<std::string_view, uint16_t> classes[] = {
        {"BUTTON", 0x80}, {"EDIT", 0x81}, {"STATIC", 0x82}, {"LISTBOX", 0x83}, {"SCROLLBAR", 0x84}, {"COMBOBOX", 0x85},
    };
    for (const auto& [className, ordinal] : classes) {
        if (name.size() != className.size()) continue;
        bool same = true;
        for (size_t i = 0; i < name.size(); ++i)
            if (std::toupper(static_cast<unsigned char>(name[i])) != className[i]) same = false;
        if (same) return ordinal;
    }
    return std::nullopt;
}

std::string ToUpper(std::string text) {
    for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

}  // namespace brontar::rc
