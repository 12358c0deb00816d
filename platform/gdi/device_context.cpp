// The table of device contexts and the per-context attribute calls.
#include "platform/gdi/device_context.h"

#include <string>
#include <unordered_map>

#include "platform/gdi/raster.h"
#include "platform/kernel/debug_notes.h"

namespace brontar::platform {
namespace {

constexpr uintptr_t kFirstDeviceContext = 0x20000000;  // apart from object handles

struct ContextTable {
    std::unordered_map<uintptr_t, std::unique_ptr<DeviceContext>> contexts;
    uintptr_t nextHandle = kFirstDeviceContext;
};

ContextTable& Contexts() {
    // Never destroyed: contexts may be released by other statics at exit.
    static ContextTable& table = *new ContextTable;
    return table;
}

// Puts a stock object into the slot, as a fresh context has it.
void SelectStock(HGDIOBJ& handle, std::shared_ptr<GdiObject>& slot, int index) {
    handle = StockObjectHandle(index);
    slot = FindGdiObject(handle);
}

// Replaces one attribute of a context; answers the old value, or `failure`
// for an unknown context.
template <typename T>
T ExchangeAttribute(HDC dc, T DeviceContext::*field, T value, T failure) {
    std::lock_guard lock(GdiMutex());
    DeviceContext* context = FindDeviceContext(dc);
    if (context == nullptr) return failure;
    T previous = context->*field;
    context->*field = value;
    return previous;
}

// One attribute of a context, or `failure` for an unknown context.
template <typename T>
T ReadAttribute(HDC dc, T DeviceContext::*field, T failure) {
    std::lock_guard lock(GdiMutex());
    DeviceContext* context = FindDeviceContext(dc);
    return context != nullptr ? context->*field : failure;
}

}  // namespace

DeviceContext* FindDeviceContext(HDC dc) {
    auto it = Contexts().contexts.find(reinterpret_cast<uintptr_t>(dc));
    return it != Contexts().contexts.end() ? it->second.get() : nullptr;
}

HDC CreateSurfaceDC(const SurfacePixels& target) {
    std::lock_guard lock(GdiMutex());
    auto context = std::make_unique<DeviceContext>();
    context->target = target;
    // A pitch too small for the width would make rows overlap, an odd one
    // would misalign them: such memory is not drawn into.
    if (target.pitchBytes < static_cast<int64_t>(target.width) * 2 || target.pitchBytes % 2 != 0) {
        context->target.pixels = nullptr;
    }
    SelectStock(context->fontHandle, context->font, SYSTEM_FONT);
    SelectStock(context->brushHandle, context->brush, WHITE_BRUSH);
    SelectStock(context->penHandle, context->pen, BLACK_PEN);
    ContextTable& table = Contexts();
    uintptr_t handle = table.nextHandle;
    table.nextHandle += 4;
    table.contexts.emplace(handle, std::move(context));
    return reinterpret_cast<HDC>(handle);
}

void ReleaseSurfaceDC(HDC dc) {
    std::lock_guard lock(GdiMutex());
    Contexts().contexts.erase(reinterpret_cast<uintptr_t>(dc));
}

HDC CreateMeasuringDC() { return CreateSurfaceDC(SurfacePixels{}); }

bool FillSolidRect(HDC dc, const RECT& rect, COLORREF color) {
    std::lock_guard lock(GdiMutex());
    DeviceContext* context = FindDeviceContext(dc);
    if (context == nullptr) return false;
    FillBox(context->target, SurfaceBox(context->target), BoxOf(rect), ToRgb565(color));
    return true;
}

bool InvertDottedFrame(HDC dc, const RECT& rect) {
    std::lock_guard lock(GdiMutex());
    DeviceContext* context = FindDeviceContext(dc);
    if (context == nullptr) return false;
    InvertDottedBorder(context->target, SurfaceBox(context->target), BoxOf(rect));
    return true;
}

}  // namespace brontar::platform

using namespace brontar::platform;

extern "C" {

// Ends a context made by this GDI.
BOOL WINAPI DeleteDC(HDC hdc) {
    std::lock_guard lock(GdiMutex());
    return Contexts().contexts.erase(reinterpret_cast<uintptr_t>(hdc)) != 0 ? TRUE : FALSE;
}

// Puts a font, brush or pen into the context; answers the one it replaces,
// or NULL when the context or the object is unknown.
HGDIOBJ WINAPI SelectObject(HDC hdc, HGDIOBJ h) {
    std::lock_guard lock(GdiMutex());
    DeviceContext* context = FindDeviceContext(hdc);
    std::shared_ptr<GdiObject> object = FindGdiObject(h);
    if (context == nullptr || object == nullptr) return nullptr;
    HGDIOBJ* handleSlot = object->type == OBJ_FONT    ? &context->fontHandle
                          : object->type == OBJ_BRUSH ? &context->brushHandle
                                                      : &context->penHandle;
    std::shared_ptr<GdiObject>* objectSlot = object->type == OBJ_FONT    ? &context->font
                                             : object->type == OBJ_BRUSH ? &context->brush
                                                                         : &context->pen;
    HGDIOBJ previous = *handleSlot;
    *handleSlot = h;
    *objectSlot = std::move(object);
    return previous;
}

// Sets the colour of drawn text; answers the previous one.
COLORREF WINAPI SetTextColor(HDC hdc, COLORREF color) {
    return ExchangeAttribute(hdc, &DeviceContext::textColor, color, CLR_INVALID);
}

COLORREF WINAPI GetTextColor(HDC hdc) { return ReadAttribute(hdc, &DeviceContext::textColor, CLR_INVALID); }

// Sets the colour behind opaque text and of ETO_OPAQUE fills; answers the previous one.
COLORREF WINAPI SetBkColor(HDC hdc, COLORREF color) {
    return ExchangeAttribute(hdc, &DeviceContext::backgroundColor, color, CLR_INVALID);
}

COLORREF WINAPI GetBkColor(HDC hdc) { return ReadAttribute(hdc, &DeviceContext::backgroundColor, CLR_INVALID); }

// OPAQUE fills each text cell with the background colour, TRANSPARENT leaves
// it; answers the previous mode, 0 for an unknown context or mode.
int WINAPI SetBkMode(HDC hdc, int mode) {
    if (mode != OPAQUE && mode != TRANSPARENT) return 0;
    return ExchangeAttribute(hdc, &DeviceContext::backgroundMode, mode, 0);
}

int WINAPI GetBkMode(HDC hdc) { return ReadAttribute(hdc, &DeviceContext::backgroundMode, 0); }

// Where text is anchored relative to the point given to ExtTextOutA.
UINT WINAPI SetTextAlign(HDC hdc, UINT align) {
    if (align & TA_UPDATECP)
        DebugNote(DebugChannel::Gdi, "GDI: TA_UPDATECP is not implemented; text is drawn at the point given");
    return ExchangeAttribute(hdc, &DeviceContext::textAlign, align, static_cast<UINT>(GDI_ERROR));
}

UINT WINAPI GetTextAlign(HDC hdc) {
    return ReadAttribute(hdc, &DeviceContext::textAlign, static_cast<UINT>(GDI_ERROR));
}

// A 96 dpi, 16-bit display; the size is that of the context's surface.
int WINAPI GetDeviceCaps(HDC hdc, int index) {
    std::lock_guard lock(GdiMutex());
    DeviceContext* context = FindDeviceContext(hdc);
    if (context == nullptr) return 0;
    switch (index) {
    case LOGPIXELSX:
    case LOGPIXELSY: return 96;
    case BITSPIXEL: return 16;
    case PLANES: return 1;
    case HORZRES: return context->target.width;
    case VERTRES: return context->target.height;
    default:
        DebugNote(DebugChannel::Gdi,
                  "GDI: GetDeviceCaps index " + std::to_string(index) + " is not implemented; answering 0");
        return 0;
    }
}

}  // extern "C"
