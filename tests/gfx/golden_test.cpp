// Golden frames: what the player sees at the moments that matter, compared pixel for pixel with
// the PNG files in tests/gfx/golden/ (DORURURA_UPDATE_GOLDEN=1 writes them instead; see README).
#include <gtest/gtest.h>
#include <png.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "flow/betting.h"
#include "flow/game.h"
#include "flow/input.h"
#include "flow/machine.h"
#include "gfx/glyphs.h"
#include "gfx/widgets.h"
#include "platform/host.h"
#include "rules/random.h"
#include "tests/flow/harness.h"

namespace {

bool updating() {
    const char* v = std::getenv("DORURURA_UPDATE_GOLDEN");
    return v != nullptr && v[0] != '\0' && v[0] != '0';
}

std::string goldenPath(const std::string& name) {
    return std::string(DORURURA_GOLDEN_DIR) + "/" + name + ".png";
}

// Reads an 8-bit RGB or RGBA PNG into 0x00RRGGBB pixels.
bool readPng(const std::string& path, std::vector<uint32_t>* pixels, int* width, int* height) {
    png_image image = {};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str())) return false;
    image.format = PNG_FORMAT_RGB;
    std::vector<uint8_t> rgb(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr)) return false;
    *width = static_cast<int>(image.width);
    *height = static_cast<int>(image.height);
    pixels->resize(static_cast<size_t>(*width) * static_cast<size_t>(*height));
    for (size_t i = 0; i < pixels->size(); ++i) {
        (*pixels)[i] = (uint32_t{rgb[3 * i]} << 16) | (uint32_t{rgb[3 * i + 1]} << 8) | rgb[3 * i + 2];
    }
    return true;
}

// Compares the window's client area with the golden picture of that name (or writes it).
void expectGolden(const std::string& name) {
    const harness::Pixels shown = harness::windowPixels();
    ASSERT_NE(shown.data, nullptr);
    const std::string path = goldenPath(name);
    if (updating()) {
        ASSERT_EQ(platformWritePng(path.c_str(), shown.data, shown.width, shown.height), 1) << path;
        return;
    }
    std::vector<uint32_t> golden;
    int width = 0, height = 0;
    ASSERT_TRUE(readPng(path, &golden, &width, &height))
        << "missing " << path << " (DORURURA_UPDATE_GOLDEN=1 makes it)";
    ASSERT_EQ(width, shown.width) << name;
    ASSERT_EQ(height, shown.height) << name;
    int differing = 0, firstX = -1, firstY = -1;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            if (golden[static_cast<size_t>(y * width + x)] == shown.at(x, y)) continue;
            if (differing++ == 0) {
                firstX = x;
                firstY = y;
            }
        }
    }
    if (differing != 0) {
        const std::string actual = std::string(DORURURA_ACTUAL_DIR) + "/" + name + ".actual.png";
        platformWritePng(actual.c_str(), shown.data, shown.width, shown.height);
        FAIL() << name << ": " << differing << " pixels differ, the first at (" << firstX << ", " << firstY
               << "); this run's picture is in " << actual;
    }
}

// Runs passes, then compares the window in the given state with the golden picture of that name.
void expectGoldenAfter(int passes, GameState state, const std::string& name) {
    harness::passes(passes);
    ASSERT_EQ(gameState, state) << name;
    expectGolden(name);
}

}  // namespace

TEST(Golden, LoadingScreen) {
    harness::resetAll(1000, 16);
    initGraphics();
    loadGlyphSheet(&glyphSheets[0], &glyphSheetDefs[0], WithMask);
    showLoadingScreen(&ScreenSurface);
    expectGolden("loading");
}

TEST(Golden, Splash) {
    harness::startGame(1000, 16);
    expectGoldenAfter(2, Splash, "splash");
}

TEST(Golden, FirstFrameOfEachMachine) {
    for (uint8_t machine = 0; machine < 4; ++machine) {
        harness::idleOn(machine);
        expectGolden("machine" + std::to_string(machine));
    }
}

TEST(Golden, WhileSpinning) {
    harness::idleOn(0);
    RandomSource::seed(777);
    harness::queueTap(160, 225);  // Spin
    expectGoldenAfter(9, Spinning, "spinning");
}

TEST(Golden, EveryPayTablePage) {
    for (uint8_t machine = 0; machine < 4; ++machine) {
        harness::idleOn(machine);
        doButtonAction(ButtonAction::OpenPayTable);
        ASSERT_EQ(gameState, PayTable);
        do {
            harness::pass();
            expectGolden("paytable" + std::to_string(machine) + "-" + std::to_string(payTablePage));
            handleTap(200, 255);
        } while (payTablePage != 0);
    }
}

TEST(Golden, TheWarningShownAndErased) {
    harness::idleOn(0);
    wallet.credits = 0;
    wallet.bet = 0;
    teardownMachine();
    setupMachine(0);
    expectGoldenAfter(2, Broke, "warning-shown");
    harness::setClock(textWidgets[CashWarning].nextBlink);
    harness::passes(2);
    ASSERT_EQ(textWidgets[CashWarning].flags & TextWidgetFlags::Visible, 0);
    expectGolden("warning-erased");
}
