// The platform's state, handles, passes, raw input, the composed display and its PNG form.
#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <cstring>

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
    if (s.inputCount == 0) return false;
    *event = s.input[s.inputHead];
    s.inputHead = (s.inputHead + 1) % MaxInput;
    --s.inputCount;
    return true;
}

}  // namespace plat

using namespace plat;

DWORD GetTickCount() {
    return state().backend->tickCount();
}

int platformPushInput(const HostEvent& event) {
    State& s = state();
    if (s.inputCount >= MaxInput) return 0;
    s.input[(s.inputHead + s.inputCount) % MaxInput] = event;
    ++s.inputCount;
    return 1;
}

int platformInputPending() {
    return state().inputCount;
}

int platformPostedPending() {
    return state().queueCount;
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
    for (int i = 0; i < MaxWindows; ++i) {
        Window& w = s.windows[i];
        uint16_t generation = w.generation;
        w.layer.clear();
        w.layer.shrink_to_fit();
        w = Window{};
        w.generation = generation;
    }
    for (auto& c : s.classes)
        c = WindowClass{};
    s.zCount = 0;
    resetGdi();
    for (auto& instance : s.instances)
        instance = nullptr;
    s.queueHead = s.queueCount = 0;
    s.quitPosted = false;
    s.quitCode = 0;
    s.inputHead = s.inputCount = 0;
    s.capture = CaptureKind::None;
    s.captureWindow = -1;
    s.lastPen = POINT{0, 0};
    s.hook = nullptr;
    s.hookUser = nullptr;
    s.passNumber = 0;
    resetSound();
    s.backend = headlessBackend();
    if (s.backend->reset) s.backend->reset();
    s.clockMinutes = -1;
    s.changes = 1;
    s.composed = 0;
    s.presented = 0;
}

void plat::showLayer(const Window& w, uint32_t* display) {
    const int top = w.rect.top + w.clientTop;
    for (int y = 0; y < w.layerHeight; ++y) {
        const int dy = top + y;
        if (dy < 0 || dy >= DisplayHeight) continue;
        for (int x = 0; x < w.layerWidth; ++x) {
            const int dx = w.rect.left + x;
            if (dx < 0 || dx >= DisplayWidth) continue;
            display[dy * DisplayWidth + dx] = w.layer[static_cast<size_t>(y) * w.layerWidth + x];
        }
    }
}

const uint32_t* platformDisplay() {
    State& s = state();
    if (!s.backend) platformReset();
    if (s.composed == s.changes) return s.display;
    std::memcpy(s.display, s.desktop, sizeof s.display);
    Canvas display = displayCanvas();
    // The application windows, bottom first.
    for (int z = 0; z < s.zCount; ++z) {
        const Window& w = s.windows[s.zOrder[z]];
        if (!w.visible) continue;
        showLayer(w, s.display);
    }
    composeShell(display);
    s.composed = s.changes;
    return s.display;
}

int platformWritePng(const char* path, const uint32_t* pixels, int width, int height) {
    if (!path || !pixels || width <= 0 || height <= 0) return 0;
    FILE* file = std::fopen(path, "wb");
    if (!file) return 0;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!png || !info) {
        png_destroy_write_struct(&png, &info);
        std::fclose(file);
        return 0;
    }
    std::vector<png_byte> row(static_cast<size_t>(width) * 3);
    // libpng reports errors by jumping back here; nothing with a destructor is made after this.
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        std::fclose(file);
        return 0;
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
                 PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < height; ++y) {
        const uint32_t* in = pixels + static_cast<size_t>(y) * static_cast<size_t>(width);
        for (int x = 0; x < width; ++x) {
            row[static_cast<size_t>(x) * 3] = static_cast<png_byte>(in[x] >> 16);
            row[static_cast<size_t>(x) * 3 + 1] = static_cast<png_byte>(in[x] >> 8);
            row[static_cast<size_t>(x) * 3 + 2] = static_cast<png_byte>(in[x]);
        }
        png_write_row(png, row.data());
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return std::fclose(file) == 0 ? 1 : 0;
}

int platformWriteDisplayPng(const char* path) {
    return platformWritePng(path, platformDisplay(), DisplayWidth, DisplayHeight);
}
