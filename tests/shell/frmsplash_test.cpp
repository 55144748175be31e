// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

#include "clickarea.h"
#include "frmsplash.h"
#include "module1.h"

#include <QApplication>
#include <QPointer>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

class SplashTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        splash = new frmSplash([this] {
            ++opened;
            splashVisibleWhenOpened = splash && splash->isVisible();
        });
        splash->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(splash.data()));
    }

    void TearDown() override { delete splash.data(); }

    void settle()
    {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCoreApplication::processEvents();
    }

    QPointer<frmSplash> splash;
    int opened = 0;
    bool splashVisibleWhenOpened = true;
};

// A borderless picture of 298 x 148 pixels in the middle of the screen.
TEST_F(SplashTest, IsABorderlessPicture)
{
    EXPECT_EQ(splash->size(), QSize(298, 148));
    EXPECT_TRUE(splash->windowFlags() & Qt::FramelessWindowHint);
    QWidget reference;
    reference.resize(298, 148);
    Module1::CenterForm(reference);
    EXPECT_EQ(splash->pos(), reference.pos());
    const QImage shot = splash->grab().toImage();
    const QImage picture(u":/assets/splash.png"_s);
    ASSERT_FALSE(picture.isNull());
    EXPECT_EQ(shot.pixel(150, 60), picture.pixel(150, 60));
    EXPECT_EQ(shot.pixel(297, 147), picture.pixel(297, 147));
}

// Without a click it stays, whatever keys are pressed.
TEST_F(SplashTest, WaitsForAClick)
{
    for (Qt::Key k : {Qt::Key_Return, Qt::Key_Escape, Qt::Key_Space, Qt::Key_A})
        QTest::keyClick(splash->windowHandle(), k);
    QTest::qWait(50);
    settle();
    ASSERT_FALSE(splash.isNull());
    EXPECT_TRUE(splash->isVisible());
    EXPECT_EQ(opened, 0);
}

// A click unloads the splash window first, then opens the main window once.
TEST_F(SplashTest, ClickUnloadsThenOpensMain)
{
    QTest::mouseClick(splash->windowHandle(), Qt::LeftButton, Qt::NoModifier, QPoint(40, 40));
    EXPECT_EQ(opened, 1);
    EXPECT_FALSE(splashVisibleWhenOpened);
    settle();
    EXPECT_TRUE(splash.isNull());
}

// A double click is one click as far as the splash window is concerned.
TEST_F(SplashTest, DoubleClickOpensMainOnce)
{
    QTest::mouseDClick(splash->windowHandle(), Qt::LeftButton, Qt::NoModifier, QPoint(100, 70));
    settle();
    EXPECT_EQ(opened, 1);
    EXPECT_TRUE(splash.isNull());
}

// The right button is not a click.
TEST_F(SplashTest, RightButtonDoesNothing)
{
    QTest::mouseClick(splash->windowHandle(), Qt::RightButton, Qt::NoModifier, QPoint(40, 40));
    settle();
    EXPECT_EQ(opened, 0);
    EXPECT_FALSE(splash.isNull());
}

// Unloading the splash window does not end the program: the main window it opens keeps it
// running.
TEST(SplashStartTest, ProgramLivesOnInMainWindow)
{
    QWidget mainWindow;
    auto* splash = new frmSplash([&mainWindow] { mainWindow.show(); });
    splash->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(splash));
    bool mainShownAfterClick = false;
    QTimer::singleShot(0, splash, [splash] {
        QTest::mouseClick(splash->windowHandle(), Qt::LeftButton, Qt::NoModifier, QPoint(10, 10));
    });
    QTimer::singleShot(300, [&] {
        mainShownAfterClick = mainWindow.isVisible();
        QCoreApplication::exit(7);
    });
    EXPECT_EQ(QCoreApplication::exec(), 7); // not ended early by the splash's closing
    EXPECT_TRUE(mainShownAfterClick);
}

// The splash swallows only the rest of a double click: a later click in the window it
// opened is a click.
TEST(SplashStartTest, LaterClicksReachMainWindow)
{
    ClickArea mainWindow;
    mainWindow.resize(200, 100);
    int clicks = 0;
    QObject::connect(&mainWindow, &ClickArea::Click, [&clicks] { ++clicks; });
    auto* splash = new frmSplash([&mainWindow] { mainWindow.show(); });
    splash->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(splash));
    QTest::mouseClick(splash->windowHandle(), Qt::LeftButton, Qt::NoModifier, QPoint(10, 10));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&mainWindow));
    QTest::mouseClick(mainWindow.windowHandle(), Qt::LeftButton, Qt::NoModifier, QPoint(20, 20));
    QTest::mouseClick(mainWindow.windowHandle(), Qt::LeftButton, Qt::NoModifier, QPoint(20, 20));
    EXPECT_EQ(clicks, 2);
}
