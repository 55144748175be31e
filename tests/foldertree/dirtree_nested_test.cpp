// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

// A host that runs an event loop of its own inside Click: a modal box, processEvents, or
// a loop in which its window or the control is deleted (the deferred delete of a window
// closed meanwhile runs in that loop). Every trigger of Click by every such host, on the
// first and on the last Click the trigger raises: no crash (ASan sees every use of the
// freed control or view), and no Click once the control is gone.
#include "dirtreefixture.h"

#include <QDialog>
#include <QEventLoop>
#include <QPointer>
#include <QTimer>

using namespace Qt::Literals::StringLiterals;

namespace {

enum class Host {
    ModalBox,          // a modal dialog, closed by a timer
    ProcessEvents,     // QCoreApplication::processEvents()
    DeleteWindow,      // delete of the window that holds the control
    DeleteLater,       // window->deleteLater(): freed after the action
    WindowClosedInBox, // a modal box during which a timer closes the WA_DeleteOnClose window
    ControlGoneInLoop, // an event loop in which a timer's deleteLater frees the control
    F5InLoop,          // an event loop that delivers an F5 press: the tree is listed afresh
};

constexpr std::pair<const char*, Host> kHosts[] = {
    {"ModalBox", Host::ModalBox},
    {"ProcessEvents", Host::ProcessEvents},
    {"DeleteWindow", Host::DeleteWindow},
    {"DeleteLater", Host::DeleteLater},
    {"WindowClosedInBox", Host::WindowClosedInBox},
    {"ControlGoneInLoop", Host::ControlGoneInLoop},
    {"F5InLoop", Host::F5InLoop},
};

struct NestedCase {
    std::string name;
    TriggerClicks trigger;
    Host host;
    int onClick; // the Click whose handler acts
};

class NestedLoopInClick : public ::testing::TestWithParam<NestedCase>
{
protected:
    void SetUp() override
    {
        auto fake = std::make_unique<FakeDriveSystem>();
        standardMachine(*fake);
        window = new QWidget;
        window->setAttribute(Qt::WA_DeleteOnClose);
        window->resize(300, 300);
        control = new DirTree(std::move(fake), window);
        awaitEveryRead(*control);
        control->resize(300, 300);
        readyForTrigger(*control, GetParam().trigger.trigger);
    }

    void TearDown() override { delete window.data(); }

    QTreeWidgetItem* find(const QString& fullPath) const { return findNode(*control, fullPath); }

    // What the host does inside the Click it acts on.
    void actInClick()
    {
        switch (GetParam().host) {
        case Host::ModalBox: {
            QDialog box(window);
            QTimer::singleShot(0, &box, &QDialog::reject);
            box.exec();
            break;
        }
        case Host::ProcessEvents: QCoreApplication::processEvents(); break;
        case Host::DeleteWindow: delete window.data(); break;
        case Host::DeleteLater: window->deleteLater(); break;
        case Host::WindowClosedInBox: {
            // The box stays open after the window has gone, as a box of the host's own
            // does until the user closes it: its loop runs what was posted meanwhile.
            QDialog box;
            QObject::connect(window, &QObject::destroyed, &box,
                [&box] { QMetaObject::invokeMethod(&box, &QDialog::reject, Qt::QueuedConnection); });
            QTimer::singleShot(0, window, &QWidget::close);
            box.exec();
            break;
        }
        case Host::ControlGoneInLoop: {
            // The loop ends a turn after the control has gone.
            QEventLoop loop;
            QObject::connect(control, &QObject::destroyed, &loop,
                [&loop] { QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection); });
            QTimer::singleShot(0, control, &QObject::deleteLater);
            loop.exec();
            break;
        }
        case Host::F5InLoop:
            QCoreApplication::postEvent(control->tree(), new QKeyEvent(QEvent::KeyPress, Qt::Key_F5, {}));
            QCoreApplication::processEvents();
            break;
        }
    }

    // Runs the trigger as the user (or the host) does it; stops as soon as the control
    // is gone, as the events would go to a deleted widget.
    void trigger()
    {
        fireTrigger(GetParam().trigger.trigger, control->tree(), find(u"System (C:)"_s), control);
    }

    QPointer<QWidget> window;
    QPointer<DirTree> control;
};

TEST_P(NestedLoopInClick, NoCrashAndNoClickOnceGone)
{
    const NestedCase& c = GetParam();
    int clicks = 0;
    bool clickWhenGone = false;
    bool gone = false;
    QObject::connect(control, &QObject::destroyed, [&gone] { gone = true; });
    DirTree* raw = control;
    QObject::connect(raw, &DirTree::Click, raw, [&] {
        clickWhenGone = clickWhenGone || gone;
        if (++clicks == c.onClick)
            actInClick();
    });
    trigger();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    EXPECT_FALSE(clickWhenGone);
    switch (c.host) {
    case Host::ModalBox:
    case Host::ProcessEvents:
        EXPECT_EQ(clicks, c.trigger.clicks);
        ASSERT_TRUE(control);
        EXPECT_EQ(control->tree()->currentItem(), find(u"System (C:)"_s));
        EXPECT_EQ(control->path(), u"C:\\"_s);
        break;
    case Host::DeleteLater:
        // The action runs to its end; the window goes from the event loop afterwards.
        EXPECT_EQ(clicks, c.trigger.clicks);
        EXPECT_TRUE(gone);
        break;
    case Host::DeleteWindow:
    case Host::WindowClosedInBox:
    case Host::ControlGoneInLoop:
        EXPECT_EQ(clicks, c.onClick);
        EXPECT_TRUE(gone);
        break;
    case Host::F5InLoop:
        // The listing afresh took the rest of the action's nodes with it (a double click
        // goes on with its second click, on the fresh drive node).
        ASSERT_TRUE(control);
        EXPECT_EQ(control->tree()->topLevelItemCount(), 2);
        if (c.trigger.trigger != Trigger::DoubleClick) {
            EXPECT_EQ(clicks, c.onClick);
            EXPECT_FALSE(find(u"System (C:)"_s)->isExpanded());
        }
        break;
    }
}

std::vector<NestedCase> nestedCases()
{
    std::vector<NestedCase> cases;
    for (const TriggerClicks& t : kTriggerClicks) {
        for (const auto& [hostName, host] : kHosts) {
            for (const int at : {1, t.clicks}) {
                if (at == 1 && t.clicks == 1 && !cases.empty() && cases.back().trigger.trigger == t.trigger
                    && cases.back().host == host)
                    continue;
                const std::string when = at == 1 ? "OnFirstClick" : "OnLastClick";
                cases.push_back({std::string(t.name) + "_" + hostName + "_" + when, t, host, at});
            }
        }
    }
    return cases;
}

INSTANTIATE_TEST_SUITE_P(TriggersByHosts, NestedLoopInClick, ::testing::ValuesIn(nestedCases()),
    [](const auto& info) { return info.param.name; });

} // namespace
