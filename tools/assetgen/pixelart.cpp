// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

#include "pixelart.h"

#include <QPainter>
#include <QPainterPath>
#include <QPolygon>

namespace {

const QColor kOutline(40, 40, 48);
const QColor kDriveLight(222, 222, 226);
const QColor kDriveMid(178, 178, 186);
const QColor kDriveDark(116, 116, 126);
const QColor kLedGreen(40, 200, 60);
const QColor kFolderLight(255, 226, 120);
const QColor kFolderMid(240, 190, 60);
const QColor kFolderDark(176, 124, 24);

// A painter on it works in design pixels whatever the scale.
QImage blank(int scale)
{
    QImage image(16 * scale, 16 * scale, QImage::Format_ARGB32);
    image.setDevicePixelRatio(scale);
    image.fill(Qt::transparent);
    return image;
}

// A painter with antialiasing off: every shape lands on whole pixels.
struct Pixels : QPainter {
    explicit Pixels(QImage* image) : QPainter(image) { setRenderHint(QPainter::Antialiasing, false); }
    void px(int x, int y, const QColor& c) { fillRect(x, y, 1, 1, c); }
    void box(int x, int y, int w, int h, const QColor& c) { fillRect(x, y, w, h, c); }
    void hline(int x0, int x1, int y, const QColor& c) { fillRect(x0, y, x1 - x0 + 1, 1, c); }
    void vline(int x, int y0, int y1, const QColor& c) { fillRect(x, y0, 1, y1 - y0 + 1, c); }
};

// The flat drive slab most drive pictures share: a bevelled grey box with a slot and a
// light, from (x, y) with the given size.
void driveSlab(Pixels& p, int x, int y, int w, int h, const QColor& led)
{
    p.box(x, y, w, h, kOutline);
    p.box(x + 1, y + 1, w - 2, h - 2, kDriveMid);
    p.hline(x + 1, x + w - 2, y + 1, kDriveLight);
    p.vline(x + 1, y + 1, y + h - 2, kDriveLight);
    p.hline(x + 1, x + w - 2, y + h - 2, kDriveDark);
    p.vline(x + w - 2, y + 2, y + h - 2, kDriveDark);
    p.hline(x + 3, x + w - 6, y + h / 2, kDriveDark); // the slot
    p.box(x + w - 4, y + h / 2 - 1, 2, 2, led);
}

void folderBack(Pixels& p)
{
    // the tab and the back wall
    p.hline(1, 6, 2, kOutline);
    p.px(0, 3, kOutline);
    p.px(7, 3, kOutline);
    p.hline(8, 14, 4, kOutline);
    p.vline(0, 3, 13, kOutline);
    p.vline(15, 5, 13, kOutline);
    p.hline(0, 15, 14, kOutline);
    p.box(1, 3, 6, 2, kFolderMid);
    p.box(1, 5, 14, 9, kFolderMid);
    p.hline(1, 6, 3, kFolderLight);
}

// The compact disc, centred at (8, 6): a disc of radius 5.5 shaded by a radial gradient
// from (6, 4), an outline, a hole of radius 1.5 and a grey ring around it. Its round edges
// are smoothed by counting covered points of a fine grid, in integers only, not by
// QPainter: the last bit of its antialiasing and gradients differs between processors
// (its SIMD paths round differently), and the picture must be the same bytes everywhere.
void drawDisc(QImage* image, int scale)
{
    constexpr int kGrid = 8;               // sample points per pixel, across and down
    const qint64 unit = 2 * kGrid * scale; // sample coordinates per design pixel
    struct Stop {
        int r, g, b;
    };
    const Stop shine[] = {{250, 250, 255}, {190, 215, 235}, {200, 170, 220}}; // at 0, 1/2, 1
    const Stop outline {kOutline.red(), kOutline.green(), kOutline.blue()};
    const Stop ring {120, 120, 140};
    // Whether the squared distance d2 is within the radius r (in design pixels, times 2).
    const auto within = [unit](qint64 d2, qint64 twiceR) { return 4 * d2 <= twiceR * twiceR * unit * unit; };
    for (int y = 0; y < image->height(); ++y) {
        for (int x = 0; x < image->width(); ++x) {
            int covered = 0;
            qint64 sum[3] = {0, 0, 0};
            for (int sy = 0; sy < kGrid; ++sy) {
                for (int sx = 0; sx < kGrid; ++sx) {
                    // The sample's centre, in 1/unit of a design pixel.
                    const qint64 px = 2 * (qint64(x) * kGrid + sx) + 1;
                    const qint64 py = 2 * (qint64(y) * kGrid + sy) + 1;
                    const qint64 d2 = (px - 8 * unit) * (px - 8 * unit) + (py - 6 * unit) * (py - 6 * unit);
                    Stop colour;
                    if (!within(d2, 12) || within(d2, 3))
                        continue; // outside, or in the hole
                    if (within(d2, 5))
                        colour = ring; // 1.5 to 2.5
                    else if (!within(d2, 10))
                        colour = outline; // 5 to 6
                    else {
                        // The gradient at t = distance from (6, 4) / 7, as i / 256.
                        const qint64 f2
                            = (px - 6 * unit) * (px - 6 * unit) + (py - 4 * unit) * (py - 4 * unit);
                        int i = 0;
                        while (i < 256 && qint64(i + 1) * (i + 1) * 49 * unit * unit <= 65536 * f2)
                            ++i;
                        const Stop& from = shine[i < 128 ? 0 : 1];
                        const Stop& to = shine[i < 128 ? 1 : 2];
                        const int w = i < 128 ? i : i - 128;
                        const auto mix = [w](int a, int b) { return (a * (128 - w) + b * w + 64) / 128; };
                        colour = {mix(from.r, to.r), mix(from.g, to.g), mix(from.b, to.b)};
                    }
                    ++covered;
                    sum[0] += colour.r;
                    sum[1] += colour.g;
                    sum[2] += colour.b;
                }
            }
            if (covered == 0)
                continue;
            const int samples = kGrid * kGrid;
            const auto mean = [covered](qint64 total) { return int((total + covered / 2) / covered); };
            image->setPixel(x, y,
                qRgba(mean(sum[0]), mean(sum[1]), mean(sum[2]), (255 * covered + samples / 2) / samples));
        }
    }
}

} // namespace

namespace PixelArt {

QImage unknownDrive(int scale)
{
    // Mostly blank: only the faint dotted outline of a drive that could not be named.
    QImage image = blank(scale);
    Pixels p(&image);
    const QColor dot(150, 150, 158);
    for (int x = 3; x <= 12; x += 2) {
        p.px(x, 6, dot);
        p.px(x + 1, 11, dot);
    }
    for (int y = 7; y <= 10; y += 2) {
        p.px(2, y + 1, dot);
        p.px(13, y, dot);
    }
    return image;
}

QImage fixedDrive(int scale)
{
    // A hard disk: a deep drive box seen slightly from above, with its green light.
    QImage image = blank(scale);
    Pixels p(&image);
    // top face
    p.box(2, 4, 13, 4, kOutline);
    p.box(3, 5, 11, 2, kDriveLight);
    p.px(2, 4, Qt::transparent);
    p.px(14, 4, Qt::transparent);
    driveSlab(p, 1, 7, 15, 6, kLedGreen);
    return image;
}

QImage ramDrive(int scale)
{
    // A chip seen on edge: a green diamond with gold pins on its four sides.
    QImage image = blank(scale);
    Pixels p(&image);
    const QColor board(30, 128, 70);
    const QColor boardLight(80, 190, 110);
    const QColor pin(214, 176, 60);
    QPolygon diamond;
    diamond << QPoint(7, 1) << QPoint(14, 8) << QPoint(7, 15) << QPoint(0, 8);
    p.setPen(kOutline);
    p.setBrush(board);
    p.drawPolygon(diamond);
    // two gold pins on each edge, running outwards
    struct Pin {
        QPoint at;
        QPoint out;
    };
    const Pin pins[] = {{{5, 3}, {-1, -1}}, {{3, 5}, {-1, -1}}, {{10, 4}, {1, -1}}, {{12, 6}, {1, -1}},
        {{12, 10}, {1, 1}}, {{10, 12}, {1, 1}}, {{2, 10}, {-1, 1}}, {{4, 12}, {-1, 1}}};
    for (const Pin& pinAt : pins) {
        p.px(pinAt.at.x(), pinAt.at.y(), pin);
        p.px(pinAt.at.x() + pinAt.out.x(), pinAt.at.y() + pinAt.out.y(), pin);
    }
    // a lighter die in the middle
    QPolygon die;
    die << QPoint(7, 5) << QPoint(10, 8) << QPoint(7, 11) << QPoint(4, 8);
    p.setPen(Qt::NoPen);
    p.setBrush(boardLight);
    p.drawPolygon(die);
    p.px(7, 8, QColor(20, 80, 40));
    return image;
}

QImage removableDrive(int scale)
{
    // A floppy drive with a disk half inserted from above.
    QImage image = blank(scale);
    Pixels p(&image);
    const QColor disk(40, 60, 150);
    const QColor diskLight(80, 110, 200);
    const QColor shutter(200, 204, 214);
    const QColor label(245, 245, 245);
    p.box(3, 0, 10, 10, kOutline);
    p.box(4, 1, 8, 9, disk);
    p.vline(4, 1, 9, diskLight);
    p.box(6, 1, 4, 3, shutter); // the metal shutter
    p.vline(8, 1, 3, kDriveDark);
    p.box(5, 6, 6, 3, label); // the paper label
    driveSlab(p, 0, 9, 16, 6, QColor(230, 160, 30));
    return image;
}

QImage cdDrive(int scale)
{
    // A compact disc standing over its drive.
    QImage image = blank(scale);
    drawDisc(&image, scale);
    Pixels p(&image);
    driveSlab(p, 0, 10, 16, 6, kLedGreen);
    return image;
}

QImage closedFolder(int scale)
{
    QImage image = blank(scale);
    Pixels p(&image);
    folderBack(p);
    p.hline(1, 14, 6, kFolderLight); // the front's upper edge
    p.hline(1, 14, 5, kOutline);
    p.box(1, 7, 14, 7, kFolderMid);
    p.vline(1, 7, 13, kFolderLight);
    p.hline(2, 14, 13, kFolderDark);
    p.vline(14, 7, 13, kFolderDark);
    return image;
}

QImage openFolder(int scale)
{
    // The back of the folder with the front flap tipped forward.
    QImage image = blank(scale);
    Pixels p(&image);
    folderBack(p);
    p.box(1, 5, 13, 8, kFolderDark);          // the inside, in shadow
    p.hline(2, 11, 6, QColor(250, 250, 250)); // a sheet of paper inside
    p.hline(2, 11, 7, QColor(220, 220, 220));
    QPolygon flap;
    flap << QPoint(3, 8) << QPoint(15, 8) << QPoint(12, 14) << QPoint(0, 14);
    p.setPen(kOutline);
    p.setBrush(kFolderLight);
    p.drawPolygon(flap);
    p.setPen(kFolderMid);
    p.drawLine(3, 12, 12, 12);
    p.drawLine(2, 13, 11, 13);
    return image;
}

QImage remoteDrive(int scale)
{
    // A drive hanging on a network cable, with the cable's plug under it.
    QImage image = blank(scale);
    Pixels p(&image);
    driveSlab(p, 0, 1, 16, 7, kLedGreen);
    const QColor cable(60, 90, 200);
    p.vline(7, 8, 12, kOutline);
    p.vline(8, 8, 12, cable);
    p.hline(1, 14, 13, kOutline);
    p.hline(1, 14, 14, cable);
    p.hline(1, 14, 15, kOutline);
    p.box(6, 12, 4, 4, kOutline); // the plug where the cable meets the line
    p.box(7, 13, 2, 2, QColor(230, 230, 235));
    return image;
}

} // namespace PixelArt
