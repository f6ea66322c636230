// The desktop backend under SDL's dummy video and audio drivers, and the single-copy lock across
// processes.
#include <SDL.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "platform/host.h"
#include "platform/sdl.h"
#include "platform/single_copy.h"
#include "platform/windows.h"
#include "tests/platform/test_resources.h"

namespace {

std::vector<MSG> received;

LRESULT CALLBACK proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_LBUTTONDOWN || message == WM_LBUTTONUP || message == WM_MOUSEMOVE ||
        message == WM_CLOSE) {
        received.push_back(MSG{window, message, wParam, lParam, 0, {}});
    }
    if (message == WM_DESTROY) PostQuitMessage(3);
    return DefWindowProcW(window, message, wParam, lParam);
}

class SdlBackend : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        setenv("SDL_VIDEODRIVER", "dummy", 1);
        setenv("SDL_AUDIODRIVER", "dummy", 1);
    }
    void SetUp() override {
        platformReset();
        received.clear();
        SdlOptions options;
        options.scale = 2;
        options.passRate = 200;  // the smoke test need not wait long for its passes
        char error[256];
        ASSERT_TRUE(platformStartSdl(options, error, sizeof error)) << error;
    }
    void TearDown() override {
        platformStopSdl();
        platformReset();
    }
    static void pump(int passes) {
        MSG msg;
        for (int i = 0; i < passes; ++i) {
            if (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE) && msg.message != WM_QUIT)
                DispatchMessageW(&msg);
        }
    }
    static void pushMouse(Uint32 type, int x, int y) {
        SDL_Event event{};
        event.type = type;
        SDL_Window* window = SDL_GetMouseFocus();
        if (!window) window = SDL_GetWindowFromID(1);
        if (type == SDL_MOUSEMOTION) {
            event.motion.windowID = window ? SDL_GetWindowID(window) : 1;
            event.motion.x = x;
            event.motion.y = y;
            event.motion.state = SDL_BUTTON_LMASK;
        } else {
            event.button.windowID = window ? SDL_GetWindowID(window) : 1;
            event.button.button = SDL_BUTTON_LEFT;
            event.button.state = type == SDL_MOUSEBUTTONDOWN ? SDL_PRESSED : SDL_RELEASED;
            event.button.clicks = 1;
            event.button.x = x;
            event.button.y = y;
        }
        SDL_PushEvent(&event);
    }
};

TEST_F(SdlBackend, StartsDrawsTakesThePenAndStops) {
    EXPECT_STREQ(platformBackend()->name, "sdl");
    WNDCLASSW wc{};
    wc.lpfnWndProc = proc;
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    wc.lpszClassName = u"SMOKETEST";
    ASSERT_NE(RegisterClassW(&wc), 0);
    HWND window = CreateWindowExW(0, u"SMOKETEST", u"smoke test", WS_VISIBLE, CW_USEDEFAULT, CW_USEDEFAULT,
                                  CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    UpdateWindow(window);
    DWORD before = GetTickCount();
    pump(5);
    EXPECT_GE(GetTickCount(), before);

    // A click at window pixel (2x + 1, 2y + 1) is the pen at display (x, y), client (x, y - 26).
    pushMouse(SDL_MOUSEBUTTONDOWN, 2 * 50 + 1, 2 * 100 + 1);
    pushMouse(SDL_MOUSEMOTION, 2 * 60, 2 * 110);
    pushMouse(SDL_MOUSEMOTION, 2 * 300, 2 * 110);     // off the display: ignored
    pushMouse(SDL_MOUSEBUTTONUP, 2 * 300, 2 * 110);   // lifted off it: up where the pen last was
    pushMouse(SDL_MOUSEBUTTONDOWN, 2 * 300, 2 * 10);  // outside the display: ignored
    pump(8);
    ASSERT_EQ(received.size(), 3u);
    EXPECT_EQ(received[0].message, static_cast<UINT>(WM_LBUTTONDOWN));
    EXPECT_EQ(received[0].lParam, MAKELPARAM(50, 74));
    EXPECT_EQ(received[1].message, static_cast<UINT>(WM_MOUSEMOVE));
    EXPECT_EQ(received[1].lParam, MAKELPARAM(60, 84));
    EXPECT_EQ(received[2].message, static_cast<UINT>(WM_LBUTTONUP));
    EXPECT_EQ(received[2].lParam, MAKELPARAM(60, 84));

    // Sound plays through SDL audio without complaint (the dummy device is silent).
    testres::Catalogue catalogue;
    catalogue.addWave(104, testres::makeWave(8000, 3300));
    catalogue.addWave(105, testres::makeWave(11025, 489));
    HINSTANCE instance = instanceFromCatalogue(catalogue.get());
    EXPECT_TRUE(PlaySoundW(MAKEINTRESOURCEW(104), instance, SND_RESOURCE | SND_ASYNC | SND_LOOP));
    pump(3);
    EXPECT_TRUE(PlaySoundW(MAKEINTRESOURCEW(105), instance, SND_RESOURCE | SND_ASYNC));
    EXPECT_TRUE(PlaySoundW(MAKEINTRESOURCEW(104), instance, SND_RESOURCE | SND_ASYNC | SND_LOOP));
    EXPECT_TRUE(PlaySoundW(nullptr, nullptr, 0));

    // Closing the host window closes the program's window.
    SDL_Event quit{};
    quit.type = SDL_QUIT;
    SDL_PushEvent(&quit);
    MSG msg;
    int code = -1;
    for (int i = 0; i < 10 && code < 0; ++i) {
        if (!PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) continue;
        if (msg.message == WM_QUIT) code = static_cast<int>(msg.wParam);
        DispatchMessageW(&msg);
    }
    EXPECT_EQ(code, 3);
    platformStopSdl();
    EXPECT_STREQ(platformBackend()->name, "headless");
}

class SingleCopyTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/dorurura-test-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        folder = pattern;
    }
    void TearDown() override {
        unlink((folder + "/dorurura-GAME.lock").c_str());
        unlink((folder + "/dorurura-GAME.sock").c_str());
        rmdir(folder.c_str());
    }
    std::string folder;
};

TEST_F(SingleCopyTest, SecondProcessFindsTheFirstAndBringsItForward) {
    char chosen[256];
    ASSERT_GT(singleCopyFolder(folder.c_str(), chosen, sizeof chosen), 0u);
    SingleCopy first;
    ASSERT_EQ(singleCopyClaim(&first, chosen, "GAME"), 1);
    ASSERT_EQ(singleCopyListen(&first), 1);
    EXPECT_EQ(singleCopyPoll(&first), 0);
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // Another process: the lock is taken, and the running copy is asked to come forward.
        SingleCopy second;
        int claimed = singleCopyClaim(&second, chosen, "GAME");
        int sent = singleCopyRequestFront(chosen, "GAME");
        _exit(claimed == 0 && sent == 1 ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    int requests = 0;
    for (int i = 0; i < 50 && requests == 0; ++i)
        requests += singleCopyPoll(&first);
    EXPECT_EQ(requests, 1);
    singleCopyRelease(&first);
    // Released, the lock can be taken again; a request without a running copy goes nowhere.
    SingleCopy again;
    EXPECT_EQ(singleCopyClaim(&again, chosen, "GAME"), 1);
    EXPECT_EQ(singleCopyRequestFront(chosen, "GAME"), 0);
    singleCopyRelease(&again);
}

TEST_F(SingleCopyTest, OnlyAPrivateFolderIsUsed) {
    char chosen[256];
    ASSERT_EQ(chmod(folder.c_str(), 0777), 0);
    EXPECT_EQ(singleCopyFolder(folder.c_str(), chosen, sizeof chosen), 0u) << "others could write there";
    ASSERT_EQ(chmod(folder.c_str(), 0700), 0);
    EXPECT_GT(singleCopyFolder(folder.c_str(), chosen, sizeof chosen), 0u);
    SingleCopy copy;
    EXPECT_EQ(singleCopyClaim(&copy, chosen, "!!!"), -1) << "no usable name";
    EXPECT_EQ(singleCopyClaim(&copy, "", "GAME"), -1);
    EXPECT_EQ(singleCopyListen(&copy), 0) << "listening needs the lock";
}

}  // namespace
