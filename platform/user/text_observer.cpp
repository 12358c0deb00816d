#include "platform/user/text_observer.h"

#include "platform/automation.h"

namespace brontar::platform {
namespace {

DrawnTextObserver& Observer() {
    static DrawnTextObserver observer;
    return observer;
}

}  // namespace

void SetDrawnTextObserver(DrawnTextObserver observer) { Observer() = std::move(observer); }

void NotifyTextDrawn(const RECT& rect, std::string_view text, UINT format) {
    if (Observer()) Observer()(rect, text, format);
}

}  // namespace brontar::platform
