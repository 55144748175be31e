// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

#include <QColor>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QRect>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

using namespace Qt::StringLiterals;

// CANTOREL_ASSETS_DIR and CANTOREL_TREE_PICTURES_DIR (the committed pictures) and
// CANTOREL_ASSETGEN (the generator) come from the build.

namespace {

// A committed picture by the name the generator gives it; the tree's node pictures
// ("tree/...") live beside the folder tree control.
QString committed(const QString& name)
{
    const QString tree = u"tree/"_s;
    if (name.startsWith(tree))
        return QDir(QStringLiteral(CANTOREL_TREE_PICTURES_DIR)).filePath(name.mid(tree.size()));
    return QDir(QStringLiteral(CANTOREL_ASSETS_DIR)).filePath(name);
}

// The PNG header's bit depth and colour type (2: RGB, 3: palette, 6: RGBA).
std::pair<int, int> pngDepthAndType(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {-1, -1};
    const QByteArray head = file.read(26);
    if (head.size() < 26)
        return {-1, -1};
    return {static_cast<unsigned char>(head[24]), static_cast<unsigned char>(head[25])};
}

const QStringList kPictures = {u"background.png"_s, u"splash.png"_s, u"icon.png"_s, u"icon.ico"_s,
    u"tree/unknown.png"_s, u"tree/fixed.png"_s, u"tree/ram.png"_s, u"tree/remove.png"_s, u"tree/cd.png"_s,
    u"tree/folder.png"_s, u"tree/open.png"_s, u"tree/remote.png"_s};

// The same pictures drawn at twice the size, for high-density screens.
const QStringList kDoublePictures = {u"background@2x.png"_s, u"splash@2x.png"_s, u"icon@2x.png"_s,
    u"tree/unknown@2x.png"_s, u"tree/fixed@2x.png"_s, u"tree/ram@2x.png"_s, u"tree/remove@2x.png"_s,
    u"tree/cd@2x.png"_s, u"tree/folder@2x.png"_s, u"tree/open@2x.png"_s, u"tree/remote@2x.png"_s};

// `image` (premultiplied) halved, each pixel the mean of a 2 x 2 block.
QImage halved(const QImage& image)
{
    QImage half(image.width() / 2, image.height() / 2, QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < half.height(); ++y) {
        for (int x = 0; x < half.width(); ++x) {
            int sum[4] = {0, 0, 0, 0};
            for (const QPoint d : {QPoint(0, 0), QPoint(1, 0), QPoint(0, 1), QPoint(1, 1)}) {
                const QRgb c = image.pixel(2 * x + d.x(), 2 * y + d.y());
                sum[0] += qRed(c), sum[1] += qGreen(c), sum[2] += qBlue(c), sum[3] += qAlpha(c);
            }
            half.setPixel(
                x, y, qRgba((sum[0] + 2) / 4, (sum[1] + 2) / 4, (sum[2] + 2) / 4, (sum[3] + 2) / 4));
        }
    }
    return half;
}

// The panels and words of the background, inclusive pixel boxes.
const std::vector<QRect> kPanels = {QRect(QPoint(8, 17), QPoint(193, 246)),
    QRect(QPoint(201, 17), QPoint(392, 246)), QRect(QPoint(6, 266), QPoint(259, 297))};
const std::vector<QRect> kWords = {QRect(QPoint(29, 1), QPoint(171, 13)), // MUSIC FILES
    QRect(QPoint(243, 0), QPoint(353, 13)),                               // M3U LIST
    QRect(QPoint(384, 1), QPoint(395, 13)),                               // X
    QRect(QPoint(10, 246), QPoint(259, 263)),                             // M3U FILENAME
    QRect(QPoint(278, 274), QPoint(322, 289)),                            // SAVE
    QRect(QPoint(335, 274), QPoint(390, 289))};                           // RESET

// Antialiased edges come out a step or two apart on other processors and builds of Qt's
// raster engine, so freshly drawn pictures are compared with a tolerance: no pixel may be
// far off (a moved panel, a missing stroke), only a few may be slightly off, and the mean
// difference stays far below one step (another shade anywhere). Returns what differs, or nothing when the pictures match.
std::string pictureDifference(const QImage& freshImage, const QImage& keptImage)
{
    constexpr int kSlight = 8; // per channel: antialiasing noise
    constexpr int kFar = 48;   // per channel: drawn differently
    constexpr double kSlightShare = 0.002;
    constexpr double kMeanSteps = 0.25;
    const QImage fresh = freshImage.convertToFormat(QImage::Format_ARGB32);
    const QImage kept = keptImage.convertToFormat(QImage::Format_ARGB32);
    if (fresh.size() != kept.size())
        return "size differs";
    qsizetype slight = 0;
    double total = 0;
    for (int y = 0; y < kept.height(); ++y) {
        for (int x = 0; x < kept.width(); ++x) {
            const QRgb a = fresh.pixel(x, y), b = kept.pixel(x, y);
            const int d = std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                std::abs(qBlue(a) - qBlue(b)), std::abs(qAlpha(a) - qAlpha(b))});
            if (d > kFar)
                return "pixel " + std::to_string(x) + "," + std::to_string(y) + " is " + std::to_string(d)
                    + " steps off";
            slight += d > kSlight;
            total += d;
        }
    }
    const double mean = total / (double(kept.width()) * kept.height());
    if (mean > kMeanSteps)
        return "pixels are " + std::to_string(mean) + " steps off on average";
    const auto allowed = static_cast<qsizetype>(kSlightShare * kept.width() * kept.height());
    if (slight > allowed)
        return std::to_string(slight) + " pixels are off by more than " + std::to_string(kSlight)
            + " steps (at most " + std::to_string(allowed) + " may be)";
    return {};
}

int gradientGrey(int y) { return static_cast<int>(std::lround(52.0 * (299 - y) / 299)); }

} // namespace

// Running the generator again draws the committed pictures, up to antialiasing noise.
TEST(AssetsTest, GeneratorReproducesCommittedPictures)
{
    QTemporaryDir out;
    ASSERT_TRUE(out.isValid());
    QProcess generator;
    generator.start(QStringLiteral(CANTOREL_ASSETGEN), {out.path()});
    ASSERT_TRUE(generator.waitForFinished(60000));
    ASSERT_EQ(generator.exitCode(), 0) << generator.readAllStandardError().toStdString();
    for (const QString& name : kPictures + kDoublePictures) {
        const QImage fresh(QDir(out.path()).filePath(name));
        const QImage kept(committed(name));
        ASSERT_FALSE(kept.isNull()) << name.toStdString();
        EXPECT_EQ(pictureDifference(fresh, kept), "") << name.toStdString();
    }
}

// Sizes and colour depths: 24-bit pictures, a 256-colour icon, 16 x 16 node pictures.
TEST(AssetsTest, PicturesHaveTheirFormats)
{
    EXPECT_EQ(QImage(committed(u"background.png"_s)).size(), QSize(400, 300));
    EXPECT_EQ(pngDepthAndType(committed(u"background.png"_s)), std::make_pair(8, 2));
    EXPECT_EQ(QImage(committed(u"splash.png"_s)).size(), QSize(300, 150));
    EXPECT_EQ(pngDepthAndType(committed(u"splash.png"_s)), std::make_pair(8, 2));

    const QImage icon(committed(u"icon.png"_s));
    EXPECT_EQ(icon.size(), QSize(48, 48));
    EXPECT_EQ(pngDepthAndType(committed(u"icon.png"_s)), std::make_pair(8, 3));
    EXPECT_LE(icon.colorCount(), 256);
    const QImage ico(committed(u"icon.ico"_s), "ICO");
    ASSERT_FALSE(ico.isNull());
    EXPECT_EQ(ico.convertToFormat(QImage::Format_ARGB32), icon.convertToFormat(QImage::Format_ARGB32));

    for (const QString& name : kPictures.mid(4))
        EXPECT_EQ(QImage(committed(name)).size(), QSize(16, 16)) << name.toStdString();
}

struct DoublePicture {
    const char* name;
    double differingShare; // of pixels that may differ by more than a quarter, halved
};

class DoublePictureTest : public ::testing::TestWithParam<DoublePicture>
{ };

// name@2x.png is name.png at twice the size, with its format and its layout: halved, it
// shows the same picture, only the finer drawing of edges, grit and slopes differs.
TEST_P(DoublePictureTest, IsTheSamePictureAtTwiceTheSize)
{
    const QString name = QString::fromLatin1(GetParam().name);
    const QString doubled = QString(name).replace(u".png"_s, u"@2x.png"_s);
    const QImage small(committed(name));
    const QImage large(committed(doubled));
    ASSERT_FALSE(small.isNull());
    ASSERT_FALSE(large.isNull()) << doubled.toStdString();
    EXPECT_EQ(large.size(), small.size() * 2);
    EXPECT_EQ(pngDepthAndType(committed(doubled)), pngDepthAndType(committed(name)));

    const QImage half = halved(large.convertToFormat(QImage::Format_ARGB32_Premultiplied));
    const QImage reference = small.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    int differing = 0;
    for (int y = 0; y < reference.height(); ++y) {
        for (int x = 0; x < reference.width(); ++x) {
            const QRgb a = half.pixel(x, y), b = reference.pixel(x, y);
            differing += std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                             std::abs(qBlue(a) - qBlue(b)), std::abs(qAlpha(a) - qAlpha(b))})
                > 64;
        }
    }
    EXPECT_LE(differing, GetParam().differingShare * reference.width() * reference.height());
}

INSTANTIATE_TEST_SUITE_P(Pictures, DoublePictureTest,
    ::testing::Values(DoublePicture {"background.png", 0.01}, DoublePicture {"splash.png", 0.02},
        DoublePicture {"icon.png", 0.01},
        // 16 x 16 pixel art: a slope or a circle drawn finer changes a larger share
        DoublePicture {"tree/unknown.png", 0.2}, DoublePicture {"tree/fixed.png", 0.2},
        DoublePicture {"tree/ram.png", 0.2}, DoublePicture {"tree/remove.png", 0.2},
        DoublePicture {"tree/cd.png", 0.2}, DoublePicture {"tree/folder.png", 0.2},
        DoublePicture {"tree/open.png", 0.2}, DoublePicture {"tree/remote.png", 0.2}),
    [](const auto& info) {
        std::string name = info.param.name;
        name = name.substr(name.find('/') + 1);
        return name.substr(0, name.find('.'));
    });

// The layout the window's controls rely on: the gradient, white panels exactly at their
// boxes, and light lettering nowhere but in the word boxes.
TEST(AssetsTest, BackgroundKeepsItsLayout)
{
    const QImage bg = QImage(committed(u"background.png"_s)).convertToFormat(QImage::Format_RGB32);
    ASSERT_FALSE(bg.isNull());
    // the gradient, between the panels and under the list panels' bottom edge
    for (int y : {17, 100, 246})
        EXPECT_EQ(bg.pixelColor(197, y), QColor(gradientGrey(y), gradientGrey(y), gradientGrey(y))) << y;
    EXPECT_EQ(bg.pixelColor(0, 0), QColor(52, 52, 52));
    EXPECT_EQ(bg.pixelColor(399, 299), QColor(0, 0, 0));

    for (const QRect& panel : kPanels) {
        const int midX = panel.center().x(), midY = panel.center().y();
        for (const QPoint inside : {QPoint(panel.left(), midY), QPoint(panel.right(), midY),
                 QPoint(midX, panel.top()), QPoint(midX, panel.bottom())})
            EXPECT_EQ(bg.pixelColor(inside), QColor(Qt::white)) << inside.x() << "," << inside.y();
        for (const QPoint outside : {QPoint(panel.left() - 1, midY), QPoint(panel.right() + 1, midY),
                 QPoint(midX, panel.top() - 1), QPoint(midX, panel.bottom() + 1)})
            EXPECT_LT(bg.pixelColor(outside).red(), 100) << outside.x() << "," << outside.y();
    }

    auto inAny = [](const std::vector<QRect>& boxes, QPoint p) {
        for (const QRect& r : boxes) {
            if (r.contains(p))
                return true;
        }
        return false;
    };
    for (const QRect& word : kWords) {
        int light = 0;
        for (int y = word.top(); y <= word.bottom(); ++y)
            for (int x = word.left(); x <= word.right(); ++x)
                light += !inAny(kPanels, QPoint(x, y)) && bg.pixelColor(x, y).red() > 150;
        EXPECT_GT(light, word.width() * word.height() / 12) << word.x() << "," << word.y();
    }
    for (int y = 0; y < bg.height(); ++y) {
        for (int x = 0; x < bg.width(); ++x) {
            const QPoint p(x, y);
            if (inAny(kPanels, p) || inAny(kWords, p))
                continue;
            const QColor c = bg.pixelColor(p);
            ASSERT_LE(c.red(), 60) << "stray light pixel at " << x << "," << y;
        }
    }
}
