#include "tools/art/quantise.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>
#include <tuple>
#include <unordered_map>
#include <unordered_set>

#include "tools/art/error.h"

namespace art {
namespace {

struct Weighted {
    int r, g, b;
    long count;
};

// Perceptual weights: the eye tells greens apart best and blues worst.
long distance(int r1, int g1, int b1, int r2, int g2, int b2) {
    long dr = r1 - r2, dg = g1 - g2, db = b1 - b2;
    return 3 * dr * dr + 4 * dg * dg + 2 * db * db;
}

int nearest(const std::vector<Rgb>& palette, int r, int g, int b) {
    long best = std::numeric_limits<long>::max();
    int bestIndex = 0;
    for (size_t i = 0; i < palette.size(); ++i) {
        long d = distance(r, g, b, palette[i].r, palette[i].g, palette[i].b);
        if (d < best) {
            best = d;
            bestIndex = static_cast<int>(i);
            if (d == 0) break;
        }
    }
    return bestIndex;
}

uint8_t clampByte(double v) {
    return static_cast<uint8_t>(std::clamp(v + 0.5, 0.0, 255.0));
}

// Median cut: split the box with the widest weighted spread until there are k boxes.
std::vector<Rgb> medianCut(std::vector<Weighted> colours, size_t k) {
    struct Box {
        size_t begin, end;
    };
    std::vector<Box> boxes = {{0, colours.size()}};
    auto spread = [&](const Box& box, int& axis) {
        int lo[3] = {255, 255, 255}, hi[3] = {0, 0, 0};
        long total = 0;
        for (size_t i = box.begin; i < box.end; ++i) {
            const Weighted& c = colours[i];
            int v[3] = {c.r, c.g, c.b};
            for (int a = 0; a < 3; ++a) {
                lo[a] = std::min(lo[a], v[a]);
                hi[a] = std::max(hi[a], v[a]);
            }
            total += c.count;
        }
        const int weight[3] = {3, 4, 2};
        long best = -1;
        axis = 0;
        for (int a = 0; a < 3; ++a) {
            long s = static_cast<long>(hi[a] - lo[a]) * weight[a];
            if (s > best) {
                best = s;
                axis = a;
            }
        }
        return static_cast<double>(best) * std::sqrt(static_cast<double>(total));
    };
    while (boxes.size() < k) {
        size_t pick = boxes.size();
        double pickScore = 0;
        int pickAxis = 0;
        for (size_t i = 0; i < boxes.size(); ++i) {
            if (boxes[i].end - boxes[i].begin < 2) continue;
            int axis = 0;
            double s = spread(boxes[i], axis);
            if (s > pickScore) {
                pickScore = s;
                pick = i;
                pickAxis = axis;
            }
        }
        if (pick == boxes.size()) break;
        Box box = boxes[pick];
        auto key = [pickAxis](const Weighted& c) { return pickAxis == 0 ? c.r : pickAxis == 1 ? c.g : c.b; };
        std::sort(colours.begin() + static_cast<long>(box.begin),
                  colours.begin() + static_cast<long>(box.end),
                  [&](const Weighted& a, const Weighted& b) { return key(a) < key(b); });
        long total = 0;
        for (size_t i = box.begin; i < box.end; ++i)
            total += colours[i].count;
        long half = 0;
        size_t split = box.begin + 1;
        for (size_t i = box.begin; i < box.end - 1; ++i) {
            half += colours[i].count;
            split = i + 1;
            if (half * 2 >= total) break;
        }
        boxes[pick] = {box.begin, split};
        boxes.push_back({split, box.end});
    }
    std::vector<Rgb> centres;
    for (const Box& box : boxes) {
        double r = 0, g = 0, b = 0, n = 0;
        for (size_t i = box.begin; i < box.end; ++i) {
            const Weighted& c = colours[i];
            r += static_cast<double>(c.r * c.count);
            g += static_cast<double>(c.g * c.count);
            b += static_cast<double>(c.b * c.count);
            n += static_cast<double>(c.count);
        }
        if (n > 0) centres.push_back({clampByte(r / n), clampByte(g / n), clampByte(b / n)});
    }
    return centres;
}

}  // namespace

IndexedImage mapToPalette(const RgbImage& image, const std::vector<Rgb>& palette, int bits) {
    IndexedImage out;
    out.width = image.width;
    out.height = image.height;
    out.bits = bits;
    out.palette = palette;
    out.palette.resize(size_t{1} << bits);
    out.index.resize(image.px.size());
    for (size_t i = 0; i < image.px.size(); ++i)
        out.index[i] = static_cast<uint8_t>(nearest(palette, image.px[i].r, image.px[i].g, image.px[i].b));
    return out;
}

IndexedImage quantise(const RgbImage& image, const QuantiseOptions& options) {
    size_t size = size_t{1} << options.bits;
    size_t wanted = options.colours > 0 ? static_cast<size_t>(options.colours) : size;
    wanted = std::min(wanted, size);
    bool hasLocks = options.locked.size() == image.px.size();

    // The fixed part of the table: given colours and the colours of locked pixels.
    std::vector<Rgb> fixed;
    std::unordered_set<uint32_t> fixedSet;
    auto addFixed = [&](Rgb c) {
        if (fixedSet.insert(packRgb(c)).second) fixed.push_back(c);
    };
    for (Rgb c : options.fixed)
        addFixed(c);
    if (hasLocks)
        for (size_t i = 0; i < image.px.size(); ++i)
            if (options.locked[i]) addFixed(image.px[i]);
    if (fixed.size() > wanted)
        fail("dorurura-art", "quantise: " + std::to_string(fixed.size()) + " fixed colours do not fit in " +
                                 std::to_string(wanted));

    // The free colours: a histogram of the pixels that are not fixed.
    std::unordered_map<uint32_t, long> histogram;
    for (size_t i = 0; i < image.px.size(); ++i) {
        if (hasLocks && options.locked[i]) continue;
        uint32_t key = packRgb(image.px[i]);
        if (fixedSet.count(key) == 0) ++histogram[key];
    }
    std::vector<Weighted> colours;
    colours.reserve(histogram.size());
    for (const auto& [key, count] : histogram) {
        Rgb c = unpackRgb(key);
        colours.push_back({c.r, c.g, c.b, count});
    }
    std::sort(colours.begin(), colours.end(), [](const Weighted& a, const Weighted& b) {
        return std::tie(a.r, a.g, a.b) < std::tie(b.r, b.g, b.b);
    });

    size_t free = wanted - fixed.size();
    std::vector<Rgb> palette = fixed;
    if (colours.size() <= free) {
        for (const Weighted& c : colours)
            palette.push_back(
                {static_cast<uint8_t>(c.r), static_cast<uint8_t>(c.g), static_cast<uint8_t>(c.b)});
    } else if (free > 0) {
        std::vector<Rgb> centres = medianCut(colours, free);
        // k-means refinement with the fixed colours pinned.
        for (int pass = 0; pass < 12; ++pass) {
            std::vector<Rgb> all = fixed;
            all.insert(all.end(), centres.begin(), centres.end());
            std::vector<double> sr(centres.size()), sg(centres.size()), sb(centres.size()),
                sn(centres.size());
            for (const Weighted& c : colours) {
                int k = nearest(all, c.r, c.g, c.b) - static_cast<int>(fixed.size());
                if (k < 0) continue;
                auto uk = static_cast<size_t>(k);
                auto n = static_cast<double>(c.count);
                sr[uk] += c.r * n;
                sg[uk] += c.g * n;
                sb[uk] += c.b * n;
                sn[uk] += n;
            }
            for (size_t k = 0; k < centres.size(); ++k)
                if (sn[k] > 0)
                    centres[k] = {clampByte(sr[k] / sn[k]), clampByte(sg[k] / sn[k]),
                                  clampByte(sb[k] / sn[k])};
        }
        palette.insert(palette.end(), centres.begin(), centres.end());
    }

    IndexedImage out;
    out.width = image.width;
    out.height = image.height;
    out.bits = options.bits;
    out.index.resize(image.px.size());
    std::vector<double> err(static_cast<size_t>(image.width + 2) * 2 * 3, 0.0);
    auto errAt = [&](int row, int x, int channel) -> double& {
        return err[(static_cast<size_t>(row & 1) * static_cast<size_t>(image.width + 2) +
                    static_cast<size_t>(x + 1)) *
                       3 +
                   static_cast<size_t>(channel)];
    };
    for (int y = 0; y < image.height; ++y) {
        for (int x = -1; x <= image.width; ++x)
            for (int c = 0; c < 3; ++c)
                errAt(y + 1, x, c) = 0.0;
        for (int x = 0; x < image.width; ++x) {
            size_t i = static_cast<size_t>(y) * static_cast<size_t>(image.width) + static_cast<size_t>(x);
            Rgb p = image.px[i];
            bool lockedPixel = hasLocks && options.locked[i];
            if (lockedPixel || options.dither <= 0.0) {
                out.index[i] = static_cast<uint8_t>(nearest(palette, p.r, p.g, p.b));
                continue;
            }
            double want[3] = {p.r + errAt(y, x, 0), p.g + errAt(y, x, 1), p.b + errAt(y, x, 2)};
            int k = nearest(palette, clampByte(want[0]), clampByte(want[1]), clampByte(want[2]));
            out.index[i] = static_cast<uint8_t>(k);
            const Rgb& got = palette[static_cast<size_t>(k)];
            double e[3] = {(want[0] - got.r) * options.dither, (want[1] - got.g) * options.dither,
                           (want[2] - got.b) * options.dither};
            auto spill = [&](int row, int dx, double f) {
                int nx = x + dx;
                if (nx < 0 || nx >= image.width) return;
                size_t j =
                    static_cast<size_t>(row) * static_cast<size_t>(image.width) + static_cast<size_t>(nx);
                if (row >= image.height || (hasLocks && options.locked[j])) return;
                for (int c = 0; c < 3; ++c)
                    errAt(row, nx, c) += std::clamp(e[c], -48.0, 48.0) * f;
            };
            spill(y, 1, 7.0 / 16);
            spill(y + 1, -1, 3.0 / 16);
            spill(y + 1, 0, 5.0 / 16);
            spill(y + 1, 1, 1.0 / 16);
        }
    }
    out.palette = palette;
    out.palette.resize(size);
    return out;
}

}  // namespace art
