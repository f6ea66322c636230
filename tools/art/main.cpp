// dorurura-art: draws every picture of the game, builds its icon and synthesises its sounds.
//
//   dorurura-art --src RES_DIR --out OUT_DIR
//
// RES_DIR holds the pixel-art fonts (art/*.txt); OUT_DIR receives the .bmp, .ico and .wav files
// that the resource script names, and review pictures (preview-N.png).
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "rules/machines.h"
#include "tools/art/art.h"
#include "tools/art/error.h"
#include "tools/art/files.h"

namespace {

const char* const FaceFiles[4] = {"face-reriv-eduvud.bmp", "face-dodore-du-zevud.bmp",
                                  "face-dudavid-udidizo.bmp", "face-roravi-rariv.bmp"};
const char* const StripFiles[4] = {"reels-reriv-eduvud.bmp", "reels-dodore-du-zevud.bmp",
                                   "reels-dudavid-udidizo.bmp", "reels-roravi-rariv.bmp"};
// The paper of each machine's reels.
const art::StripStyle StripStyles[4] = {
    {{253, 248, 236}, {196, 184, 164}},
    {{246, 249, 255}, {170, 180, 200}},
    {{250, 250, 238}, {180, 190, 160}},
    {{250, 244, 255}, {190, 170, 205}},
};
// Strip widths: at least each machine's reel window.
const int StripWidths[4] = {24, 28, 24, 28};

const char* const FontDir = "/usr/share/fonts/truetype/dejavu/";

// Draws, builds and synthesises everything into `out`.
void makeArt(const std::string& src, const std::string& out) {
    std::error_code ec;
    std::filesystem::create_directories(out, ec);
    if (ec) art::fail(out, "cannot make the folder: " + ec.message());

    art::Studio studio;
    studio.sourceDir = src;
    studio.outDir = out;
    studio.text = art::loadPixelFont(src + "/art/font-text.txt");
    studio.digits = art::loadPixelFont(src + "/art/font-digits.txt");
    studio.creditDigits = art::loadPixelFont(src + "/art/font-credits.txt");
    studio.label = art::loadPixelFont(src + "/art/font-label.txt");
    studio.tiny = art::loadPixelFont(src + "/art/font-tiny.txt");
    studio.sansBold = art::loadOutlineFont(std::string(FontDir) + "DejaVuSans-Bold.ttf");
    studio.serifBold = art::loadOutlineFont(std::string(FontDir) + "DejaVuSerif-Bold.ttf");

    art::TextSheets sheets = art::drawTextSheets(studio);
    art::writeBmp(out + "/font-text.bmp", sheets.text);
    art::writeBmp(out + "/font-text-mask.bmp", sheets.mask);
    art::writeBmp(out + "/font-digits.bmp", sheets.digits);
    art::writeBmp(out + "/font-credits.bmp", sheets.credits);

    art::ButtonSheets buttons = art::drawButtonSheets(studio);
    art::writeBmp(out + "/button-bet-one.bmp", buttons.betOne);
    art::writeBmp(out + "/button-bet-max.bmp", buttons.betMax);
    art::writeBmp(out + "/button-spin.bmp", buttons.spin);

    std::vector<art::IndexedImage> faces, strips;
    for (int m = 0; m < MachineCount; ++m) {
        const Rect16& reel = machineDefs[m].reelRects[0];
        strips.push_back(art::drawStrip(studio, StripWidths[m], reel.w, reel.h, StripStyles[m]));
        art::writeBmp(out + "/" + StripFiles[m], strips.back());
        faces.push_back(art::drawMachineFace(studio, m, buttons));
        art::writeBmp(out + "/" + FaceFiles[m], faces.back());
    }
    art::IndexedImage splash = art::drawSplash(studio);
    art::writeBmp(out + "/splash.bmp", splash);
    art::writePng(out + "/splash-2x.png", art::expand(splash), 2);
    art::writeIcon(studio, out + "/dorurura.ico");

    art::writeWav(out + "/reel.wav", 8000, art::reelSound(), true);
    art::writeWav(out + "/coin.wav", 11025, art::coinSound(), false);
    art::writeWav(out + "/win.wav", 11025, art::winSound(), true);

    art::writePreviews(studio, faces, strips, buttons, sheets);
}

}  // namespace

int main(int argc, char** argv) {
    std::string src, out;
    for (int i = 1; i + 1 < argc; i += 2) {
        std::string a = argv[i];
        if (a == "--src")
            src = argv[i + 1];
        else if (a == "--out")
            out = argv[i + 1];
    }
    if (src.empty() || out.empty()) {
        std::fprintf(stderr, "usage: dorurura-art --src RES_DIR --out OUT_DIR\n");
        return 2;
    }
    try {
        makeArt(src, out);
    } catch (const art::Error& e) {
        std::fprintf(stderr, "%s\n", e.message.c_str());
        return 2;
    }
    return 0;
}
