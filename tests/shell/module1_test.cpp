// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

#include "frmmain.h"
#include "module1.h"
#include "twips.h"

#include <QDir>
#include <QGuiApplication>
#include <QScreen>
#include <QTemporaryDir>
#include <QWidget>

#include <gtest/gtest.h>

#include <string>

struct Centring {
    const char* name;
    QSizeF screen;
    QSizeF window;
    QPointF topLeft;
};

class CentredTopLeftTest : public ::testing::TestWithParam<Centring>
{ };

// (screen - window) / 2 in twips, unrounded: a half twip survives, a big window goes negative.
TEST_P(CentredTopLeftTest, Centres)
{
    const QPointF at = Module1::centredTopLeft(GetParam().screen, GetParam().window);
    EXPECT_DOUBLE_EQ(at.x(), GetParam().topLeft.x());
    EXPECT_DOUBLE_EQ(at.y(), GetParam().topLeft.y());
}

INSTANTIATE_TEST_SUITE_P(Sizes, CentredTopLeftTest,
    ::testing::Values(Centring {"MainWindowOn1024x768", {15360, 11520}, {5940, 4485}, {4710, 3517.5}},
        Centring {"ExactFit", {5940, 4485}, {5940, 4485}, {0, 0}},
        Centring {"LargerThanScreen", {3000, 2000}, {5940, 4485}, {-1470, -1242.5}},
        Centring {"OddTwip", {15361, 11521}, {0, 0}, {7680.5, 5760.5}}),
    [](const auto& info) { return std::string(info.param.name); });

struct Conversion {
    const char* name;
    Twips::Rect twips;
    QRect pixels;
};

class TwipsTest : public ::testing::TestWithParam<Conversion>
{ };

// Edges round to the nearest pixel each on its own, halves away from zero.
TEST_P(TwipsTest, ConvertsEdges) { EXPECT_EQ(Twips::toPixels(GetParam().twips), GetParam().pixels); }

INSTANTIATE_TEST_SUITE_P(Rects, TwipsTest,
    ::testing::Values(Conversion {"Whole", {120, 360, 2775, 3210}, QRect(8, 24, 185, 214)},
        Conversion {"FractionalEdges", {3009, 360, 2882, 3255}, QRect(201, 24, 192, 217)},
        Conversion {"JustOverHalfRoundsUp", {8, 0, 15, 15}, QRect(1, 0, 1, 1)},
        Conversion {"JustUnderHalfRoundsDown", {7, 0, 15, 15}, QRect(0, 0, 1, 1)},
        Conversion {"Negative", {-22, -8, 30, 8}, QRect(-1, -1, 2, 1)}),
    [](const auto& info) { return std::string(info.param.name); });

// CenterForm puts the whole window in the middle of the primary screen.
TEST(CenterFormTest, CentresWindowOnScreen)
{
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    QWidget form;
    form.resize(396, 299);
    Module1::CenterForm(form);
    // (width - 396) / 2 and (height - 299) / 2, halves rounded away from zero
    EXPECT_EQ(form.pos(),
        QPoint(
            screen.left() + (screen.width() - 396 + 1) / 2, screen.top() + (screen.height() - 299 + 1) / 2));
}

// Form_Load centres the main window before it is first shown.
TEST(CenterFormTest, MainWindowIsCentredWhenCreated)
{
    QTemporaryDir dir;
    const QString previous = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(dir.path()));
    frmmain window;
    QDir::setCurrent(previous);
    // The window's fixed size (5940 by 4485 twips: 396 by 299 pixels) in the middle of the
    // screen, halves rounded away from zero; the offscreen platform draws no frame.
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    ASSERT_EQ(window.size(), QSize(396, 299));
    EXPECT_EQ(window.pos(),
        QPoint(
            screen.left() + (screen.width() - 396 + 1) / 2, screen.top() + (screen.height() - 299 + 1) / 2));
    EXPECT_FALSE(window.isVisible());
}
