// The Windows calls of the Win32 desktop backend (platform/win32.cpp) behind plain C++ types.
// win32_system.cpp is the only file that sees the system's own <windows.h>, whose types and macros
// clash with the platform's stand-ins (platform/windows.h).
#pragma once

#include <cstddef>
#include <cstdint>

namespace win32 {

// What the window reports. Points are display pixels (through the scale and the black margins),
// which may lie off the display: the mouse is captured while its left button is held.
enum class EventKind : uint8_t {
    Close,     // the system asks the window to close
    Restored,  // back from minimised
    ButtonDown,
    ButtonMove,  // only while the button is held
    ButtonUp,    // also when the capture is taken away: then at (-1, -1)
    KeyDown,     // key: the virtual-key code; never a repeat, nor a key with Alt (the system's)
    KeyUp,
};
struct Event {
    EventKind kind;
    int x, y;
    unsigned key;
    bool control;  // Ctrl held
};

// Opens the window, hidden, at a whole-number scale (0: the largest that fits the work area, at
// most 3), fullscreen if asked, with the high-resolution timer. Events go to `handle` as messages
// are taken. Gives true, or false with a one-line reason.
bool open(int scale, bool fullscreen, void (*handle)(const Event&), char* error, size_t errorSize);
// Closes the window, the sound device and the timer and gives up the single-copy mutex.
void close();
// Titles and shows the window.
void show(const char16_t* title);
// Copies the display (240 x 320 pixels, 0x00RRGGBB, rows top to bottom) and shows it. The window
// repaints itself from the copy when the system asks.
void present(const uint32_t* display);
// Takes every waiting message of the thread, never waiting.
void pump();

// Time: the high-resolution counter, and a sleep on the waitable timer.
uint64_t counter();
uint64_t counterFrequency();
void sleep(uint32_t milliseconds);

// Sound through the wave device: one at a time, a new one (or stopSound) ends the one playing; a
// loop repeats without a gap. No device: silence.
void playSound(uint16_t channels, uint32_t sampleRate, uint16_t bitsPerSample, const uint8_t* samples,
               uint32_t bytes, bool loop);
void stopSound();

// One running copy per user session: a named mutex for the class name (letters and digits kept).
// Gives 1 when this process now holds it, 0 when another does, -1 (a reason in why) when it cannot
// be made. A window of a copy holding it answers a request to come forward by restoring and raising
// itself.
int claimCopy(const char16_t* className, char* why, size_t whySize);
// Asks the other copy's window to come forward, waiting at most patienceMs for it to show up and
// answer. Gives whether it answered.
bool askOtherCopyForward(int patienceMs);

}  // namespace win32
