// The desktop system on SDL2 (platform/desktop_system.h): the display scaled by a whole number
// with sharp pixels, the left mouse button as the pen, waves through SDL audio, one running copy
// per user.
#include "platform/desktop_system.h"

#include <SDL.h>
#include <fcntl.h>
#include <unistd.h>
#if defined(__SANITIZE_ADDRESS__)
#include <dlfcn.h>
#include <link.h>
#endif

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <utility>
#include <string>
#include <vector>

#include "platform/single_copy.h"
#include "platform/text.h"
#include "platform/windows.h"

namespace {

constexpr int MaxScale = 3;

struct Sdl {
    SDL_Window* window = nullptr;
    SDL_Renderer* renderer = nullptr;
    SDL_Texture* texture = nullptr;
    SDL_Point windowed{};  // the window's size before it went fullscreen
    bool vsync = false;    // presenting waits for the screen
    bool repaint = false;  // the window needs the display shown again
    // Sound, shared with the audio callback under the device lock.
    SDL_AudioDeviceID audio = 0;
    SDL_AudioSpec audioFormat{};   // what the device plays
    std::vector<uint8_t> playing;  // the wave in the device's format; empty: silence
    size_t position = 0;
    bool looping = false;
    // One copy per user.
    SingleCopy copy;
    char folder[1024] = {};
    char otherName[64] = {};
};

Sdl sdl;

void SDLCALL fillAudio(void*, Uint8* stream, int length) {
    size_t want = static_cast<size_t>(length);
    size_t done = 0;
    while (done < want && !sdl.playing.empty()) {
        size_t take = std::min(want - done, sdl.playing.size() - sdl.position);
        std::memcpy(stream + done, sdl.playing.data() + sdl.position, take);
        done += take;
        sdl.position += take;
        if (sdl.position >= sdl.playing.size()) {
            sdl.position = 0;
            if (!sdl.looping) sdl.playing.clear();  // keeps its memory: nothing is freed here
        }
    }
    if (done < want) std::memset(stream + done, sdl.audioFormat.silence, want - done);
}

// The wave in the device's format; empty when it cannot be converted.
std::vector<uint8_t> converted(const WaveSound& wave) {
    SDL_AudioCVT cvt;
    SDL_AudioFormat from = wave.bitsPerSample == 8 ? AUDIO_U8 : AUDIO_S16LSB;
    if (SDL_BuildAudioCVT(&cvt, from, static_cast<Uint8>(wave.channels), static_cast<int>(wave.sampleRate),
                          sdl.audioFormat.format, sdl.audioFormat.channels, sdl.audioFormat.freq) < 0) {
        return {};
    }
    uint32_t frame = static_cast<uint32_t>(wave.channels) * (wave.bitsPerSample / 8u);
    uint32_t bytes = wave.sampleBytes - wave.sampleBytes % frame;
    std::vector<uint8_t> buffer(static_cast<size_t>(bytes) * static_cast<size_t>(std::max(1, cvt.len_mult)));
    std::memcpy(buffer.data(), wave.samples, bytes);
    cvt.buf = buffer.data();
    cvt.len = static_cast<int>(bytes);
    if (cvt.needed && SDL_ConvertAudio(&cvt) < 0) return {};
    buffer.resize(cvt.needed ? static_cast<size_t>(cvt.len_cvt) : bytes);
    return buffer;
}

// Hands the device new samples (none: silence); the old ones are freed here, not in its thread.
void play(std::vector<uint8_t> samples, bool loop) {
    if (!sdl.audio) return;
    SDL_LockAudioDevice(sdl.audio);
    sdl.playing.swap(samples);
    sdl.position = 0;
    sdl.looping = loop;
    SDL_UnlockAudioDevice(sdl.audio);
}

void playWave(const WaveSound& wave, bool loop) {
    if (sdl.audio) play(converted(wave), loop);
}

void stopWave() {
    play({}, false);
}

DWORD tickCount() {
    return static_cast<DWORD>(SDL_GetTicks64());
}

// The virtual-key code of a key, or 0 for one the platform does not pass on.
WPARAM virtualKey(SDL_Keycode key) {
    constexpr std::pair<SDL_Keycode, WPARAM> named[] = {
        {SDLK_RETURN, VK_RETURN}, {SDLK_KP_ENTER, VK_RETURN}, {SDLK_ESCAPE, VK_ESCAPE},
        {SDLK_SPACE, VK_SPACE},   {SDLK_UP, VK_UP},           {SDLK_RIGHT, VK_RIGHT},
        {SDLK_DOWN, VK_DOWN},     {SDLK_F10, VK_F10},         {SDLK_APPLICATION, VK_APPS},
        {SDLK_MENU, VK_APPS}};
    if (key >= SDLK_a && key <= SDLK_z) return static_cast<WPARAM>('A' + (key - SDLK_a));
    for (const auto& [sdlKey, vk] : named)
        if (sdlKey == key) return vk;
    return 0;
}

// A key for the program, with the state of Ctrl; none while replaying, nor one it does not take.
void pushKey(const SDL_KeyboardEvent& key) {
    const WPARAM vk = desktopReplaying() ? 0 : virtualKey(key.keysym.sym);
    if (vk == 0) return;
    const auto kind = key.type == SDL_KEYDOWN ? HostEventKind::KeyDown : HostEventKind::KeyUp;
    const auto control = static_cast<int16_t>((key.keysym.mod & KMOD_CTRL) ? KeyControl : 0);
    platformPushInput(HostEvent{kind, control, 0, static_cast<uint16_t>(vk)});
}

// Host input into the platform's input queue. Mouse coordinates arrive already in display
// pixels: the renderer's logical size maps them.
void pollEvents() {
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
        switch (event.type) {
            case SDL_QUIT:
                desktopCloseAsked();
                break;
            case SDL_WINDOWEVENT:
                if (event.window.event == SDL_WINDOWEVENT_RESTORED && !desktopReplaying()) {
                    platformPushInput(HostEvent{HostEventKind::Restore, 0, 0, 0});
                }
                sdl.repaint = true;
                break;
            case SDL_MOUSEBUTTONDOWN:
            case SDL_MOUSEBUTTONUP:
                if (event.button.button == SDL_BUTTON_LEFT && !desktopReplaying()) {
                    const bool down = event.type == SDL_MOUSEBUTTONDOWN;
                    platformHostPen(down ? HostEventKind::PenDown : HostEventKind::PenUp, event.button.x,
                                    event.button.y);
                }
                break;
            case SDL_MOUSEMOTION:
                if (!desktopReplaying())
                    platformHostPen(HostEventKind::PenMove, event.motion.x, event.motion.y);
                break;
            case SDL_KEYDOWN:
            case SDL_KEYUP: {
                // F11 and Alt+Enter toggle fullscreen; other keys with Alt are the window manager's.
                // The rest go to the program, each press once (no repeats).
                const SDL_Keycode key = event.key.keysym.sym;
                const bool enter = key == SDLK_RETURN || key == SDLK_KP_ENTER;
                const bool alt = (event.key.keysym.mod & KMOD_ALT) != 0;
                const bool toggle = key == SDLK_F11 || (enter && alt);
                if (event.key.repeat || (alt && !toggle)) break;
                if (!toggle) {
                    pushKey(event.key);
                    break;
                }
                if (event.type != SDL_KEYDOWN) break;
                // Without a window manager the window keeps its size while SDL takes the screen's: on
                // the way back, the windowed size again (a size event: the renderer places the picture).
                const bool full = !(SDL_GetWindowFlags(sdl.window) & SDL_WINDOW_FULLSCREEN);
                if (full) SDL_GetWindowSize(sdl.window, &sdl.windowed.x, &sdl.windowed.y);
                SDL_SetWindowFullscreen(sdl.window, full ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0);
                if (!full) SDL_SetWindowSize(sdl.window, sdl.windowed.x, sdl.windowed.y);
                sdl.repaint = true;
                break;
            }
            default:
                break;
        }
    }
    if (sdl.copy.listenFd >= 0 && singleCopyPoll(&sdl.copy) > 0) {
        SDL_RestoreWindow(sdl.window);
        SDL_RaiseWindow(sdl.window);
        sdl.repaint = true;
    }
}

// Shows the display when it changed or the window needs it again; gives whether presenting waited
// for the screen.
bool present(const uint32_t* display, bool changed) {
    if (!changed && !sdl.repaint) return false;
    if (changed && display)
        SDL_UpdateTexture(sdl.texture, nullptr, display, DisplayWidth * static_cast<int>(sizeof(uint32_t)));
    sdl.repaint = false;
    SDL_SetRenderDrawColor(sdl.renderer, 0, 0, 0, 255);
    SDL_RenderClear(sdl.renderer);
    SDL_RenderCopy(sdl.renderer, sdl.texture, nullptr, nullptr);
    SDL_RenderPresent(sdl.renderer);
    return sdl.vsync;
}

const PaceClock& paceClock() {
    static const PaceClock clock{SDL_GetPerformanceCounter, SDL_Delay, SDL_GetPerformanceFrequency()};
    return clock;
}

// Claims the lock (platform/desktop_system.h) in the user's private folder.
int claim(const WCHAR* className, bool listen, char* why, size_t whySize) {
    if (!sdl.folder[0] && !singleCopyFolder(nullptr, sdl.folder, sizeof sdl.folder, why, whySize)) return -1;
    const std::string name = utf8FromUtf16(className);
    const int claimed = sdl.copy.lockFd >= 0 ? 1 : singleCopyClaim(&sdl.copy, sdl.folder, name.c_str());
    if (claimed < 0) std::snprintf(why, whySize, "cannot make the lock file");
    if (claimed == 0) std::snprintf(sdl.otherName, sizeof sdl.otherName, "%s", name.c_str());
    if (claimed == 1 && listen) singleCopyListen(&sdl.copy);
    return claimed;
}

bool askOtherForward() {
    return sdl.otherName[0] && singleCopyRequestFront(sdl.folder, sdl.otherName, FrontPatienceMs) == 1;
}

void showWindow(const WCHAR* title) {
    if (sdl.window && title && *title) SDL_SetWindowTitle(sdl.window, utf8FromUtf16(title).c_str());
    if (sdl.window) SDL_ShowWindow(sdl.window);
}

void reset() {
    sdl.repaint = true;
}

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

// Runs f with the standard error stream pointed at /dev/null; gives what f gives.
template <typename F>
auto quietly(F f) {
    const int saved = dup(STDERR_FILENO), quiet = open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (saved >= 0 && quiet >= 0) dup2(quiet, STDERR_FILENO);
    if (quiet >= 0) close(quiet);
    const auto result = f();
    if (saved >= 0 && dup2(saved, STDERR_FILENO) >= 0) close(saved);
    return result;
}

// Under LeakSanitizer: keeps every library loaded so far (the OpenGL driver that the renderer
// loads, say) in memory to the end, so that the leak report at exit can still name the library
// an allocation came from, and the suppressions can match it.
void keepLibrariesForLeakReports() {
#if defined(__SANITIZE_ADDRESS__)
    dl_iterate_phdr(
        [](dl_phdr_info* info, size_t, void*) {
            if (info->dlpi_name && info->dlpi_name[0]) dlopen(info->dlpi_name, RTLD_LAZY | RTLD_NOLOAD | RTLD_NODELETE);
            return 0;
        },
        nullptr);
#endif
}

void closeAll() {
    if (sdl.audio) SDL_CloseAudioDevice(sdl.audio);
    if (sdl.texture) SDL_DestroyTexture(sdl.texture);
    if (sdl.renderer) SDL_DestroyRenderer(sdl.renderer);
    if (sdl.window) SDL_DestroyWindow(sdl.window);
    singleCopyRelease(&sdl.copy);
    SDL_Quit();
    sdl = Sdl{};
}

bool open(const DesktopOptions& options, char* error, size_t errorSize) {
    sdl = Sdl{};
    auto fail = [&](const char* what) {
        if (error && errorSize > 0) std::snprintf(error, errorSize, "%s: %s", what, SDL_GetError());
        closeAll();
        return false;
    };
    SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "0");
    SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "0");
    // The software renderer presents without OpenGL, which costs milliseconds without a graphics card.
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    // Windowing libraries that find no display of their kind say so on the standard error stream
    // while SDL tries them; the caller gets one line instead.
    if (!quietly([] { return SDL_Init(SDL_INIT_VIDEO | SDL_INIT_EVENTS) == 0; })) return fail("no display");
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
    sdl.windowed = {DisplayWidth * scale, DisplayHeight * scale};
    sdl.window = SDL_CreateWindow("dorurura", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, sdl.windowed.x,
                                  sdl.windowed.y, flags);
    if (!sdl.window) return fail("cannot open a window");
    SDL_SetWindowMinimumSize(sdl.window, DisplayWidth, DisplayHeight);
    const int passRate = options.passRate > 0 ? std::min(options.passRate, 1000) : 60;
    // Vsync paces the passes only when the screen refreshes at the pass rate.
    SDL_DisplayMode mode{};
    bool refreshMatches =
        SDL_GetCurrentDisplayMode(0, &mode) == 0 && std::abs(mode.refresh_rate - passRate) <= 1;
    Uint32 rendererFlags = refreshMatches ? SDL_RENDERER_PRESENTVSYNC : 0;
    sdl.renderer = SDL_CreateRenderer(sdl.window, -1, rendererFlags);
    if (!sdl.renderer) sdl.renderer = SDL_CreateRenderer(sdl.window, -1, SDL_RENDERER_SOFTWARE);
    if (!sdl.renderer) return fail("cannot draw in the window");
    SDL_RendererInfo info{};
    sdl.vsync = SDL_GetRendererInfo(sdl.renderer, &info) == 0 && (info.flags & SDL_RENDERER_PRESENTVSYNC);
    SDL_RenderSetLogicalSize(sdl.renderer, DisplayWidth, DisplayHeight);
    SDL_RenderSetIntegerScale(sdl.renderer, SDL_TRUE);
    sdl.texture = SDL_CreateTexture(sdl.renderer, SDL_PIXELFORMAT_RGB888, SDL_TEXTUREACCESS_STREAMING,
                                    DisplayWidth, DisplayHeight);
    if (!sdl.texture) return fail("cannot draw in the window");
    // Audio libraries report a missing device on the standard error stream; without a device the
    // game is simply silent.
    if (quietly([] { return SDL_InitSubSystem(SDL_INIT_AUDIO) == 0; })) {
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
    keepLibrariesForLeakReports();
    sdl.repaint = true;
    return true;
}

}  // namespace

const DesktopSystem desktopSystem = {.open = open, .close = closeAll, .clock = paceClock,
    .present = present, .poll = pollEvents, .show = showWindow, .tickCount = tickCount,
    .playWave = playWave, .stopWave = stopWave, .claim = claim, .askOtherForward = askOtherForward,
    .reset = reset};
