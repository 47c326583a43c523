// Exception boundary for window procedures and callbacks.
#pragma once

#include <exception>

#include "core/errors.h"
#include "core/utf.h"

namespace orv {

template <typename F>
void Guarded(Platform& platform, F&& handler) noexcept {
    try {
        handler();
    } catch (const Exception& e) {
        try {
            platform.ShowErrorBox(e.Message());
        } catch (...) {
        }
    } catch (const std::exception& e) {
        try {
            platform.ShowErrorBox(Utf8ToWide(e.what()).value_or(L"Unexpected error."));
        } catch (...) {
        }
    } catch (...) {
    }
}

}  // namespace orv
