// Handles of fonts, brushes and pens. A handle is a number never reused, so a
// deleted or made-up handle is refused instead of reaching freed memory. An
// object deleted while a device context still has it selected lives on in
// that context until it is replaced there.
#include "platform/gdi/gdi_objects.h"

#include <cstring>
#include <string>
#include <unordered_map>

#include "platform/kernel/debug_notes.h"

namespace brontar::platform {
namespace {

constexpr uintptr_t kStockBase = 0x8000;    // stock handles: kStockBase + 4 x index
constexpr int kStockCount = DEFAULT_GUI_FONT + 1;
constexpr uintptr_t kFirstHandle = 0x10000;  // created objects from here, step 4

struct ObjectTable {
    std::unordered_map<uintptr_t, std::shared_ptr<GdiObject>> objects;
    std::shared_ptr<GdiObject> stock[kStockCount];
    uintptr_t nextHandle = kFirstHandle;
};

ObjectTable& Table() {
    // Never destroyed, so fonts are not torn down after FreeType at exit.
    static ObjectTable& table = *new ObjectTable;
    return table;
}

LOGFONTA MakeLogFont(int height, int weight, BYTE pitchAndFamily, const char* face) {
    LOGFONTA logFont{};
    logFont.lfHeight = height;
    logFont.lfWeight = weight;
    logFont.lfPitchAndFamily = pitchAndFamily;
    std::strncpy(logFont.lfFaceName, face, LF_FACESIZE - 1);
    return logFont;
}

std::shared_ptr<GdiObject> MakeFont(const LOGFONTA& logFont) {
    auto object = std::make_shared<GdiObject>();
    object->type = OBJ_FONT;
    object->logFont = logFont;
    object->logFont.lfFaceName[LF_FACESIZE - 1] = '\0';
    object->font = RealiseFont(object->logFont);
    return object;
}

std::shared_ptr<GdiObject> MakeColored(DWORD type, COLORREF color, bool hollow) {
    auto object = std::make_shared<GdiObject>();
    object->type = type;
    object->color = color;
    object->hollow = hollow;
    return object;
}

// The stock objects of a Windows 95 display: the bold 16-pixel system font
// (made from the sans-serif face), the 8-point dialog font, gray brushes.
std::shared_ptr<GdiObject> MakeStockObject(int index) {
    switch (index) {
    case WHITE_BRUSH: return MakeColored(OBJ_BRUSH, RGB(255, 255, 255), false);
    case LTGRAY_BRUSH: return MakeColored(OBJ_BRUSH, RGB(192, 192, 192), false);
    case GRAY_BRUSH: return MakeColored(OBJ_BRUSH, RGB(128, 128, 128), false);
    case DKGRAY_BRUSH: return MakeColored(OBJ_BRUSH, RGB(64, 64, 64), false);
    case BLACK_BRUSH: return MakeColored(OBJ_BRUSH, RGB(0, 0, 0), false);
    case NULL_BRUSH: return MakeColored(OBJ_BRUSH, 0, true);
    case WHITE_PEN: return MakeColored(OBJ_PEN, RGB(255, 255, 255), false);
    case BLACK_PEN: return MakeColored(OBJ_PEN, RGB(0, 0, 0), false);
    case NULL_PEN: return MakeColored(OBJ_PEN, 0, true);
    case OEM_FIXED_FONT: return MakeFont(MakeLogFont(12, FW_NORMAL, FIXED_PITCH | FF_MODERN, "Terminal"));
    case ANSI_FIXED_FONT: return MakeFont(MakeLogFont(12, FW_NORMAL, FIXED_PITCH | FF_MODERN, "Courier"));
    case ANSI_VAR_FONT: return MakeFont(MakeLogFont(13, FW_NORMAL, VARIABLE_PITCH | FF_SWISS, "MS Sans Serif"));
    case SYSTEM_FONT:
    case DEVICE_DEFAULT_FONT: return MakeFont(MakeLogFont(16, FW_BOLD, VARIABLE_PITCH | FF_SWISS, "System"));
    case SYSTEM_FIXED_FONT: return MakeFont(MakeLogFont(15, FW_NORMAL, FIXED_PITCH | FF_MODERN, "Fixedsys"));
    case DEFAULT_GUI_FONT: return MakeFont(MakeLogFont(-11, FW_NORMAL, VARIABLE_PITCH | FF_SWISS, "MS Sans Serif"));
    default: return nullptr;  // 9 and the palette have no object here
    }
}

HGDIOBJ AddObject(std::shared_ptr<GdiObject> object) {
    std::lock_guard lock(GdiMutex());
    ObjectTable& table = Table();
    uintptr_t handle = table.nextHandle;
    table.nextHandle += 4;
    table.objects.emplace(handle, std::move(object));
    return reinterpret_cast<HGDIOBJ>(handle);
}

}  // namespace

std::mutex& GdiMutex() {
    static std::mutex& mutex = *new std::mutex;  // outlives every static that uses GDI
    return mutex;
}

HGDIOBJ StockObjectHandle(int index) {
    if (index < 0 || index >= kStockCount) return nullptr;
    ObjectTable& table = Table();
    if (table.stock[index] == nullptr) {
        table.stock[index] = MakeStockObject(index);
        if (table.stock[index] == nullptr) return nullptr;
        table.stock[index]->stock = true;
    }
    return reinterpret_cast<HGDIOBJ>(kStockBase + 4 * static_cast<uintptr_t>(index));
}

HBRUSH CreatePermanentBrush(COLORREF color) {
    std::shared_ptr<GdiObject> brush = MakeColored(OBJ_BRUSH, color, false);
    brush->stock = true;
    return reinterpret_cast<HBRUSH>(AddObject(std::move(brush)));
}

std::shared_ptr<GdiObject> FindGdiObject(HGDIOBJ handle) {
    uintptr_t value = reinterpret_cast<uintptr_t>(handle);
    ObjectTable& table = Table();
    if (value >= kStockBase && value < kStockBase + 4 * kStockCount && value % 4 == 0) {
        int index = static_cast<int>((value - kStockBase) / 4);
        return StockObjectHandle(index) != nullptr ? table.stock[index] : nullptr;
    }
    auto it = table.objects.find(value);
    return it != table.objects.end() ? it->second : nullptr;
}

}  // namespace brontar::platform

using namespace brontar::platform;

extern "C" {

// A logical font; the face is realised at once, so a missing font file is
// reported here. Never fails: without the file the font still measures.
HFONT WINAPI CreateFontA(int cHeight, int cWidth, int cEscapement, int cOrientation, int cWeight, DWORD bItalic,
                         DWORD bUnderline, DWORD bStrikeOut, DWORD iCharSet, DWORD iOutPrecision,
                         DWORD iClipPrecision, DWORD iQuality, DWORD iPitchAndFamily, LPCSTR pszFaceName) {
    LOGFONTA logFont{};
    logFont.lfHeight = cHeight;
    logFont.lfWidth = cWidth;
    logFont.lfEscapement = cEscapement;
    logFont.lfOrientation = cOrientation;
    logFont.lfWeight = cWeight;
    logFont.lfItalic = static_cast<BYTE>(bItalic != 0);
    logFont.lfUnderline = static_cast<BYTE>(bUnderline != 0);
    logFont.lfStrikeOut = static_cast<BYTE>(bStrikeOut != 0);
    logFont.lfCharSet = static_cast<BYTE>(iCharSet);
    logFont.lfOutPrecision = static_cast<BYTE>(iOutPrecision);
    logFont.lfClipPrecision = static_cast<BYTE>(iClipPrecision);
    logFont.lfQuality = static_cast<BYTE>(iQuality);
    logFont.lfPitchAndFamily = static_cast<BYTE>(iPitchAndFamily);
    if (pszFaceName != nullptr) std::strncpy(logFont.lfFaceName, pszFaceName, LF_FACESIZE - 1);
    return CreateFontIndirectA(&logFont);
}

// CreateFontA with its arguments in a record.
HFONT WINAPI CreateFontIndirectA(const LOGFONTA* lplf) {
    if (lplf == nullptr) return nullptr;
    if (lplf->lfEscapement != 0 || lplf->lfOrientation != 0) {
        DebugNote(DebugChannel::Gdi, "GDI: rotated fonts are not implemented; text is drawn horizontally");
    }
    return reinterpret_cast<HFONT>(AddObject(MakeFont(*lplf)));
}

// A brush of one colour.
HBRUSH WINAPI CreateSolidBrush(COLORREF color) {
    return reinterpret_cast<HBRUSH>(AddObject(MakeColored(OBJ_BRUSH, color, false)));
}

// One of the stock brushes, pens or fonts; NULL for an unknown index.
HGDIOBJ WINAPI GetStockObject(int i) {
    std::lock_guard lock(GdiMutex());
    return StockObjectHandle(i);
}

// Frees a created object. Stock objects stay (TRUE, as on Windows); unknown
// handles answer FALSE.
BOOL WINAPI DeleteObject(HGDIOBJ ho) {
    std::lock_guard lock(GdiMutex());
    std::shared_ptr<GdiObject> object = FindGdiObject(ho);
    if (object == nullptr) return FALSE;
    if (!object->stock) Table().objects.erase(reinterpret_cast<uintptr_t>(ho));
    return TRUE;
}

// The kind of object behind a font, brush or pen handle; 0 when none.
DWORD WINAPI GetObjectType(HGDIOBJ h) {
    std::lock_guard lock(GdiMutex());
    std::shared_ptr<GdiObject> object = FindGdiObject(h);
    return object != nullptr ? object->type : 0;
}

// Copies a font's LOGFONTA or a brush's LOGBRUSH, at most c bytes; with no
// buffer, answers the size needed.
int WINAPI GetObjectA(HANDLE h, int c, LPVOID pv) {
    std::lock_guard lock(GdiMutex());
    std::shared_ptr<GdiObject> object = FindGdiObject(h);
    if (object == nullptr || object->type == OBJ_PEN) return 0;
    LOGBRUSH brush{object->hollow ? UINT{BS_NULL} : UINT{BS_SOLID}, object->color, 0};
    const void* source = object->type == OBJ_FONT ? static_cast<const void*>(&object->logFont) : &brush;
    int size = object->type == OBJ_FONT ? static_cast<int>(sizeof(LOGFONTA)) : static_cast<int>(sizeof(LOGBRUSH));
    if (pv == nullptr) return size;
    if (c <= 0) return 0;
    int copied = c < size ? c : size;
    std::memcpy(pv, source, static_cast<size_t>(copied));
    return copied;
}

}  // extern "C"
