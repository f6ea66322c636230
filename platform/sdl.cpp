// The desktop backend on SDL2: the display scaled by a whole number with sharp pixels, the left
// mouse button as the pen, waves through SDL audio, passes held to a steady rate, one running
// copy per user.
#include "platform/sdl.h"

#include <SDL.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include "platform/single_copy.h"
#include "platform/windows.h"

namespace {

constexpr int MaxScale = 3;
constexpr int MaxCachedSounds = 8;

// A wave converted once to the audio device's format, kept for later plays.
struct CachedSound {
    const uint8_t* source = nullptr;
    uint32_t sourceBytes = 0;
    std::vector<uint8_t> samples;
};

struct Sdl {
    bool running = false;
    SDL_Window* window = nullptr;
    SDL_Renderer* renderer = nullptr;
    SDL_Texture* texture = nullptr;
    bool vsync = false;
    bool fullscreen = false;
    bool mute = false;
    int passRate = 60;
    Uint64 period = 0;     // performance-counter ticks per pass
    Uint64 nextPass = 0;   // when the next pass may begin, without vsync
    Uint64 lastPass = 0;   // when the last pass began
    bool repaint = false;  // the window needs the display shown again
    bool penDown = false;
    int16_t penX = 0;
    int16_t penY = 0;
    // Sound, shared with the audio callback under the device lock.
    SDL_AudioDeviceID audio = 0;
    SDL_AudioSpec audioFormat{};  // what the device plays
    CachedSound sounds[MaxCachedSounds];
    int nextCache = 0;
    const CachedSound* playing = nullptr;
    size_t position = 0;
    bool looping = false;
    // One copy per user.
    SingleCopy copy;
    char folder[256] = {};
    char otherName[64] = {};
    int frontRequests = 0;
};

Sdl sdl;

void copyError(char* error, size_t size, const char* what) {
    if (error && size > 0) std::snprintf(error, size, "%s: %s", what, SDL_GetError());
}

std::string narrow(const WCHAR* text) {
    std::string out;
    for (; text && *text; ++text) {
        char16_t c = *text;
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

void SDLCALL fillAudio(void*, Uint8* stream, int length) {
    Uint8 silence = sdl.audioFormat.silence;
    size_t want = static_cast<size_t>(length);
    size_t done = 0;
    while (done < want && sdl.playing && !sdl.playing->samples.empty()) {
        const std::vector<uint8_t>& samples = sdl.playing->samples;
        size_t take = std::min(want - done, samples.size() - sdl.position);
        std::memcpy(stream + done, samples.data() + sdl.position, take);
        done += take;
        sdl.position += take;
        if (sdl.position >= samples.size()) {
            sdl.position = 0;
            if (!sdl.looping) sdl.playing = nullptr;
        }
    }
    if (done < want) std::memset(stream + done, silence, want - done);
}

// The wave in the device's format, converted on its first play.
const CachedSound* converted(const WaveSound& wave) {
    for (const CachedSound& cached : sdl.sounds) {
        if (cached.source == wave.samples && cached.sourceBytes == wave.sampleBytes) return &cached;
    }
    SDL_AudioCVT cvt;
    SDL_AudioFormat from = wave.bitsPerSample == 8 ? AUDIO_U8 : AUDIO_S16LSB;
    if (SDL_BuildAudioCVT(&cvt, from, static_cast<Uint8>(wave.channels), static_cast<int>(wave.sampleRate),
                          sdl.audioFormat.format, sdl.audioFormat.channels, sdl.audioFormat.freq) < 0) {
        return nullptr;
    }
    uint32_t frame = static_cast<uint32_t>(wave.channels) * (wave.bitsPerSample / 8u);
    uint32_t bytes = wave.sampleBytes - wave.sampleBytes % frame;
    std::vector<uint8_t> buffer(static_cast<size_t>(bytes) * static_cast<size_t>(std::max(1, cvt.len_mult)));
    std::memcpy(buffer.data(), wave.samples, bytes);
    cvt.buf = buffer.data();
    cvt.len = static_cast<int>(bytes);
    if (cvt.needed && SDL_ConvertAudio(&cvt) < 0) return nullptr;
    buffer.resize(cvt.needed ? static_cast<size_t>(cvt.len_cvt) : bytes);
    CachedSound& slot = sdl.sounds[sdl.nextCache];
    sdl.nextCache = (sdl.nextCache + 1) % MaxCachedSounds;
    SDL_LockAudioDevice(sdl.audio);
    if (sdl.playing == &slot) sdl.playing = nullptr;
    slot.source = wave.samples;
    slot.sourceBytes = wave.sampleBytes;
    slot.samples = std::move(buffer);
    SDL_UnlockAudioDevice(sdl.audio);
    return &slot;
}

void playWave(const WaveSound& wave, bool loop) {
    if (!sdl.audio) return;
    const CachedSound* sound = converted(wave);
    SDL_LockAudioDevice(sdl.audio);
    sdl.playing = sound;
    sdl.position = 0;
    sdl.looping = loop;
    SDL_UnlockAudioDevice(sdl.audio);
}

void stopWave() {
    if (!sdl.audio) return;
    SDL_LockAudioDevice(sdl.audio);
    sdl.playing = nullptr;
    sdl.position = 0;
    SDL_UnlockAudioDevice(sdl.audio);
}

DWORD tickCount() {
    return static_cast<DWORD>(SDL_GetTicks64());
}

int clockMinutes() {
    std::time_t now = std::time(nullptr);
    std::tm local{};
    if (!localtime_r(&now, &local)) return 0;
    return local.tm_hour * 60 + local.tm_min;
}

void toggleFullscreen() {
    sdl.fullscreen = !sdl.fullscreen;
    SDL_SetWindowFullscreen(sdl.window, sdl.fullscreen ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0);
    sdl.repaint = true;
}

WORD virtualKey(SDL_Keycode key) {
    if (key >= SDLK_a && key <= SDLK_z) return static_cast<WORD>('A' + (key - SDLK_a));
    if (key >= SDLK_0 && key <= SDLK_9) return static_cast<WORD>('0' + (key - SDLK_0));
    switch (key) {
        case SDLK_RETURN:
        case SDLK_KP_ENTER:
            return 0x0D;
        case SDLK_ESCAPE:
            return 0x1B;
        case SDLK_SPACE:
            return 0x20;
        case SDLK_LEFT:
            return 0x25;
        case SDLK_UP:
            return 0x26;
        case SDLK_RIGHT:
            return 0x27;
        case SDLK_DOWN:
            return 0x28;
        default:
            return 0;
    }
}

bool onDisplay(int x, int y) {
    return x >= 0 && x < DisplayWidth && y >= 0 && y < DisplayHeight;
}

int16_t clampTo(int v, int high) {
    return static_cast<int16_t>(std::clamp(v, 0, high - 1));
}

void pen(HostEventKind kind, int x, int y) {
    sdl.penX = clampTo(x, DisplayWidth);
    sdl.penY = clampTo(y, DisplayHeight);
    platformPushInput(HostEvent{kind, sdl.penX, sdl.penY, 0, 0});
}

// Host input into the platform's input queue. Mouse coordinates arrive already in display
// pixels: the renderer's logical size maps them.
void pollEvents() {
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
        switch (event.type) {
            case SDL_QUIT:
                platformPushInput(HostEvent{HostEventKind::Quit, 0, 0, 0, 0});
                break;
            case SDL_WINDOWEVENT:
                if (event.window.event == SDL_WINDOWEVENT_RESTORED) {
                    platformPushInput(HostEvent{HostEventKind::Restore, 0, 0, 0, 0});
                }
                sdl.repaint = true;
                break;
            case SDL_MOUSEBUTTONDOWN:
                if (event.button.button == SDL_BUTTON_LEFT && !sdl.penDown &&
                    onDisplay(event.button.x, event.button.y)) {
                    sdl.penDown = true;
                    pen(HostEventKind::PenDown, event.button.x, event.button.y);
                }
                break;
            case SDL_MOUSEMOTION:
                if (sdl.penDown && onDisplay(event.motion.x, event.motion.y)) {
                    pen(HostEventKind::PenMove, event.motion.x, event.motion.y);
                }
                break;
            case SDL_MOUSEBUTTONUP:
                if (event.button.button == SDL_BUTTON_LEFT && sdl.penDown) {
                    sdl.penDown = false;
                    // Lifted outside the display, the pen comes up where it last was on it.
                    if (onDisplay(event.button.x, event.button.y)) {
                        pen(HostEventKind::PenUp, event.button.x, event.button.y);
                    } else {
                        pen(HostEventKind::PenUp, sdl.penX, sdl.penY);
                    }
                }
                break;
            case SDL_KEYDOWN:
            case SDL_KEYUP: {
                SDL_Keycode key = event.key.keysym.sym;
                bool down = event.type == SDL_KEYDOWN;
                if (down && !event.key.repeat &&
                    (key == SDLK_F11 ||
                     ((key == SDLK_RETURN || key == SDLK_KP_ENTER) && (event.key.keysym.mod & KMOD_ALT)))) {
                    toggleFullscreen();
                    break;
                }
                if (key == SDLK_F11 || (event.key.keysym.mod & KMOD_ALT)) break;
                WORD vk = virtualKey(key);
                if (vk)
                    platformPushInput(
                        HostEvent{down ? HostEventKind::KeyDown : HostEventKind::KeyUp, 0, 0, vk, 0});
                break;
            }
            default:
                break;
        }
    }
    if (sdl.copy.listenFd >= 0) {
        int requests = singleCopyPoll(&sdl.copy);
        if (requests > 0) {
            sdl.frontRequests += requests;
            SDL_RestoreWindow(sdl.window);
            SDL_RaiseWindow(sdl.window);
            sdl.repaint = true;
        }
    }
}

void present(const uint32_t* display, bool changed) {
    if (changed && display) {
        SDL_UpdateTexture(sdl.texture, nullptr, display, DisplayWidth * static_cast<int>(sizeof(uint32_t)));
    }
    if (!changed && !sdl.repaint && !sdl.vsync) return;
    sdl.repaint = false;
    SDL_SetRenderDrawColor(sdl.renderer, 0, 0, 0, 255);
    SDL_RenderClear(sdl.renderer);
    SDL_RenderCopy(sdl.renderer, sdl.texture, nullptr, nullptr);
    SDL_RenderPresent(sdl.renderer);
}

// Holds the passes to the rate. With vsync at the rate, presenting has waited for the screen; a
// floor of nine tenths of a pass still holds when it did not (a hidden or minimised window).
// Without vsync, passes keep to a schedule of their own, started afresh after a stall.
// Sleeps whole milliseconds and never spins: the schedule makes up for less than a millisecond
// early or late, so the rate holds on average and an idle game costs next to no CPU.
void waitUntil(Uint64 target) {
    const Uint64 frequency = SDL_GetPerformanceFrequency();
    for (Uint64 now = SDL_GetPerformanceCounter(); now < target; now = SDL_GetPerformanceCounter()) {
        const Uint64 left = (target - now) * 1000 / frequency;
        if (left == 0) return;
        SDL_Delay(static_cast<Uint32>(left));
    }
}

void pace() {
    Uint64 now = SDL_GetPerformanceCounter();
    if (sdl.vsync) {
        if (sdl.lastPass != 0) waitUntil(sdl.lastPass + sdl.period * 9 / 10);
    } else {
        if (sdl.nextPass == 0 || now > sdl.nextPass + sdl.period * 4) sdl.nextPass = now;
        waitUntil(sdl.nextPass);
        sdl.nextPass += sdl.period;
    }
    sdl.lastPass = SDL_GetPerformanceCounter();
}

void beginPass(const uint32_t* display, bool changed) {
    present(display, changed);
    pace();
    pollEvents();
}

bool findOtherCopy(const WCHAR* className, const WCHAR* title) {
    (void)title;
    std::string name = narrow(className);
    if (!sdl.folder[0]) singleCopyFolder(nullptr, sdl.folder, sizeof sdl.folder);
    if (!sdl.folder[0]) return false;
    if (sdl.copy.lockFd >= 0) return false;  // this process is the running copy
    if (singleCopyClaim(&sdl.copy, sdl.folder, name.c_str()) == 0) {
        std::snprintf(sdl.otherName, sizeof sdl.otherName, "%s", name.c_str());
        return true;
    }
    return false;
}

bool bringOtherCopyToFront() {
    return sdl.otherName[0] && singleCopyRequestFront(sdl.folder, sdl.otherName) == 1;
}

void windowCreated(const WCHAR* className, const WCHAR* title) {
    if (sdl.window && title && *title) SDL_SetWindowTitle(sdl.window, narrow(title).c_str());
    if (sdl.window) SDL_ShowWindow(sdl.window);
    if (!sdl.folder[0]) singleCopyFolder(nullptr, sdl.folder, sizeof sdl.folder);
    if (!sdl.folder[0]) return;
    if (sdl.copy.lockFd < 0 && singleCopyClaim(&sdl.copy, sdl.folder, narrow(className).c_str()) != 1) return;
    singleCopyListen(&sdl.copy);
}

void reset() {
    stopWave();
    sdl.penDown = false;
    sdl.repaint = true;
}

const PlatformBackend Backend = {
    "sdl",         true,          tickCount,
    beginPass,     playWave,      stopWave,
    clockMinutes,  findOtherCopy, bringOtherCopyToFront,
    windowCreated, reset,
};

int chooseScale(int requested) {
    if (requested > 0) return std::min(requested, 16);
    SDL_Rect usable{};
    if (SDL_GetDisplayUsableBounds(0, &usable) != 0) return 1;
    int scale = MaxScale;
    // Room for the window's frame and title bar.
    while (scale > 1 && (DisplayWidth * scale > usable.w - 16 || DisplayHeight * scale > usable.h - 48))
        --scale;
    return scale;
}

// Points the standard error stream at /dev/null; gives the saved stream for restoreErrors.
int quietErrors() {
    int saved = dup(STDERR_FILENO);
    int quiet = open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (saved >= 0 && quiet >= 0) dup2(quiet, STDERR_FILENO);
    if (quiet >= 0) close(quiet);
    return saved;
}

void restoreErrors(int saved) {
    if (saved < 0) return;
    dup2(saved, STDERR_FILENO);
    close(saved);
}

void closeAll() {
    if (sdl.audio) SDL_CloseAudioDevice(sdl.audio);
    sdl.audio = 0;
    sdl.playing = nullptr;
    for (CachedSound& cached : sdl.sounds)
        cached = CachedSound{};
    if (sdl.texture) SDL_DestroyTexture(sdl.texture);
    if (sdl.renderer) SDL_DestroyRenderer(sdl.renderer);
    if (sdl.window) SDL_DestroyWindow(sdl.window);
    sdl.texture = nullptr;
    sdl.renderer = nullptr;
    sdl.window = nullptr;
    singleCopyRelease(&sdl.copy);
    SDL_Quit();
}

}  // namespace

bool platformStartSdl(const SdlOptions& options, char* error, size_t errorSize) {
    if (error && errorSize > 0) error[0] = 0;
    if (sdl.running) return true;
    sdl = Sdl{};
    SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "0");
    SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "0");
    // Windowing libraries that find no display of their kind say so on the standard error stream
    // while SDL tries them; the caller gets one line instead.
    int savedError = quietErrors();
    bool started = SDL_Init(SDL_INIT_VIDEO | SDL_INIT_EVENTS) == 0;
    restoreErrors(savedError);
    if (!started) {
        copyError(error, errorSize, "no display");
        return false;
    }
    // A driver that draws nowhere is only for those who ask for it by name.
    const char* driver = SDL_GetCurrentVideoDriver();
    const char* requested = SDL_getenv("SDL_VIDEODRIVER");
    if (driver && (std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0) &&
        !(requested && *requested)) {
        if (error && errorSize > 0) std::snprintf(error, errorSize, "no display");
        SDL_Quit();
        return false;
    }
    int scale = chooseScale(options.scale);
    // Hidden until the program's main window exists: a second copy, which only brings the first
    // forward, never shows a window of its own.
    Uint32 flags = SDL_WINDOW_RESIZABLE | SDL_WINDOW_ALLOW_HIGHDPI | SDL_WINDOW_HIDDEN;
    if (options.fullscreen) flags |= SDL_WINDOW_FULLSCREEN_DESKTOP;
    sdl.fullscreen = options.fullscreen;
    sdl.window = SDL_CreateWindow("dorurura", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                                  DisplayWidth * scale, DisplayHeight * scale, flags);
    if (!sdl.window) {
        copyError(error, errorSize, "cannot open a window");
        closeAll();
        return false;
    }
    SDL_SetWindowMinimumSize(sdl.window, DisplayWidth, DisplayHeight);
    sdl.passRate = options.passRate > 0 ? std::min(options.passRate, 1000) : 60;
    // Vsync paces the passes only when the screen refreshes at the pass rate.
    SDL_DisplayMode mode{};
    bool refreshMatches =
        SDL_GetCurrentDisplayMode(0, &mode) == 0 && std::abs(mode.refresh_rate - sdl.passRate) <= 1;
    Uint32 rendererFlags = refreshMatches ? SDL_RENDERER_PRESENTVSYNC : 0;
    sdl.renderer = SDL_CreateRenderer(sdl.window, -1, rendererFlags);
    if (!sdl.renderer) sdl.renderer = SDL_CreateRenderer(sdl.window, -1, SDL_RENDERER_SOFTWARE);
    if (!sdl.renderer) {
        copyError(error, errorSize, "cannot draw in the window");
        closeAll();
        return false;
    }
    SDL_RendererInfo info{};
    sdl.vsync =
        SDL_GetRendererInfo(sdl.renderer, &info) == 0 && (info.flags & SDL_RENDERER_PRESENTVSYNC) != 0;
    SDL_RenderSetLogicalSize(sdl.renderer, DisplayWidth, DisplayHeight);
    SDL_RenderSetIntegerScale(sdl.renderer, SDL_TRUE);
    sdl.texture = SDL_CreateTexture(sdl.renderer, SDL_PIXELFORMAT_RGB888, SDL_TEXTUREACCESS_STREAMING,
                                    DisplayWidth, DisplayHeight);
    if (!sdl.texture) {
        copyError(error, errorSize, "cannot draw in the window");
        closeAll();
        return false;
    }
    sdl.period = SDL_GetPerformanceFrequency() / static_cast<Uint64>(sdl.passRate);
    sdl.mute = options.mute;
    // Audio libraries report a missing device on the standard error stream; without a device the
    // game is simply silent.
    savedError = quietErrors();
    if (!options.mute && SDL_InitSubSystem(SDL_INIT_AUDIO) == 0) {
        SDL_AudioSpec want{};
        want.freq = 22050;
        want.format = AUDIO_S16SYS;
        want.channels = 1;
        want.samples = 512;
        want.callback = fillAudio;
        sdl.audio = SDL_OpenAudioDevice(nullptr, 0, &want, &sdl.audioFormat,
                                        SDL_AUDIO_ALLOW_FREQUENCY_CHANGE | SDL_AUDIO_ALLOW_CHANNELS_CHANGE);
        if (sdl.audio) SDL_PauseAudioDevice(sdl.audio, 0);
    }
    restoreErrors(savedError);
    sdl.running = true;
    sdl.repaint = true;
    platformUseBackend(&Backend);
    return true;
}

void platformStopSdl() {
    if (!sdl.running) return;
    if (platformBackend() == &Backend) platformUseBackend(nullptr);
    closeAll();
    sdl.running = false;
}
