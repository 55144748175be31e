// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

#include "roughlettering.h"

#include <QPainter>
#include <QPainterPath>
#include <QPointF>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

// One letter: its design width (the height is 1) and its strokes, each a polyline in
// design units with y running downwards.
struct Glyph {
    QChar letter;
    double width;
    std::vector<std::vector<QPointF>> strokes;
};

const std::vector<Glyph>& alphabet()
{
    static const std::vector<Glyph> glyphs = {
        {u'A', 0.80, {{{0, 1}, {0.4, 0}, {0.8, 1}}, {{0.16, 0.64}, {0.64, 0.64}}}},
        {u'C', 0.70,
            {{{0.70, 0.12}, {0.56, 0}, {0.16, 0}, {0, 0.2}, {0, 0.8}, {0.16, 1}, {0.56, 1}, {0.70, 0.88}}}},
        {u'E', 0.60, {{{0.6, 0}, {0, 0}, {0, 1}, {0.6, 1}}, {{0, 0.5}, {0.48, 0.5}}}},
        {u'F', 0.60, {{{0.6, 0}, {0, 0}, {0, 1}}, {{0, 0.5}, {0.48, 0.5}}}},
        {u'I', 0.00, {{{0, 0}, {0, 1}}}},
        {u'K', 0.65, {{{0, 0}, {0, 1}}, {{0.65, 0}, {0, 0.58}}, {{0.22, 0.4}, {0.65, 1}}}},
        {u'L', 0.55, {{{0, 0}, {0, 1}, {0.55, 1}}}},
        {u'M', 0.85, {{{0, 1}, {0, 0}, {0.425, 0.62}, {0.85, 0}, {0.85, 1}}}},
        {u'N', 0.70, {{{0, 1}, {0, 0}, {0.7, 1}, {0.7, 0}}}},
        {u'O', 0.75,
            {{{0.16, 0}, {0.59, 0}, {0.75, 0.2}, {0.75, 0.8}, {0.59, 1}, {0.16, 1}, {0, 0.8}, {0, 0.2},
                {0.16, 0}}}},
        {u'P', 0.62, {{{0, 1}, {0, 0}, {0.48, 0}, {0.62, 0.12}, {0.62, 0.42}, {0.48, 0.54}, {0, 0.54}}}},
        {u'R', 0.65,
            {{{0, 1}, {0, 0}, {0.5, 0}, {0.65, 0.12}, {0.65, 0.38}, {0.5, 0.5}, {0, 0.5}},
                {{0.34, 0.5}, {0.65, 1}}}},
        {u'S', 0.62,
            {{{0.62, 0.12}, {0.5, 0}, {0.12, 0}, {0, 0.12}, {0, 0.38}, {0.12, 0.5}, {0.5, 0.5}, {0.62, 0.62},
                {0.62, 0.88}, {0.5, 1}, {0.12, 1}, {0, 0.88}}}},
        {u'T', 0.70, {{{0, 0}, {0.7, 0}}, {{0.35, 0}, {0.35, 1}}}},
        {u'U', 0.65, {{{0, 0}, {0, 0.82}, {0.14, 1}, {0.51, 1}, {0.65, 0.82}, {0.65, 0}}}},
        {u'V', 0.75, {{{0, 0}, {0.375, 1}, {0.75, 0}}}},
        {u'X', 0.70, {{{0, 0}, {0.7, 1}}, {{0.7, 0}, {0, 1}}}},
        {u'Y', 0.70, {{{0, 0}, {0.35, 0.52}, {0.7, 0}}, {{0.35, 0.52}, {0.35, 1}}}},
        {u'3', 0.60,
            {{{0, 0.1}, {0.12, 0}, {0.48, 0}, {0.6, 0.12}, {0.6, 0.38}, {0.48, 0.5}, {0.18, 0.5}},
                {{0.48, 0.5}, {0.6, 0.62}, {0.6, 0.88}, {0.48, 1}, {0.12, 1}, {0, 0.9}}}},
        {u' ', 0.35, {}},
    };
    return glyphs;
}

const Glyph* glyphFor(QChar c)
{
    for (const Glyph& g : alphabet()) {
        if (g.letter == c)
            return &g;
    }
    return nullptr;
}

// Integer hash of a lattice point: the only source of randomness, so results are the same
// on every machine and compiler.
std::uint32_t hash(int x, int y, std::uint32_t seed)
{
    std::uint32_t h = seed * 0x9E3779B1u;
    h ^= static_cast<std::uint32_t>(x) * 0x85EBCA77u;
    h = (h << 13) | (h >> 19);
    h ^= static_cast<std::uint32_t>(y) * 0xC2B2AE3Du;
    h ^= h >> 16;
    h *= 0x7FEB352Du;
    h ^= h >> 15;
    h *= 0x846CA68Bu;
    h ^= h >> 16;
    return h;
}

double unit(int x, int y, std::uint32_t seed) { return (hash(x, y, seed) & 0xFFFFFF) / double(0x1000000); }

// Smooth value noise with cells of `cell` pixels, in [0, 1).
double valueNoise(double x, double y, double cell, std::uint32_t seed)
{
    const double fx = x / cell;
    const double fy = y / cell;
    const int ix = static_cast<int>(std::floor(fx));
    const int iy = static_cast<int>(std::floor(fy));
    auto smooth = [](double t) { return t * t * (3.0 - 2.0 * t); };
    const double tx = smooth(fx - ix);
    const double ty = smooth(fy - iy);
    const double a = unit(ix, iy, seed), b = unit(ix + 1, iy, seed);
    const double c = unit(ix, iy + 1, seed), d = unit(ix + 1, iy + 1, seed);
    return (a * (1 - tx) + b * tx) * (1 - ty) + (c * (1 - tx) + d * tx) * ty;
}

} // namespace

bool RoughLettering::supports(QChar c) { return glyphFor(c) != nullptr; }

void RoughLettering::paint(
    QImage& target, const QString& text, const QRect& box, const Style& style, std::uint32_t seed)
{
    std::vector<const Glyph*> glyphs;
    double designWidth = 0.0;
    for (QChar c : text) {
        const Glyph* g = glyphFor(c);
        if (!g)
            continue;
        glyphs.push_back(g);
        designWidth += g->width;
    }
    if (glyphs.empty())
        return;

    // Stroke centres run inside the box by half a pen, so the ink just touches its edges.
    const double pen = style.penWidth;
    const double innerWidth = box.width() - pen;
    const double scaleY = box.height() - pen;
    const int gapCount = static_cast<int>(glyphs.size()) - 1;
    double scaleX = scaleY * style.maxStretch;
    const double minGap = pen * 1.6;
    if (designWidth > 0.0)
        scaleX = std::min(scaleX, (innerWidth - gapCount * minGap) / designWidth);
    double gap = gapCount > 0 ? (innerWidth - designWidth * scaleX) / gapCount : 0.0;
    if (gapCount == 0 && designWidth > 0.0)
        scaleX = innerWidth / designWidth;

    // Coverage of the clean strokes, with each stroke point nudged a little for a hand-cut look.
    // The design is in logical pixels; a target drawn at a higher pixel ratio gets the same
    // strokes, noise and scratches, only finer.
    const double ratio = target.devicePixelRatio();
    QImage coverage(target.size(), QImage::Format_ARGB32_Premultiplied);
    coverage.setDevicePixelRatio(ratio);
    coverage.fill(Qt::transparent);
    {
        QPainter p(&coverage);
        p.setRenderHint(QPainter::Antialiasing, true);
        p.setClipRect(box);
        p.setPen(QPen(Qt::white, pen, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
        double x = box.left() + pen / 2.0;
        int pointNo = 0;
        for (const Glyph* g : glyphs) {
            for (const auto& stroke : g->strokes) {
                QPainterPath path;
                for (std::size_t i = 0; i < stroke.size(); ++i) {
                    const double jx = (unit(pointNo, 1, seed) - 0.5) * 0.5;
                    const double jy = (unit(pointNo, 2, seed) - 0.5) * 0.5;
                    ++pointNo;
                    const QPointF at(
                        x + stroke[i].x() * scaleX + jx, box.top() + pen / 2.0 + stroke[i].y() * scaleY + jy);
                    if (i == 0)
                        path.moveTo(at);
                    else
                        path.lineTo(at);
                }
                p.drawPath(path);
            }
            x += g->width * scaleX + gap;
        }
    }

    // Scratches: thin lines across the box along which the ink is rubbed off.
    struct Scratch {
        double x0, y0, x1, y1;
    };
    std::vector<Scratch> scratches;
    for (int i = 0; i < style.scratches; ++i) {
        scratches.push_back({box.left() + unit(i, 11, seed) * box.width(), double(box.top()),
            box.left() + unit(i, 12, seed) * box.width(), double(box.bottom() + 1)});
    }
    auto scratchDistance = [](const Scratch& s, double px, double py) {
        const double dx = s.x1 - s.x0, dy = s.y1 - s.y0;
        const double t = std::clamp(((px - s.x0) * dx + (py - s.y0) * dy) / (dx * dx + dy * dy), 0.0, 1.0);
        return std::hypot(px - (s.x0 + t * dx), py - (s.y0 + t * dy));
    };

    const double cell = std::max(1.6, box.height() / 6.0);
    const int firstX = static_cast<int>(std::lround(box.left() * ratio));
    const int lastX = static_cast<int>(std::lround((box.right() + 1) * ratio)) - 1;
    const int firstY = static_cast<int>(std::lround(box.top() * ratio));
    const int lastY = static_cast<int>(std::lround((box.bottom() + 1) * ratio)) - 1;
    for (int y = firstY; y <= lastY; ++y) {
        for (int x = firstX; x <= lastX; ++x) {
            double a = qAlpha(coverage.pixel(x, y)) / 255.0;
            if (a <= 0.0)
                continue;
            const double centreX = (x + 0.5) / ratio;
            const double centreY = (y + 0.5) / ratio;
            // patches of wear, soft at their borders
            const double n = valueNoise(centreX, centreY, cell, seed ^ 0xA511u);
            if (n < style.wear)
                a *= std::clamp((n - style.wear + 0.08) / 0.08, 0.0, 1.0);
            // fine grit, as fine as the target's pixels
            if (unit(x, y, seed ^ 0x5EEDu) < 0.10)
                a *= 0.35;
            for (const Scratch& s : scratches) {
                if (scratchDistance(s, centreX, centreY) < 0.6)
                    a *= 0.2;
            }
            if (a <= 0.0)
                continue;
            // the ink itself varies a little in brightness
            const double shade = 1.0 - 0.08 * valueNoise(x / ratio, y / ratio, 3.0, seed ^ 0x1A4Du);
            const QColor under = target.pixelColor(x, y);
            auto mix = [&](int inkChannel, int underChannel) {
                return static_cast<int>(std::lround(underChannel * (1.0 - a) + inkChannel * shade * a));
            };
            target.setPixelColor(x, y,
                QColor(mix(style.ink.red(), under.red()), mix(style.ink.green(), under.green()),
                    mix(style.ink.blue(), under.blue())));
        }
    }
}
