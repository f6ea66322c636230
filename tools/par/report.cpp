#include "tools/par/report.h"

#include <cairo-pdf.h>
#include <cairo-svg.h>
#include <cairo.h>
#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <numbers>

#include "platform/text.h"
#include "rules/outcome.h"
#include "rules/random.h"

// Pages are A4 in points. Everything is black on white with greys and dash patterns, so a black and
// white print keeps every line apart.

namespace {

constexpr double PageWidth = 595.28, PageHeight = 841.89;
constexpr double Margin = 42;
constexpr double Right = PageWidth - Margin;
constexpr const char* Sans = "DejaVu Sans";
constexpr const char* Mono = "DejaVu Sans Mono";

enum class Align { Left, Centre, End };

void font(cairo_t* cr, double size, bool bold = false, const char* face = Sans) {
    cairo_select_font_face(cr, face, CAIRO_FONT_SLANT_NORMAL,
                           bold ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr, size);
}

double textWidth(cairo_t* cr, const std::string& text) {
    cairo_text_extents_t e;
    cairo_text_extents(cr, text.c_str(), &e);
    return e.x_advance;
}

void text(cairo_t* cr, double x, double y, const std::string& s, Align align = Align::Left, double grey = 0) {
    const double w = textWidth(cr, s);
    cairo_set_source_rgb(cr, grey, grey, grey);
    cairo_move_to(cr, align == Align::Left ? x : align == Align::Centre ? x - w / 2 : x - w, y);
    cairo_show_text(cr, s.c_str());
}

void line(cairo_t* cr, double x0, double y0, double x1, double y1, double width = 0.6, double grey = 0) {
    cairo_set_source_rgb(cr, grey, grey, grey);
    cairo_set_line_width(cr, width);
    cairo_move_to(cr, x0, y0);
    cairo_line_to(cr, x1, y1);
    cairo_stroke(cr);
}

void dashes(cairo_t* cr, int style) {
    static const double dash[] = {5, 3};
    static const double dot[] = {1, 2.2};
    static const double dashDot[] = {6, 2.5, 1.2, 2.5};
    switch (style) {
        case 1:
            cairo_set_dash(cr, dash, 2, 0);
            break;
        case 2:
            cairo_set_dash(cr, dot, 2, 0);
            break;
        case 3:
            cairo_set_dash(cr, dashDot, 4, 0);
            break;
        default:
            cairo_set_dash(cr, nullptr, 0, 0);
    }
}

// A number with a fixed count of decimals (or, with -1, as short as it reads).
std::string fixed(double v, int decimals) {
    char s[64];
    if (decimals < 0)
        std::snprintf(s, sizeof s, "%g", v);
    else
        std::snprintf(s, sizeof s, "%.*f", decimals, v);
    return s;
}

std::string grouped(uint64_t value) {
    std::string digits = std::to_string(value), out;
    for (size_t i = 0; i < digits.size(); ++i) {
        if (i != 0 && (digits.size() - i) % 3 == 0) out += ',';
        out += digits[i];
    }
    return out;
}

std::string percent(double fraction, int decimals = 2) {
    return fixed(100 * fraction, decimals) + "%";
}

// 1, 10, 100, 1k, 10k, 100k, 1M, 10M.
std::string shortCount(double v) {
    if (v >= 1e6) return fixed(v / 1e6, -1) + "M";
    if (v >= 1e3) return fixed(v / 1e3, -1) + "k";
    return fixed(v, -1);
}

std::string median(double spins) {
    return spins == 0 ? "> " + grouped(SessionSpins) : grouped(static_cast<uint64_t>(spins));
}

std::string oneIn(double chance) {
    return "1 in " + grouped(static_cast<uint64_t>(std::llround(1.0 / chance)));
}

void heading(cairo_t* cr, double y, const std::string& s) {
    font(cr, 11, true);
    text(cr, Margin, y, s);
    line(cr, Margin, y + 4, Right, y + 4, 0.5, 0.55);
}

// A chart's plot area and its axes. X may be logarithmic (values are then powers of ten).
struct Chart {
    double x, y, w, h;  // plot area, y at its top
    double x0, x1, y0, y1;
    bool logX;
    double px(double v) const {
        const double t = logX ? (std::log10(v) - std::log10(x0)) / (std::log10(x1) - std::log10(x0))
                              : (v - x0) / (x1 - x0);
        return x + t * w;
    }
    double py(double v) const { return y + h - (v - y0) / (y1 - y0) * h; }
};

// Frame, grid, ticks and labels. Log ticks fall on the powers of ten, linear ones every yStep.
void axes(cairo_t* cr, const Chart& c, double xStep, double yStep, const char* xTitle, const char* yTitle,
          const std::function<std::string(double)>& yLabel) {
    font(cr, 7.5);
    if (c.logX) {
        for (double v = c.x0; v <= c.x1 * 1.0001; v *= 10) {
            line(cr, c.px(v), c.y, c.px(v), c.y + c.h, 0.3, 0.8);
            line(cr, c.px(v), c.y + c.h, c.px(v), c.y + c.h + 3, 0.6);
            text(cr, c.px(v), c.y + c.h + 12, shortCount(v), Align::Centre);
            for (int k = 2; k < 10 && v * k < c.x1; ++k)
                line(cr, c.px(v * k), c.y + c.h, c.px(v * k), c.y + c.h + 1.5, 0.4);
        }
    } else {
        for (double v = c.x0; v <= c.x1 + 1e-9; v += xStep) {
            line(cr, c.px(v), c.y, c.px(v), c.y + c.h, 0.3, 0.8);
            line(cr, c.px(v), c.y + c.h, c.px(v), c.y + c.h + 3, 0.6);
            text(cr, c.px(v), c.y + c.h + 12, fixed(v, -1), Align::Centre);
        }
    }
    for (double v = std::ceil(c.y0 / yStep - 1e-9) * yStep; v <= c.y1 + 1e-9; v += yStep) {
        line(cr, c.x, c.py(v), c.x + c.w, c.py(v), 0.3, 0.8);
        line(cr, c.x - 3, c.py(v), c.x, c.py(v), 0.6);
        text(cr, c.x - 5, c.py(v) + 2.6, yLabel(std::fabs(v) < 1e-9 ? 0.0 : v), Align::End);
    }
    cairo_set_source_rgb(cr, 0, 0, 0);
    cairo_set_line_width(cr, 0.8);
    cairo_rectangle(cr, c.x, c.y, c.w, c.h);
    cairo_stroke(cr);
    font(cr, 8);
    text(cr, c.x + c.w / 2, c.y + c.h + 25, xTitle, Align::Centre);
    cairo_save(cr);
    cairo_translate(cr, c.x - 34, c.y + c.h / 2);
    cairo_rotate(cr, -std::numbers::pi / 2);
    text(cr, 0, 0, yTitle, Align::Centre);
    cairo_restore(cr);
}

// A legend entry: a line sample (dash style) or a grey swatch, then its text.
void legendLine(cairo_t* cr, double x, double y, int style, double width, const std::string& s) {
    cairo_set_source_rgb(cr, 0, 0, 0);
    cairo_set_line_width(cr, width);
    dashes(cr, style);
    cairo_move_to(cr, x, y - 2.5);
    cairo_line_to(cr, x + 22, y - 2.5);
    cairo_stroke(cr);
    dashes(cr, 0);
    font(cr, 7.5);
    text(cr, x + 26, y, s);
}

void legendSwatch(cairo_t* cr, double x, double y, double grey, const std::string& s) {
    cairo_set_source_rgb(cr, grey, grey, grey);
    cairo_rectangle(cr, x, y - 7, 22, 7);
    cairo_fill(cr);
    font(cr, 7.5);
    text(cr, x + 26, y, s);
}

void curve(cairo_t* cr, const Chart& c, const std::vector<std::pair<double, double>>& points, int style,
           double width) {
    cairo_save(cr);
    cairo_rectangle(cr, c.x, c.y, c.w, c.h);
    cairo_clip(cr);
    cairo_set_source_rgb(cr, 0, 0, 0);
    cairo_set_line_width(cr, width);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    dashes(cr, style);
    for (size_t i = 0; i < points.size(); ++i) {
        if (i == 0)
            cairo_move_to(cr, c.px(points[i].first), c.py(points[i].second));
        else
            cairo_line_to(cr, c.px(points[i].first), c.py(points[i].second));
    }
    cairo_stroke(cr);
    dashes(cr, 0);
    cairo_restore(cr);
}

// The chance still playing after n spins, n from 1 to SessionSpins, on log-spaced points, in percent.
std::vector<std::pair<double, double>> stillPlaying(const SessionFigures& s) {
    std::vector<std::pair<double, double>> points;
    uint32_t last = 0;
    for (int i = 0; i <= 400; ++i) {
        const auto n = static_cast<uint32_t>(std::llround(std::pow(10.0, i / 100.0)));
        if (n == last || n > SessionSpins) continue;
        last = n;
        points.emplace_back(n, 100 * s.still[n]);
    }
    return points;
}

void sessionChart(cairo_t* cr, const Chart& c, const MachineFigures& f) {
    axes(cr, c, 0, 20, "spins played (log scale)", "chance still playing (%)",
         [](double v) { return fixed(v, 0); });
    const SessionFigures& low = f.sessions[0];
    const SessionFigures& high = f.sessions[f.bets - 1];
    curve(cr, c, stillPlaying(low), 0, 1.4);
    curve(cr, c, stillPlaying(high), 1, 1.4);
    legendLine(cr, c.x - 30, c.y + c.h + 40, 0, 1.4, "bet 1 coin");
    legendLine(cr, c.x - 30, c.y + c.h + 51, 1, 1.4, "bet " + std::to_string(high.bet) + " coins");
}

// The running return of one simulated run of spins from the seed, on log-spaced points, in percent.
std::vector<std::pair<double, double>> simulatedRun(int machine, uint64_t spins, uint32_t seed) {
    const auto m = static_cast<uint8_t>(machine);
    uint32_t state = RandomSource::seededState(seed);
    uint64_t paid = 0;
    std::vector<std::pair<double, double>> points;
    double nextPoint = 100;
    for (uint64_t n = 1; n <= spins; ++n) {
        uint32_t draws = 0;
        paid += entryMultiplier(m, decideSpin(m, state, draws));
        if (static_cast<double>(n) >= nextPoint) {
            points.emplace_back(static_cast<double>(n),
                                100.0 * static_cast<double>(paid) / static_cast<double>(n));
            nextPoint *= std::pow(10.0, 1.0 / 80);
        }
    }
    return points;
}

void funnelChart(cairo_t* cr, Chart c, const MachineFigures& f, uint32_t seed) {
    const double rtp = 100 * f.returnToPlayer;
    const double sd = 100 * f.sheet.standardDeviation;
    const auto run = simulatedRun(f.sheet.machine, static_cast<uint64_t>(c.x1), seed);
    double lo = rtp - ConfidenceZ[2] * sd / std::sqrt(c.x0), hi = rtp + ConfidenceZ[2] * sd / std::sqrt(c.x0);
    for (const auto& p : run) {
        lo = std::min(lo, p.second);
        hi = std::max(hi, p.second);
    }
    const double step = hi - lo > 100 ? 20 : hi - lo > 50 ? 10 : 5;
    c.y0 = std::floor(lo / step) * step;
    c.y1 = std::ceil(hi / step) * step;
    // The bands, widest first, each as the region between its upper and lower edge.
    const double greys[LevelCount] = {0.62, 0.76, 0.89};
    cairo_save(cr);
    cairo_rectangle(cr, c.x, c.y, c.w, c.h);
    cairo_clip(cr);
    for (int l = LevelCount - 1; l >= 0; --l) {
        const double z = ConfidenceZ[l];
        cairo_new_path(cr);
        for (int i = 0; i <= 100; ++i) {
            const double n = c.x0 * std::pow(c.x1 / c.x0, i / 100.0);
            cairo_line_to(cr, c.px(n), c.py(rtp + z * sd / std::sqrt(n)));
        }
        for (int i = 100; i >= 0; --i) {
            const double n = c.x0 * std::pow(c.x1 / c.x0, i / 100.0);
            cairo_line_to(cr, c.px(n), c.py(rtp - z * sd / std::sqrt(n)));
        }
        cairo_close_path(cr);
        cairo_set_source_rgb(cr, greys[l], greys[l], greys[l]);
        cairo_fill(cr);
    }
    cairo_restore(cr);
    axes(cr, c, 0, step, "spins played (log scale)", "return to player (%)",
         [](double v) { return fixed(v, 0); });
    curve(cr, c, {{c.x0, rtp}, {c.x1, rtp}}, 1, 0.8);
    curve(cr, c, run, 0, 0.9);
    // The legend, below the chart.
    const double ly = c.y + c.h + 40;
    legendLine(cr, c.x - 30, ly, 0, 0.9, "a run from seed " + std::to_string(seed));
    legendLine(cr, c.x - 30, ly + 11, 1, 0.8, "the return, " + fixed(rtp, 3) + "%");
    for (int l = 0; l < LevelCount; ++l)
        legendSwatch(cr, c.x + c.w / 2 + 6, ly + 11 * l, greys[l],
                     fixed(100 * ConfidenceLevels[l], 0) + "% of runs inside");
}

// The headline figures: a label above each value, in a grid of four columns.
void headlines(cairo_t* cr, double y, const std::vector<std::pair<std::string, std::string>>& cells) {
    const double w = (Right - Margin) / 4;
    for (size_t i = 0; i < cells.size(); ++i) {
        const double x = Margin + w * static_cast<double>(i % 4);
        const double top = y + 32 * static_cast<double>(i / 4);
        font(cr, 7.5);
        text(cr, x, top, cells[i].first, Align::Left, 0.3);
        font(cr, 12.5, true);
        text(cr, x, top + 15, cells[i].second);
    }
}

void pageFooter(cairo_t* cr, const std::string& note, int page, int pages) {
    font(cr, 7.5);
    text(cr, Right, Margin + 2, "page " + std::to_string(page) + " of " + std::to_string(pages), Align::End,
         0.3);
    line(cr, Margin, PageHeight - 46, Right, PageHeight - 46, 0.5, 0.55);
    font(cr, 7);
    double y = PageHeight - 36;
    size_t start = 0;
    while (start < note.size()) {
        const size_t nl = note.find('\n', start);
        text(cr, Margin, y, note.substr(start, nl == std::string::npos ? std::string::npos : nl - start),
             Align::Left, 0.25);
        y += 9;
        if (nl == std::string::npos) break;
        start = nl + 1;
    }
}

void sessionTable(cairo_t* cr, double y, const MachineFigures& f) {
    const double cols[] = {Margin + 22, 130, 195, 260, 325, 415, 495, Right};
    font(cr, 7.5);
    text(cr, (cols[1] + cols[4]) / 2 - 22, y, "chance to be broke within", Align::Centre, 0.3);
    text(cr, cols[5], y, "median spins", Align::End, 0.3);
    text(cr, cols[6], y, "reaches " + std::to_string(DoubleTarget), Align::End, 0.3);
    y += 10;
    text(cr, cols[0], y, "bet", Align::End, 0.3);
    for (int h = 0; h < HorizonCount; ++h)
        text(cr, cols[1 + h], y, grouped(Horizons[h]) + " spins", Align::End, 0.3);
    text(cr, cols[5], y, "to broke", Align::End, 0.3);
    text(cr, cols[6], y, "before broke", Align::End, 0.3);
    text(cr, cols[7], y, "method", Align::End, 0.3);
    line(cr, Margin, y + 3, Right, y + 3, 0.4);
    for (int b = 0; b < f.bets; ++b) {
        const SessionFigures& s = f.sessions[b];
        y += 12.5;
        font(cr, 8.5, false);
        text(cr, cols[0], y, std::to_string(s.bet), Align::End);
        // A simulated figure comes with the half-width of its 95 % interval.
        const auto chance = [&](const Estimate& e) {
            return s.exact ? percent(e.value)
                           : fixed(100 * e.value, 1) + " \u00b1" + percent((e.high - e.low) / 2, 1);
        };
        if (!s.exact) font(cr, 7.5);
        for (int h = 0; h < HorizonCount; ++h)
            text(cr, cols[1 + h], y, chance(s.brokeWithin[h]), Align::End);
        text(cr, cols[5], y,
             s.exact ? median(s.medianSpins.value)
                     : median(s.medianSpins.value) + " (" + median(s.medianSpins.low) + "\u2013" +
                           median(s.medianSpins.high) + ")",
             Align::End);
        text(cr, cols[6], y, chance(s.doubleBeforeBroke), Align::End);
        text(cr, cols[7], y, s.exact ? "exact" : "simulated", Align::End);
    }
    font(cr, 7.5);
    text(cr, Margin, y + 14,
         "A session starts with " + std::to_string(InitialWallet.credits) +
             " credits. After every spin the game takes the same bet again, one coin when the credits cannot "
             "cover it;",
         Align::Left, 0.3);
    text(cr, Margin, y + 23,
         "the player is broke when they cannot cover one coin. The money is the credits with the bet staked.",
         Align::Left, 0.3);
}

void machinePage(cairo_t* cr, const MachineFigures& f, uint32_t seed, int page, int pages) {
    const ParSheet& s = f.sheet;
    const MachineDef& d = machineDefs[s.machine];
    font(cr, 20, true);
    text(cr, Margin, Margin + 14, machineNames[s.machine]);
    font(cr, 9);
    text(cr, Margin, Margin + 30,
         "Machine " + std::to_string(s.machine) + "  \u00b7  " + std::to_string(d.reelCount) +
             " reels  \u00b7  bet 1 to " + std::to_string(d.maxBet) + " coins  \u00b7  PAR report",
         Align::Left, 0.3);
    const ParEntry& top = s.entries[f.topEntry];
    headlines(cr, Margin + 54,
              {{"Return to player", percent(f.returnToPlayer, 3)},
               {"Hit frequency", percent(f.hitFrequency)},
               {"Standard deviation (per coin)", fixed(s.standardDeviation, 4)},
               {"Volatility index (90%)", fixed(f.volatilityIndex90, 3)},
               {"Win chance", percent(static_cast<double>(s.winChances) / DrawRange)},
               {"Pays more than the stake", percent(f.overStake)},
               {"Top award \u201c" + std::string(top.pattern) + "\u201d", oneIn(chanceFraction(f.topChance))},
               {"Largest win per coin", std::to_string(f.topMultiplier) + " coins"}});

    // The pay table, with a bar for each entry's share of the return.
    double y = Margin + 130;
    heading(cr, y, "Pay table and where the return comes from");
    y += 20;
    const double cols[] = {Margin + 10, Margin + 18, 170, 212, 262, 326, 370};
    const Chart bars{400, y + 4, Right - 400, 13.0 * (s.entryCount + 1), 0, 0, 0, 0, false};
    double most = 0;
    for (uint32_t k = 0; k < s.entryCount; ++k)
        most = std::max(most, 100 * chanceFraction(s.entries[k].chance * s.entries[k].multiplier));
    const double step = most > 40 ? 10 : 5;
    const double x1 = std::ceil(most / step) * step;
    font(cr, 7.5);
    text(cr, cols[0], y, "#", Align::End, 0.3);
    text(cr, cols[1], y, "pattern", Align::Left, 0.3);
    text(cr, cols[2], y, "pays", Align::End, 0.3);
    text(cr, cols[3], y, "weight", Align::End, 0.3);
    text(cr, cols[4], y, "chance", Align::End, 0.3);
    text(cr, cols[5], y, "cycle", Align::End, 0.3);
    text(cr, cols[6], y, "return", Align::End, 0.3);
    for (uint32_t k = 0; k <= s.entryCount; ++k) {
        const double ry = y + 13.0 * (k + 1);
        const bool win = k < s.entryCount;
        const uint64_t chance = win ? s.entries[k].chance : ChanceDenominator - s.hitChance;
        if (k % 2 == 0) {
            cairo_set_source_rgb(cr, 0.94, 0.94, 0.94);
            cairo_rectangle(cr, Margin, ry - 9.5, bars.x - 8 - Margin, 13);
            cairo_fill(cr);
        }
        font(cr, 8.5);
        text(cr, cols[0], ry, win ? std::to_string(k) : "-", Align::End);
        if (win) {
            font(cr, 8.5, false, Mono);
            std::string pattern = s.entries[k].pattern;
            pattern = pattern.substr(0, pattern.find(" *"));
            for (char& c : pattern)
                if (c == ' ') c = '_';
            text(cr, cols[1], ry, pattern);
            font(cr, 8.5);
            text(cr, cols[2], ry, std::to_string(s.entries[k].multiplier) + "\u00d7", Align::End);
            text(cr, cols[3], ry, std::to_string(s.entries[k].weight), Align::End);
        } else {
            text(cr, cols[1], ry, "no win");
            text(cr, cols[2], ry, "0\u00d7", Align::End);
            text(cr, cols[3], ry, "-", Align::End);
        }
        text(cr, cols[4], ry, percent(chanceFraction(chance), 3), Align::End);
        text(cr, cols[5], ry, oneIn(chanceFraction(chance)), Align::End);
        const double share = win ? chanceFraction(chance * s.entries[k].multiplier) : 0;
        text(cr, cols[6], ry, percent(share, 2), Align::End);
        const double w = share * 100 / x1 * bars.w;
        if (w > 0) {
            cairo_set_source_rgb(cr, 0.55, 0.55, 0.55);
            cairo_rectangle(cr, bars.x, ry - 8, w, 9);
            cairo_fill_preserve(cr);
            cairo_set_source_rgb(cr, 0, 0, 0);
            cairo_set_line_width(cr, 0.5);
            cairo_stroke(cr);
        }
    }
    // The bars' axis.
    const double axisY = y + 13.0 * (s.entryCount + 1) + 5;
    line(cr, bars.x, y + 4, bars.x, axisY, 0.6);
    line(cr, bars.x, axisY, bars.x + bars.w, axisY, 0.6);
    font(cr, 7.5);
    for (double v = 0; v <= x1 + 1e-9; v += step) {
        const double x = bars.x + v / x1 * bars.w;
        line(cr, x, axisY, x, axisY + 3, 0.6);
        text(cr, x, axisY + 11, fixed(v, -1), Align::Centre);
    }
    font(cr, 8);
    text(cr, bars.x + bars.w / 2, axisY + 22, "share of the return to player (% of the stake)",
         Align::Centre);
    font(cr, 7.5);
    text(cr, Margin, axisY + 22,
         "pattern: one symbol per reel, _ a blank stop, ? any stop;  cycle: one spin in N shows it",
         Align::Left, 0.3);

    y = axisY + 50;
    heading(cr, y, "How long " + std::to_string(InitialWallet.credits) + " credits last");
    sessionTable(cr, y + 18, f);

    y += 18 + 10 + 12.5 * f.bets + 50;
    heading(cr, y, "The return against spins, and the chance to be still playing");
    const double chartTop = y + 26;
    const double chartH = PageHeight - 60 - chartTop - 72;
    const double chartW = (Right - Margin - 60 - 50) / 2;
    funnelChart(cr, {Margin + 44, chartTop, chartW, chartH, 100, 1e7, 0, 1, true}, f, seed);
    sessionChart(cr, {Right - chartW, chartTop, chartW, chartH, 1, SessionSpins, 0, 100, true}, f);

    const std::string method = f.sessions[0].exact
                                   ? "The session figures are exact: the chance of every amount of money is "
                                     "carried from spin to spin."
                                   : "The session figures are simulated, with \u00b1 their 95% intervals.";
    pageFooter(cr,
               "Every figure comes from the machine's own tables and the game's spin decision, taking each "
               "draw of 0 to " +
                   std::to_string(DrawRange - 1) + " as equally likely.\n" + method +
                   "\nThe run drawn in the funnel is " + grouped(10000000) + " spins from seed " +
                   std::to_string(seed) + ", decided as the game decides them.",
               page, pages);
}

void summaryPage(cairo_t* cr, const std::vector<MachineFigures>& all, int pages) {
    font(cr, 20, true);
    text(cr, Margin, Margin + 14, "dorurura: PAR report");
    font(cr, 9);
    text(cr, Margin, Margin + 30, "The four machines side by side; a page for each machine follows.",
         Align::Left, 0.3);

    double y = Margin + 62;
    heading(cr, y, "The machines compared");
    const double first = Margin + 160;
    const double colW = (Right - first) / static_cast<double>(all.size());
    y += 18;
    font(cr, 8, true);
    for (size_t i = 0; i < all.size(); ++i)
        text(cr, first + colW * (static_cast<double>(i) + 1) - 4, y, machineNames[all[i].sheet.machine],
             Align::End);
    line(cr, Margin, y + 4, Right, y + 4, 0.4);
    const auto row = [&](const std::string& label,
                         const std::function<std::string(const MachineFigures&)>& value) {
        y += 13;
        font(cr, 8.5);
        text(cr, Margin, y, label);
        for (size_t i = 0; i < all.size(); ++i)
            text(cr, first + colW * (static_cast<double>(i) + 1) - 4, y, value(all[i]), Align::End);
    };
    row("Reels",
        [](const MachineFigures& f) { return std::to_string(machineDefs[f.sheet.machine].reelCount); });
    row("Win chance",
        [](const MachineFigures& f) { return percent(static_cast<double>(f.sheet.winChances) / DrawRange); });
    row("Return to player", [](const MachineFigures& f) { return percent(f.returnToPlayer, 3); });
    row("Hit frequency", [](const MachineFigures& f) { return percent(f.hitFrequency); });
    row("Pays more than the stake", [](const MachineFigures& f) { return percent(f.overStake); });
    row("Standard deviation per coin",
        [](const MachineFigures& f) { return fixed(f.sheet.standardDeviation, 4); });
    row("Volatility index (90%)", [](const MachineFigures& f) { return fixed(f.volatilityIndex90, 3); });
    row("Top award cycle", [](const MachineFigures& f) { return oneIn(chanceFraction(f.topChance)); });
    row("Largest win per coin",
        [](const MachineFigures& f) { return std::to_string(f.topMultiplier) + " coins"; });
    row("Return after 1,000 spins (95%)", [](const MachineFigures& f) {
        const ConfidenceRange& r = f.confidence[1 * LevelCount + 1];
        return fixed(100 * r.low, 1) + " to " + percent(r.high, 1);
    });
    for (const int bet : {1, 5}) {
        const std::string at = " at bet " + std::to_string(bet);
        row("Broke within 100 spins" + at, [&](const MachineFigures& f) {
            return percent(f.sessions[std::min(bet, f.bets) - 1].brokeWithin[1].value);
        });
        row("Median spins to broke" + at, [&](const MachineFigures& f) {
            return median(f.sessions[std::min(bet, f.bets) - 1].medianSpins.value);
        });
        row("Reaches " + std::to_string(DoubleTarget) + " before broke" + at, [&](const MachineFigures& f) {
            return percent(f.sessions[std::min(bet, f.bets) - 1].doubleBeforeBroke.value);
        });
    }

    // The return with its 95 % range after 1,000 and 100,000 spins, machine by machine.
    y += 36;
    heading(cr, y, "Return to player and where 95% of runs end");
    const double rowH = 26;
    Chart c{Margin + 110, y + 16, Right - Margin - 110, rowH * static_cast<double>(all.size()), 60, 140, 0, 1,
            false};
    for (const MachineFigures& f : all) {
        const ConfidenceRange& r = f.confidence[1 * LevelCount + 1];
        c.x0 = std::min(c.x0, std::floor(100 * r.low / 10) * 10);
        c.x1 = std::max(c.x1, std::ceil(100 * r.high / 10) * 10);
    }
    for (double v = c.x0; v <= c.x1 + 1e-9; v += 10)
        line(cr, c.px(v), c.y, c.px(v), c.y + c.h, v == 100 ? 0.9 : 0.3, v == 100 ? 0 : 0.8);
    for (size_t i = 0; i < all.size(); ++i) {
        const MachineFigures& f = all[i];
        const double my = c.y + rowH * (static_cast<double>(i) + 0.5);
        font(cr, 8.5);
        text(cr, Margin, my + 3, machineNames[f.sheet.machine]);
        const ConfidenceRange& thousand = f.confidence[1 * LevelCount + 1];
        const ConfidenceRange& lakh = f.confidence[3 * LevelCount + 1];
        line(cr, c.px(100 * thousand.low), my, c.px(100 * thousand.high), my, 1.0);
        line(cr, c.px(100 * thousand.low), my - 4, c.px(100 * thousand.low), my + 4, 1.0);
        line(cr, c.px(100 * thousand.high), my - 4, c.px(100 * thousand.high), my + 4, 1.0);
        cairo_set_source_rgb(cr, 0.6, 0.6, 0.6);
        cairo_rectangle(cr, c.px(100 * lakh.low), my - 4.5,
                        std::max(1.5, c.px(100 * lakh.high) - c.px(100 * lakh.low)), 9);
        cairo_fill_preserve(cr);
        cairo_set_source_rgb(cr, 0, 0, 0);
        cairo_set_line_width(cr, 0.6);
        cairo_stroke(cr);
        cairo_arc(cr, c.px(100 * f.returnToPlayer), my, 2.6, 0, 2 * std::numbers::pi);
        cairo_fill(cr);
    }
    cairo_set_source_rgb(cr, 0, 0, 0);
    cairo_set_line_width(cr, 0.8);
    cairo_rectangle(cr, c.x, c.y, c.w, c.h);
    cairo_stroke(cr);
    font(cr, 7.5);
    for (double v = c.x0; v <= c.x1 + 1e-9; v += 10) {
        line(cr, c.px(v), c.y + c.h, c.px(v), c.y + c.h + 3, 0.6);
        text(cr, c.px(v), c.y + c.h + 12, fixed(v, -1), Align::Centre);
    }
    font(cr, 8);
    text(cr, c.x + c.w / 2, c.y + c.h + 25, "return to player (% of the stake)", Align::Centre);
    font(cr, 7.5);
    const double ly = c.y + c.h + 40;
    cairo_arc(cr, Margin + 4, ly - 3, 2.6, 0, 2 * std::numbers::pi);
    cairo_fill(cr);
    text(cr, Margin + 12, ly, "the return in the long run;");
    line(cr, Margin + 120, ly - 3, Margin + 142, ly - 3, 1.0);
    text(cr, Margin + 146, ly, "95% of runs of 1,000 spins end inside;");
    cairo_set_source_rgb(cr, 0.6, 0.6, 0.6);
    cairo_rectangle(cr, Margin + 300, ly - 7, 22, 8);
    cairo_fill(cr);
    text(cr, Margin + 326, ly, "95% of runs of 100,000 spins");

    // The chance to be still playing at bet 1, every machine on one chart.
    y = ly + 26;
    heading(cr, y, "How long " + std::to_string(InitialWallet.credits) + " credits last at bet 1");
    const double top = y + 22;
    const Chart s{Margin + 44, top, Right - Margin - 54, PageHeight - 60 - top - 40, 1, SessionSpins, 0,
                  100,         true};
    axes(cr, s, 0, 20, "spins played (log scale)", "chance still playing (%)",
         [](double v) { return fixed(v, 0); });
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_rectangle(cr, s.x + 6, s.y + s.h - 6 - 13.0 * static_cast<double>(all.size()) - 4, 130,
                    13.0 * static_cast<double>(all.size()) + 4);
    cairo_fill(cr);
    for (size_t i = 0; i < all.size(); ++i) {
        curve(cr, s, stillPlaying(all[i].sessions[0]), static_cast<int>(i % 4), 1.4);
        legendLine(cr, s.x + 10, s.y + s.h - 6 - 13.0 * static_cast<double>(all.size() - 1 - i) - 2,
                   static_cast<int>(i % 4), 1.4, machineNames[all[i].sheet.machine]);
    }
    pageFooter(cr,
               "A session starts with " + std::to_string(InitialWallet.credits) +
                   " credits; after every spin the game takes the same bet again, one coin when the credits "
                   "cannot cover it,\n"
                   "and the player is broke when they cannot cover one coin. The return after N spins lies "
                   "within RTP \u00b1 z\u00b7\u03c3/\u221aN.",
               1, pages);
}

// Writes what Cairo hands over to the file, remembering the first failure's errno.
struct Sink {
    std::FILE* file;
    int error;
};

cairo_status_t writeTo(void* closure, const unsigned char* data, unsigned int length) {
    auto* sink = static_cast<Sink*>(closure);
    if (sink->error != 0) return CAIRO_STATUS_WRITE_ERROR;
    if (std::fwrite(data, 1, length, sink->file) != length) {
        sink->error = errno != 0 ? errno : EIO;
        return CAIRO_STATUS_WRITE_ERROR;
    }
    return CAIRO_STATUS_SUCCESS;
}

// Draws pages first to last of the report (0 the summary, k machine k - 1 of all) into one file.
bool drawFile(const std::string& name, bool pdf, const std::vector<MachineFigures>& all, bool summary,
              int firstPage, int lastPage, uint32_t seed, std::string& problem) {
    const auto failed = [&](int e) {
        problem = "cannot write " + escapedText(name, 200) + ": " + std::strerror(e);
        return false;
    };
    errno = 0;
    Sink sink{std::fopen(name.c_str(), "wb"), 0};
    if (sink.file == nullptr) return failed(errno != 0 ? errno : EIO);
    cairo_surface_t* surface =
        pdf ? cairo_pdf_surface_create_for_stream(writeTo, &sink, PageWidth, PageHeight)
            : cairo_svg_surface_create_for_stream(writeTo, &sink, PageWidth, PageHeight);
    if (pdf) {
        cairo_pdf_surface_set_metadata(surface, CAIRO_PDF_METADATA_TITLE, "dorurura: PAR report");
        cairo_pdf_surface_set_metadata(surface, CAIRO_PDF_METADATA_CREATOR, "dorurura-par");
    }
    cairo_t* cr = cairo_create(surface);
    const int pages = static_cast<int>(all.size()) + (summary ? 1 : 0);
    for (int p = firstPage; p <= lastPage; ++p) {
        cairo_set_source_rgb(cr, 1, 1, 1);
        cairo_paint(cr);
        if (summary && p == 0)
            summaryPage(cr, all, pages);
        else
            machinePage(cr, all[static_cast<size_t>(p - (summary ? 1 : 0))], seed, p + 1, pages);
        cairo_show_page(cr);
    }
    cairo_destroy(cr);
    cairo_surface_finish(surface);
    const cairo_status_t status = cairo_surface_status(surface);
    cairo_surface_destroy(surface);
    errno = 0;
    const bool closed = std::fclose(sink.file) == 0;
    if (sink.error != 0) return failed(sink.error);
    if (!closed) return failed(errno != 0 ? errno : EIO);
    if (status != CAIRO_STATUS_SUCCESS) {
        problem = "cannot draw " + escapedText(name, 200) + ": " + cairo_status_to_string(status);
        return false;
    }
    return true;
}

}  // namespace

bool writeReport(const std::string& file, const std::vector<MachineFigures>& all, bool summary, uint32_t seed,
                 std::string& problem) {
    const bool pdf = file.size() > 4 && file.compare(file.size() - 4, 4, ".pdf") == 0;
    const int pages = static_cast<int>(all.size()) + (summary ? 1 : 0);
    bool written = true;
    if (pdf || pages == 1) {
        written = drawFile(file, pdf, all, summary, 0, pages - 1, seed, problem);
    } else {
        const std::string stem = file.substr(0, file.size() - 4);
        for (int p = 0; p < pages && written; ++p) {
            const size_t machine = static_cast<size_t>(p - (summary ? 1 : 0));
            const std::string name =
                summary && p == 0 ? file : stem + "-" + std::to_string(all[machine].sheet.machine) + ".svg";
            written = drawFile(name, false, all, summary, p, p, seed, problem);
        }
    }
    // Every surface is gone: Cairo's font caches and Fontconfig's, which hold the fonts, go too.
    cairo_debug_reset_static_data();
    FcFini();
    return written;
}
