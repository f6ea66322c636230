// Drawing with Cairo: canvases, colours, shapes, gradients, outline fonts and pixel fonts.
#pragma once

#include <cairo.h>

#include <initializer_list>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "tools/art/image.h"

namespace art {

struct Colour {
    double r = 0, g = 0, b = 0, a = 1;
};

// 0xRRGGBB.
constexpr Colour hex(uint32_t rgb, double a = 1.0) {
    return {((rgb >> 16) & 0xFF) / 255.0, ((rgb >> 8) & 0xFF) / 255.0, (rgb & 0xFF) / 255.0, a};
}
Colour mix(Colour a, Colour b, double t);
Colour lighter(Colour c, double t);  // towards white
Colour darker(Colour c, double t);   // towards black
Colour withAlpha(Colour c, double a);
Rgb toRgb(Colour c);

struct Canvas {
    cairo_surface_t* surface = nullptr;
    cairo_t* cr = nullptr;
    int width = 0, height = 0;
};

Canvas makeCanvas(int width, int height, bool transparent = false);
void freeCanvas(Canvas& canvas);
// The canvas composed over black.
RgbImage canvasImage(const Canvas& canvas);
// A full-colour picture as a Cairo image surface (caller destroys it).
cairo_surface_t* surfaceFrom(const RgbImage& image);

void setColour(cairo_t* cr, Colour c);
void roundedRect(cairo_t* cr, double x, double y, double w, double h, double r);
using Stops = std::initializer_list<std::pair<double, Colour>>;
// Linear and radial gradients; the caller sets them as source and destroys them with cairo_pattern_destroy.
cairo_pattern_t* linear(double x0, double y0, double x1, double y1, Stops stops);
cairo_pattern_t* radial(double cx, double cy, double r0, double r1, Stops stops);
// Sets a gradient as the source and lets go of it (the context keeps it while it is the source).
void useGradient(cairo_t* cr, cairo_pattern_t* pattern);

// An outline font from a file of a Debian font package, through FreeType.
struct OutlineFont {
    void* face = nullptr;  // FT_Face
    cairo_font_face_t* cairoFace = nullptr;
};
OutlineFont loadOutlineFont(const std::string& path);
// Sets the font and size on the context.
void useFont(cairo_t* cr, const OutlineFont& font, double size);
// Width of a text's ink and its advance, in the context's current font.
double textAdvance(cairo_t* cr, const std::string& text);
// Adds the text's outline to the path with its baseline starting at (x, y).
void textPath(cairo_t* cr, const std::string& text, double x, double y);

// Pixel fonts drawn as text in res/art: each glyph a block of rows of '.' and ink characters.
struct PixelGlyph {
    int width = 0;
    std::vector<std::string> rows;
};
struct PixelFont {
    std::string path;  // the file it was read from
    std::map<char, PixelGlyph> glyphs;
    int height = 0;
};
PixelFont loadPixelFont(const std::string& path);
const PixelGlyph& glyphOf(const PixelFont& font, char c);
int pixelTextWidth(const PixelFont& font, const std::string& text, int gap);
// Adds one unit square per pixel of the text whose character is in `inks` (any non-'.' when empty).
void pixelTextPath(cairo_t* cr, const PixelFont& font, const std::string& text, int x, int y, int gap,
                   const std::string& inks = "");

// Softens an image surface with three passes of a box blur of the given radius (premultiplied
// channels, so transparent pixels blend correctly).
void blurSurface(cairo_surface_t* surface, int radius);

// Halo for pixel text: the text drawn in `outline` offset in the eight directions, then in `fill`.
void pixelTextOutlined(cairo_t* cr, const PixelFont& font, const std::string& text, int x, int y, int gap,
                       Colour fill, Colour outline);

}  // namespace art
