// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

#include "pictures.h"

#include "roughlettering.h"

#include <QBuffer>
#include <QDataStream>
#include <QHash>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

// Pixel boxes (inclusive) on the main window's background; the window's controls are
// placed on these panels and words, so they must not move.
const QRect kFilesPanel(QPoint(8, 17), QPoint(193, 246));
const QRect kListPanel(QPoint(201, 17), QPoint(392, 246));
const QRect kNameField(QPoint(6, 266), QPoint(259, 297));
const QRect kFilesHeading(QPoint(29, 1), QPoint(171, 13));
const QRect kListHeading(QPoint(243, 0), QPoint(353, 13));
const QRect kNameLabel(QPoint(10, 249), QPoint(160, 263)); // within rows 246 to 263
const QRect kSaveWord(QPoint(278, 274), QPoint(322, 289));
const QRect kResetWord(QPoint(335, 274), QPoint(390, 289));
const QRect kExitCross(QPoint(384, 1), QPoint(395, 13));
constexpr int kTopGrey = 52;

void roundedPanel(QImage& image, const QRect& pixels, double radius)
{
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    // A QRect's right and bottom are its last pixels: the panel covers them whole.
    p.drawRoundedRect(QRectF(pixels.left(), pixels.top(), pixels.width(), pixels.height()), radius, radius);
}

RoughLettering::Style letteringStyle(double pen)
{
    RoughLettering::Style style;
    style.penWidth = pen;
    return style;
}

} // namespace

namespace Pictures {

QImage mainBackground(int scale)
{
    QImage image(400 * scale, 300 * scale, QImage::Format_RGB888);
    image.setDevicePixelRatio(scale);
    const int last = image.height() - 1;
    for (int y = 0; y < image.height(); ++y) {
        const int v = static_cast<int>(std::lround(kTopGrey * double(last - y) / last));
        for (int x = 0; x < image.width(); ++x)
            image.setPixelColor(x, y, QColor(v, v, v));
    }
    roundedPanel(image, kFilesPanel, 7.0);
    roundedPanel(image, kListPanel, 7.0);
    roundedPanel(image, kNameField, 6.0);

    RoughLettering::paint(image, u"MUSIC FILES"_s, kFilesHeading, letteringStyle(2.0), 11);
    RoughLettering::paint(image, u"M3U LIST"_s, kListHeading, letteringStyle(2.0), 12);
    RoughLettering::Style cross = letteringStyle(2.2);
    cross.scratches = 0;
    cross.wear = 0.12;
    RoughLettering::paint(image, u"X"_s, kExitCross, cross, 13);
    RoughLettering::paint(image, u"M3U FILENAME"_s, kNameLabel, letteringStyle(2.2), 14);
    RoughLettering::paint(image, u"SAVE"_s, kSaveWord, letteringStyle(2.4), 15);
    RoughLettering::paint(image, u"RESET"_s, kResetWord, letteringStyle(2.4), 16);
    return image;
}

QImage splash(int scale)
{
    QImage image(300 * scale, 150 * scale, QImage::Format_RGB888);
    image.setDevicePixelRatio(scale);
    {
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing, true);
        QLinearGradient ground(0, 0, 0, 150);
        ground.setColorAt(0.0, QColor(34, 36, 44));
        ground.setColorAt(1.0, QColor(6, 6, 10));
        p.fillRect(image.rect(), ground);
        // a soft glow behind the title
        QRadialGradient glow(QPointF(150, 62), 130);
        glow.setColorAt(0.0, QColor(90, 70, 40, 90));
        glow.setColorAt(1.0, QColor(90, 70, 40, 0));
        p.fillRect(image.rect(), glow);
        // level bars along the bottom, like a quiet meter
        for (int i = 0; i < 36; ++i) {
            const double h = 6 + 14 * std::fabs(std::sin(i * 0.61) * std::cos(i * 0.23));
            p.fillRect(QRectF(14 + i * 7.5, 136 - h, 5, h), QColor(210, 140, 40, 70 + (i % 5) * 12));
        }
        // thin rules above and below the title
        p.fillRect(QRect(24, 30, 251, 2), QColor(214, 150, 52));
        p.fillRect(QRect(24, 94, 251, 2), QColor(214, 150, 52));
    }
    RoughLettering::Style title = letteringStyle(7.0);
    title.wear = 0.16;
    title.scratches = 2;
    RoughLettering::paint(image, u"CANTOREL"_s, QRect(QPoint(26, 40), QPoint(273, 85)), title, 21);
    RoughLettering::Style sub = letteringStyle(1.8);
    sub.wear = 0.1;
    sub.scratches = 0;
    sub.ink = QColor(214, 176, 120);
    RoughLettering::paint(image, u"PLAYLIST MAKER"_s, QRect(QPoint(92, 102), QPoint(207, 112)), sub, 22);
    return image;
}

QImage icon(int scale)
{
    QImage image(48 * scale, 48 * scale, QImage::Format_ARGB32);
    image.setDevicePixelRatio(scale);
    image.fill(Qt::transparent);
    {
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing, true);
        // a tile in the window's own colours
        QLinearGradient tile(0, 0, 0, 48);
        tile.setColorAt(0.0, QColor(kTopGrey, kTopGrey, kTopGrey));
        tile.setColorAt(1.0, QColor(0, 0, 0));
        p.setPen(QPen(QColor(20, 20, 20), 1.0));
        p.setBrush(tile);
        p.drawRoundedRect(QRectF(1.5, 1.5, 45, 45), 8, 8);
        // the white list with its lines
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::white);
        p.drawRoundedRect(QRectF(7, 8, 26, 32), 3, 3);
        p.setBrush(QColor(140, 140, 150));
        for (int i = 0; i < 5; ++i)
            p.drawRect(QRectF(11, 13 + i * 5.5, i % 2 ? 14 : 18, 2));
        // a music note over the list's corner
        const QColor note(232, 150, 36);
        p.setBrush(note);
        p.setPen(Qt::NoPen);
        p.drawEllipse(QRectF(24, 31, 10, 8));
        p.drawEllipse(QRectF(35, 28, 10, 8));
        p.drawRect(QRectF(31.5, 14, 2.5, 21));
        p.drawRect(QRectF(42.5, 11, 2.5, 21));
        QPainterPath beam;
        beam.moveTo(31.5, 14);
        beam.lineTo(45, 11);
        beam.lineTo(45, 16);
        beam.lineTo(31.5, 19);
        beam.closeSubpath();
        p.drawPath(beam);
    }
    return toIndexed256(image);
}

QImage toIndexed256(const QImage& source)
{
    const QImage image = source.convertToFormat(QImage::Format_ARGB32);
    // Colour 0 is transparent; every other colour is opaque.
    QHash<QRgb, int> counts;
    std::vector<QRgb> order; // first-seen order keeps the palette stable
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb c = image.pixel(x, y);
            if (qAlpha(c) < 128)
                continue;
            const QRgb opaque = qRgb(qRed(c), qGreen(c), qBlue(c));
            if (!counts.contains(opaque))
                order.push_back(opaque);
            ++counts[opaque];
        }
    }
    // Merge the least used colour into its nearest neighbour until 255 remain.
    QHash<QRgb, QRgb> mergedInto;
    auto distance = [](QRgb a, QRgb b) {
        const int dr = qRed(a) - qRed(b), dg = qGreen(a) - qGreen(b), db = qBlue(a) - qBlue(b);
        return 3 * dr * dr + 4 * dg * dg + 2 * db * db;
    };
    while (order.size() > 255) {
        auto least = std::min_element(
            order.begin(), order.end(), [&](QRgb a, QRgb b) { return counts.value(a) < counts.value(b); });
        const QRgb gone = *least;
        order.erase(least);
        QRgb nearest = order.front();
        int best = std::numeric_limits<int>::max();
        for (QRgb c : order) {
            const int d = distance(gone, c);
            if (d < best) {
                best = d;
                nearest = c;
            }
        }
        counts[nearest] += counts.value(gone);
        mergedInto.insert(gone, nearest);
    }
    auto resolve = [&](QRgb c) {
        while (mergedInto.contains(c))
            c = mergedInto.value(c);
        return c;
    };

    QList<QRgb> table {qRgba(0, 0, 0, 0)};
    QHash<QRgb, int> indexOf;
    for (QRgb c : order) {
        indexOf.insert(c, static_cast<int>(table.size()));
        table.push_back(c);
    }
    QImage out(image.size(), QImage::Format_Indexed8);
    out.setColorTable(table);
    for (int y = 0; y < image.height(); ++y) {
        uchar* line = out.scanLine(y);
        for (int x = 0; x < image.width(); ++x) {
            const QRgb c = image.pixel(x, y);
            line[x] = qAlpha(c) < 128
                ? 0
                : static_cast<uchar>(indexOf.value(resolve(qRgb(qRed(c), qGreen(c), qBlue(c)))));
        }
    }
    return out;
}

QByteArray icoFile(const QImage& image)
{
    Q_ASSERT(image.format() == QImage::Format_Indexed8 && image.width() <= 256 && image.height() <= 256);
    const int w = image.width();
    const int h = image.height();
    const int xorStride = (w + 3) / 4 * 4;
    const int andStride = (w + 31) / 32 * 4;
    const int paletteBytes = 256 * 4;
    const int imageBytes = 40 + paletteBytes + xorStride * h + andStride * h;

    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);
    // ICONDIR and its one entry
    out << quint16(0) << quint16(1) << quint16(1);
    out << quint8(w == 256 ? 0 : w) << quint8(h == 256 ? 0 : h) << quint8(0) << quint8(0) << quint16(1)
        << quint16(8) << quint32(imageBytes) << quint32(6 + 16);
    // BITMAPINFOHEADER: the height counts the colour rows and the mask rows
    out << quint32(40) << qint32(w) << qint32(2 * h) << quint16(1) << quint16(8) << quint32(0)
        << quint32(xorStride * h + andStride * h) << qint32(0) << qint32(0) << quint32(256) << quint32(0);
    const QList<QRgb> table = image.colorTable();
    for (int i = 0; i < 256; ++i) {
        const QRgb c = i < table.size() ? table.at(i) : qRgb(0, 0, 0);
        out << quint8(qBlue(c)) << quint8(qGreen(c)) << quint8(qRed(c)) << quint8(0);
    }
    // Rows run bottom-up; transparent pixels are black in the colour rows and set in the mask.
    for (int y = h - 1; y >= 0; --y) {
        const uchar* line = image.constScanLine(y);
        for (int x = 0; x < xorStride; ++x) {
            const bool transparent = x >= w || qAlpha(table.value(line[x])) == 0;
            out << quint8(transparent ? 0 : line[x]);
        }
    }
    for (int y = h - 1; y >= 0; --y) {
        const uchar* line = image.constScanLine(y);
        for (int byte = 0; byte < andStride; ++byte) {
            quint8 bits = 0;
            for (int bit = 0; bit < 8; ++bit) {
                const int x = byte * 8 + bit;
                if (x >= w || qAlpha(table.value(line[x])) == 0)
                    bits |= quint8(0x80 >> bit);
            }
            out << bits;
        }
    }
    return bytes;
}

} // namespace Pictures
