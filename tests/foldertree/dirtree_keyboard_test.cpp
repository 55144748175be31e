// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

// DirTree driven by the keyboard: moves and keys that report the current node, expansion
// by Right and '*', and hosts that refresh the tree or run a modal loop from Click at
// every point of a handling.
#include "dirtreefixture.h"

#include <QEventLoop>
#include <QTimer>

using namespace Qt::Literals::StringLiterals;

namespace {

// Counts the events that reach an object: a control that keeps posting work to itself
// keeps a core busy.
class EventCounter : public QObject
{
public:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::MetaCall || event->type() == QEvent::Timer)
            ++posted;
        return false;
    }
    int posted = 0;
};

class DirTreeKeyboardTest : public DirTreeTest
{
protected:
    // Fills the tree, expands the nodes named (full paths) and makes `current` current.
    void start(const Machine& machine, const QString& current, const QStringList& expanded = {})
    {
        make(machine);
        tree->GoList();
        for (const QString& node : expanded)
            find(node)->setExpanded(true);
        tree->resize(300, 300);
        tree->show();
        tree->tree()->setFocus();
        tree->tree()->setCurrentItem(find(current));
        clicks.clear();
    }

    void press(Qt::Key key, Qt::KeyboardModifiers modifiers = {})
    {
        QTest::keyClick(tree->tree(), key, modifiers);
    }

    // The current node is one of the tree's, or none.
    void expectSaneCurrentNode() const
    {
        QTreeWidgetItem* current = tree->tree()->currentItem();
        if (current) {
            EXPECT_EQ(current->treeWidget(), tree->tree());
        }
    }
};

struct HostCase {
    std::string name;
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
    const char* current; // full path of the node the key is pressed on
    int clicksOfTheKey;  // Clicks the key raises when nobody refreshes
    int refreshOnClick;  // the host refreshes the tree from this Click
    bool modal;          // ... and then runs a modal loop inside Click
};

class HostRefreshesFromClick : public DirTreeKeyboardTest, public ::testing::WithParamInterface<HostCase>
{ };

// The handling ends at the refresh; nothing of the old nodes is used afterwards, neither
// by the control nor by the view (ASan and valgrind see every read of a freed node), and
// nothing keeps posting work while the modal loop waits.
TEST_P(HostRefreshesFromClick, EndsCleanlyAndStaysIdle)
{
    const HostCase& c = GetParam();
    start(standardMachine, QString::fromLatin1(c.current));
    const std::string driveLevel = dump(*tree);
    EventCounter counter;
    int postedDuringModal = 0;
    QObject::connect(tree.get(), &DirTree::Click, tree.get(), [&] {
        if (clicks.size() != c.refreshOnClick)
            return;
        tree->GoList();
        if (c.modal) {
            tree->installEventFilter(&counter);
            QEventLoop modal;
            QTimer::singleShot(20, &modal, &QEventLoop::quit);
            modal.exec();
            tree->removeEventFilter(&counter);
            postedDuringModal = counter.posted;
        }
    });

    press(c.key, c.modifiers);
    EXPECT_EQ(clicks.size(), c.refreshOnClick);
    EXPECT_EQ(dump(*tree), driveLevel);
    EXPECT_EQ(postedDuringModal, 0);
    expectSaneCurrentNode();

    // Later work on the refreshed tree: the event loop, the refresh key, GoList, keys again.
    QCoreApplication::processEvents();
    press(Qt::Key_F5);
    tree->GoList();
    QCoreApplication::processEvents();
    tree->tree()->setCurrentItem(find(u"System (C:)"_s));
    press(Qt::Key_Right);
    press(Qt::Key_Down);
    press(Qt::Key_F5);
    QCoreApplication::processEvents();
    EXPECT_EQ(dump(*tree), driveLevel);
    expectSaneCurrentNode();
}

std::vector<HostCase> hostCases()
{
    struct Key {
        const char* name;
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        const char* current;
        int clicks;
    };
    // Expanding C: clicks its three children and then C: itself.
    const Key keys[] = {
        {"Right", Qt::Key_Right, {}, "System (C:)", 4},
        {"Plus", Qt::Key_Plus, {}, "System (C:)", 4},
        {"KeypadAsterisk", Qt::Key_Asterisk, Qt::KeypadModifier, "System (C:)", 4},
        {"ShiftEight", Qt::Key_Asterisk, Qt::ShiftModifier, "System (C:)", 4},
        {"Return", Qt::Key_Return, {}, "System (C:)", 1},
        {"Down", Qt::Key_Down, {}, "(A:)", 1},
    };
    std::vector<HostCase> cases;
    for (const Key& k : keys) {
        for (int at = 1; at <= k.clicks; ++at) {
            for (const bool modal : {false, true}) {
                cases.push_back(
                    {std::string(k.name) + "OnClick" + std::to_string(at) + (modal ? "ThenModal" : ""), k.key,
                        k.modifiers, k.current, k.clicks, at, modal});
            }
        }
    }
    return cases;
}

INSTANTIATE_TEST_SUITE_P(Keys, HostRefreshesFromClick, ::testing::ValuesIn(hostCases()),
    [](const auto& info) { return info.param.name; });

// A key that moves the current node reports it as a click does; Return and Enter report
// the current node and Space nothing; Right on a collapsed node expands it and reports the
// children and the node, not the move.
struct ReportCase {
    const char* name;
    const char* current;
    QStringList expanded;
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
    QStringList expected;
};

class KeyReports : public DirTreeKeyboardTest, public ::testing::WithParamInterface<ReportCase>
{ };

TEST_P(KeyReports, RaisesClickForTheNodeItReaches)
{
    const ReportCase& c = GetParam();
    start(standardMachine, QString::fromLatin1(c.current), c.expanded);
    press(c.key, c.modifiers);
    EXPECT_EQ(clicks, c.expected);
    if (!c.expected.isEmpty()) {
        EXPECT_EQ(tree->path(), c.expected.last());
    }
}

const QStringList kSystem {u"System (C:)"_s};

INSTANTIATE_TEST_SUITE_P(Keys, KeyReports,
    ::testing::Values(ReportCase {"DownOntoTheNextDrive", "(A:)", {}, Qt::Key_Down, {}, {u"C:\\"_s}},
        ReportCase {"UpOntoTheDriveBefore", "System (C:)", {}, Qt::Key_Up, {}, {u"A:\\"_s}},
        ReportCase {
            "DownIntoTheChildren", "System (C:)", kSystem, Qt::Key_Down, {}, {u"C:\\Program Files\\"_s}},
        ReportCase {"EndOntoTheLastNode", "(A:)", kSystem, Qt::Key_End, {}, {u"C:\\Windows\\"_s}},
        ReportCase {"LeftOntoTheParent", "System (C:)\\Users", kSystem, Qt::Key_Left, {}, {u"C:\\"_s}},
        ReportCase {
            "RightOntoTheFirstChild", "System (C:)", kSystem, Qt::Key_Right, {}, {u"C:\\Program Files\\"_s}},
        ReportCase {"TypedLetterOntoItsMatch", "System (C:)", kSystem, Qt::Key_W, {}, {u"C:\\Windows\\"_s}},
        ReportCase {
            "ReturnOnALeaf", "System (C:)\\Windows", kSystem, Qt::Key_Return, {}, {u"C:\\Windows\\"_s}},
        ReportCase {"EnterOnTheKeypad", "System (C:)\\Windows", kSystem, Qt::Key_Enter, Qt::KeypadModifier,
            {u"C:\\Windows\\"_s}},
        ReportCase {"SpaceReportsNothing", "System (C:)\\Windows", kSystem, Qt::Key_Space, {}, {}},
        ReportCase {"UpOnTheFirstNodeStays", "(A:)", {}, Qt::Key_Up, {}, {}},
        ReportCase {"RightExpandsACollapsedNode", "System (C:)", {}, Qt::Key_Right, {},
            {u"C:\\Program Files\\"_s, u"C:\\Users\\"_s, u"C:\\Windows\\"_s, u"C:\\"_s}}),
    [](const auto& info) { return std::string(info.param.name); });

// A chain of folders C:\a\b\c\d\e\f\g\h.
void chainMachine(FakeDriveSystem& fs)
{
    fs.addDrive('C', DriveSystem::Fixed, "SYSTEM");
    fs.addFolder("C:\\a\\b\\c\\d\\e\\f\\g\\h");
}

struct StarCase {
    const char* name;
    Qt::KeyboardModifiers modifiers;
    int presses;
    const char* lastRead;    // the deepest folder read
    const char* firstUnread; // the folder below it, never read
};

class Star : public DirTreeKeyboardTest, public ::testing::WithParamInterface<StarCase>
{ };

// '*' shows what is listed and reads one level below that, however deep the drive goes.
TEST_P(Star, ListsOneLevelBelowWhatItShows)
{
    const StarCase& c = GetParam();
    start(chainMachine, u"System (C:)"_s);
    for (int i = 0; i < c.presses; ++i)
        press(Qt::Key_Asterisk, c.modifiers);
    EXPECT_EQ(fs->enumerations(c.lastRead), 1);
    EXPECT_EQ(fs->enumerations(c.firstUnread), 0);
    EXPECT_TRUE(find(u"System (C:)"_s)->isExpanded());
}

INSTANTIATE_TEST_SUITE_P(Presses, Star,
    ::testing::Values(StarCase {"KeypadOnce", Qt::KeypadModifier, 1, "C:\\a", "C:\\a\\b"},
        StarCase {"ShiftEightOnce", Qt::ShiftModifier, 1, "C:\\a", "C:\\a\\b"},
        StarCase {"KeypadThreeTimes", Qt::KeypadModifier, 3, "C:\\a\\b\\c", "C:\\a\\b\\c\\d"}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
