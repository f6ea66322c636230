// The desktop backend under SDL's dummy video and audio drivers, and the single-copy lock across
// processes.
#include <SDL.h>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/desktop.h"
#include "platform/headless.h"
#include "platform/host.h"
#include "platform/single_copy.h"
#include "platform/windows.h"
#include "tests/platform/support.h"

namespace {

std::vector<std::pair<UINT, LPARAM>> received;  // pen messages and WM_CLOSE

LRESULT CALLBACK proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if ((message >= WM_MOUSEMOVE && message <= WM_LBUTTONUP) || message == WM_CLOSE)
        received.emplace_back(message, lParam);
    if (message == WM_DESTROY) PostQuitMessage(3);
    return DefWindowProcW(window, message, wParam, lParam);
}

void pushMouse(Uint32 type, int x, int y) {
    SDL_Event event{};
    event.type = type;
    const Uint32 window =
        SDL_GetWindowID(SDL_GetWindowFromID(1) ? SDL_GetWindowFromID(1) : SDL_GetMouseFocus());
    if (type == SDL_MOUSEMOTION) {
        event.motion = SDL_MouseMotionEvent{type, 0, window, 0, SDL_BUTTON_LMASK, x, y, 0, 0};
    } else {
        Uint8 state = type == SDL_MOUSEBUTTONDOWN ? SDL_PRESSED : SDL_RELEASED;
        event.button = SDL_MouseButtonEvent{type, 0, window, 0, SDL_BUTTON_LEFT, state, 1, 0, x, y};
    }
    SDL_PushEvent(&event);
}

TEST(SdlBackend, StartsHoldsTheClockTakesThePenAndEndsWithTheHostWindow) {
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    platformReset();
    DesktopOptions options;
    options.scale = 2;
    options.passRate = 200;  // the test need not wait long for its passes
    char error[256];
    ASSERT_TRUE(platformStartDesktop(options, error, sizeof error)) << error;
    EXPECT_NE(platformBackend(), headlessBackend());
    WNDCLASSW wc{};
    wc.lpfnWndProc = proc;
    wc.lpszClassName = u"SMOKETEST";
    ASSERT_NE(RegisterClassW(&wc), 0);
    ASSERT_NE(CreateWindowExW(0, u"SMOKETEST", u"smoke test", WS_VISIBLE, CW_USEDEFAULT, CW_USEDEFAULT,
                              CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, nullptr, nullptr),
              nullptr);
    // The clock stands still within a pass (and before the first): read as the pass begins.
    struct Reading {
        DWORD pass, first, later;
    };
    std::vector<Reading> readings;
    const DWORD atStart = GetTickCount();
    SDL_Delay(20);
    EXPECT_EQ(GetTickCount(), atStart);
    platformSetPassHook(
        [](const PassInfo& pass, void* user) {
            const DWORD first = GetTickCount();
            SDL_Delay(20);
            static_cast<std::vector<Reading>*>(user)->push_back({pass.tick, first, GetTickCount()});
        },
        &readings);
    support::mainLoop(5);
    platformSetPassHook(nullptr, nullptr);
    ASSERT_EQ(readings.size(), 5u);
    for (size_t k = 0; k < readings.size(); ++k) {
        EXPECT_EQ(readings[k].first, readings[k].pass);
        EXPECT_EQ(readings[k].later, readings[k].pass);
        EXPECT_GE(readings[k].pass - (k == 0 ? atStart : readings[k - 1].pass), 20u);
    }
    // A click at window pixel (2x + 1, 2y + 1) is the pen at display (x, y), client (x, y - 26).
    pushMouse(SDL_MOUSEBUTTONDOWN, 2 * 50 + 1, 2 * 100 + 1);
    pushMouse(SDL_MOUSEMOTION, 2 * 60, 2 * 110);
    pushMouse(SDL_MOUSEMOTION, 2 * 300, 2 * 110);     // off the display: ignored
    pushMouse(SDL_MOUSEBUTTONUP, 2 * 300, 2 * 110);   // lifted off it: up where the pen last was
    pushMouse(SDL_MOUSEBUTTONDOWN, 2 * 300, 2 * 10);  // outside the display: ignored
    support::mainLoop(8);
    EXPECT_EQ(received, (std::vector<std::pair<UINT, LPARAM>>{{WM_LBUTTONDOWN, MAKELPARAM(50, 74)},
                                                              {WM_MOUSEMOVE, MAKELPARAM(60, 84)},
                                                              {WM_LBUTTONUP, MAKELPARAM(60, 84)}}));
    // Closing the host window closes the program's window.
    SDL_Event quit{};
    quit.type = SDL_QUIT;
    SDL_PushEvent(&quit);
    EXPECT_EQ(support::mainLoop(10), 3);
    platformStopDesktop();
    EXPECT_EQ(platformBackend(), headlessBackend());
}

// Asks for the front from another process while this one keeps polling; gives whether the child
// got an answer, and adds the requests this side took.
bool frontFromChild(SingleCopy& running, const char* folder, int& requests) {
    pid_t child = fork();
    if (child == 0) _exit(singleCopyRequestFront(folder, "GAME", FrontPatienceMs) == 1 ? 0 : 1);
    int status = 0;
    while (child > 0 && waitpid(child, &status, WNOHANG) == 0) {
        requests += singleCopyPoll(&running);
        usleep(5000);
    }
    return child > 0 && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

TEST(SingleCopy, ASecondProcessFindsTheFirstInAPrivateFolderAndBringsItForward) {
    char pattern[] = "/tmp/dorurura-test-XXXXXX", chosen[512], problem[512];
    ASSERT_NE(mkdtemp(pattern), nullptr);
    // A folder name too long for a socket address still serves.
    const std::string deep = std::string(pattern) + "/" + std::string(120, 'd');
    ASSERT_EQ(mkdir(deep.c_str(), 0777), 0);
    ASSERT_EQ(chmod(deep.c_str(), 0777), 0);
    EXPECT_EQ(singleCopyFolder(deep.c_str(), chosen, sizeof chosen, problem, sizeof problem), 0u)
        << "others could write there";
    EXPECT_NE(std::string(problem).find(deep), std::string::npos) << problem;
    ASSERT_EQ(chmod(deep.c_str(), 0700), 0);
    ASSERT_GT(singleCopyFolder(deep.c_str(), chosen, sizeof chosen, problem, sizeof problem), 0u);
    SingleCopy first;
    EXPECT_EQ(singleCopyClaim(&first, chosen, "!!!"), -1) << "no usable name";
    EXPECT_EQ(singleCopyListen(&first), 0) << "listening needs the lock";
    ASSERT_EQ(singleCopyClaim(&first, chosen, "GAME"), 1);
    ASSERT_EQ(singleCopyListen(&first), 1);
    EXPECT_EQ(singleCopyPoll(&first), 0);
    SingleCopy second;
    EXPECT_EQ(singleCopyClaim(&second, chosen, "GAME"), 0) << "the lock is taken";
    singleCopyRelease(&second);
    int requests = 0;
    EXPECT_TRUE(frontFromChild(first, chosen, requests)) << "the running copy answers";
    EXPECT_EQ(requests, 1);

    // A running copy that takes no requests (stopped, say), even with its queue full: the request
    // gives up in its time.
    int queued[8];
    for (int& fd : queued) {
        fd = socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK, 0);
        connect(fd, reinterpret_cast<const sockaddr*>(&first.address), sizeof first.address);
    }
    const auto begun = std::chrono::steady_clock::now();
    EXPECT_EQ(singleCopyRequestFront(chosen, "GAME", 300), 0);
    const auto waited = std::chrono::steady_clock::now() - begun;
    EXPECT_GE(waited, std::chrono::milliseconds(250));
    EXPECT_LT(waited, std::chrono::milliseconds(1500));
    for (int fd : queued)
        close(fd);
    singleCopyRelease(&first);

    // Released, the lock can be taken again; a request without a running copy goes nowhere.
    SingleCopy again;
    EXPECT_EQ(singleCopyClaim(&again, chosen, "GAME"), 1);
    EXPECT_EQ(singleCopyRequestFront(chosen, "GAME", 100), 0);
    singleCopyRelease(&again);
    std::filesystem::remove_all(pattern);
}

}  // namespace
