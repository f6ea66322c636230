// The platform's state, handles, passes, raw input, the composed display and its PNG form.
#include <png.h>

#include <algorithm>
#include <vector>

#include "platform/headless.h"
#include "platform/internal.h"

namespace plat {

namespace {

State* instance = nullptr;  // made on first use, lives for the whole process

constexpr int SlotBits = 20;
constexpr int GenerationBits = 16;

}  // namespace

State& state() {
    if (!instance) {
        instance = new State();
        platformReset();
    }
    return *instance;
}

void touchDisplay() {
    ++state().changes;
}

uintptr_t packHandle(Kind kind, uint32_t slot, uint32_t generation) {
    uint64_t value = (static_cast<uint64_t>(kind) << (SlotBits + GenerationBits)) |
                     (static_cast<uint64_t>(generation & 0xFFFF) << SlotBits) |
                     (slot & ((1u << SlotBits) - 1));
    return static_cast<uintptr_t>(value << 4);
}

int handleSlot(const void* handle, Kind kind, uint32_t* generation) {
    auto value = static_cast<uint64_t>(reinterpret_cast<uintptr_t>(handle));
    if (value == 0 || (value & 0xF) != 0) return -1;
    value >>= 4;
    if ((value >> (SlotBits + GenerationBits)) != static_cast<uint64_t>(kind)) return -1;
    if (generation) *generation = static_cast<uint32_t>((value >> SlotBits) & 0xFFFF);
    return static_cast<int>(value & ((1u << SlotBits) - 1));
}

void beginPass(PassKind kind) {
    State& s = state();
    const PlatformBackend* backend = s.backend;
    if (backend->clockMinutes) {
        int minutes = backend->clockMinutes();
        if (minutes != s.clockMinutes) {
            s.clockMinutes = minutes;
            touchDisplay();
        }
    }
    if (backend->beginPass) {
        bool changed = s.changes != s.presented;
        const uint32_t* pixels = nullptr;
        if (backend->showsDisplay) {
            pixels = platformDisplay();
            s.presented = s.changes;
        }
        backend->beginPass(pixels, changed);
    }
    ++s.passNumber;
    if (s.hook) {
        PassInfo info{kind, GetTickCount(), s.passNumber};
        s.hook(info, s.hookUser);
    }
}

bool popInput(HostEvent* event) {
    State& s = state();
    if (!s.input.pop(event)) return false;
    switch (event->kind) {
        case HostEventKind::PenDown:
        case HostEventKind::PenMove:
        case HostEventKind::PenUp:
            s.lastPen = POINT{event->x, event->y};
            break;
        case HostEventKind::Quit:
            // The active window is asked to close; without one, the program is to end.
            if (int top = topWindow(); top >= 0) {
                postMessage(windowHandle(top), WM_CLOSE, 0, 0);
            } else {
                s.quitPosted = true;
                s.quitCode = 0;
            }
            break;
        case HostEventKind::Restore:
            // Every visible application window is to be painted again.
            for (Window& w : s.windows) {
                if (w.used && w.kind == WindowKind::App && w.visible) w.needPaint = true;
            }
            touchDisplay();
            break;
        case HostEventKind::Command:
            break;
    }
    return true;
}

void showLayer(const Window& w, const Canvas& display) {
    // The part of the layer on the display.
    const int64_t x0 = w.rect.left, y0 = w.rect.top;
    const int64_t left = std::max<int64_t>(0, -x0),
                  right = std::min<int64_t>(w.layerWidth, DisplayWidth - x0);
    const int64_t top = std::max<int64_t>(0, -y0),
                  bottom = std::min<int64_t>(w.layerHeight, DisplayHeight - y0);
    for (int64_t y = top; y < bottom && left < right; ++y) {
        const uint32_t* from = w.layer.data() + y * w.layerWidth;
        std::copy(from + left, from + right, display.pixels + (y0 + y) * DisplayWidth + x0 + left);
    }
}

}  // namespace plat

using namespace plat;

DWORD GetTickCount() {
    return state().backend->tickCount();
}

int platformPushInput(const HostEvent& event) {
    return state().input.push(event) ? 1 : 0;
}

int platformInputPending() {
    return state().input.count;
}

int platformPostedPending() {
    return state().queue.count;
}

void platformUseBackend(const PlatformBackend* backend) {
    State& s = state();
    s.backend = backend && backend->tickCount ? backend : headlessBackend();
    s.clockMinutes = -1;
    touchDisplay();
}

const PlatformBackend* platformBackend() {
    return state().backend;
}

void platformSetPassHook(PassHook hook, void* user) {
    State& s = state();
    s.hook = hook;
    s.hookUser = hook ? user : nullptr;
}

void platformReset() {
    State& s = state();
    if (s.backend && s.backend->reset) s.backend->reset();
    resetShell();
    emptySlots(s.windows);
    std::fill(std::begin(s.classes), std::end(s.classes), WindowClass{});
    s.zCount = 0;
    resetGdi();
    std::fill(std::begin(s.instances), std::end(s.instances), nullptr);
    s.queue.head = s.queue.count = s.input.head = s.input.count = s.quitCode = 0;
    s.quitPosted = false;
    clearCapture();
    s.lastPen = POINT{0, 0};
    platformSetPassHook(nullptr, nullptr);
    s.passNumber = 0;
    s.backend = headlessBackend();
    s.backend->reset();
    s.clockMinutes = -1;
    s.changes = 1;
    s.composed = s.presented = 0;
}

const uint32_t* platformDisplay() {
    State& s = state();
    if (s.composed == s.changes) return s.display;
    std::fill(std::begin(s.display), std::end(s.display), White);
    const Canvas display{s.display, DisplayWidth, RECT{0, 0, DisplayWidth, DisplayHeight}, false};
    // The application windows, bottom first.
    for (int z = 0; z < s.zCount; ++z) {
        const Window& w = s.windows[s.zOrder[z]];
        if (w.visible) showLayer(w, display);
    }
    composeShell(display);
    s.composed = s.changes;
    return s.display;
}

int platformWritePng(const char* path, const uint32_t* pixels, int width, int height) {
    if (!path || !pixels || width <= 0 || height <= 0) return 0;
    std::vector<png_byte> rgbBytes(static_cast<size_t>(width) * static_cast<size_t>(height) * 3);
    for (size_t i = 0; i < rgbBytes.size() / 3; ++i) {
        rgbBytes[i * 3] = static_cast<png_byte>(pixels[i] >> 16);
        rgbBytes[i * 3 + 1] = static_cast<png_byte>(pixels[i] >> 8);
        rgbBytes[i * 3 + 2] = static_cast<png_byte>(pixels[i]);
    }
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(width);
    image.height = static_cast<png_uint_32>(height);
    image.format = PNG_FORMAT_RGB;
    return png_image_write_to_file(&image, path, 0, rgbBytes.data(), 0, nullptr) ? 1 : 0;
}

int platformWriteDisplayPng(const char* path) {
    return platformWritePng(path, platformDisplay(), DisplayWidth, DisplayHeight);
}
