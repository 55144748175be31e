// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

// DirTree's path API: setCurrentPath opens the way with one Click, currentPathChanged
// comes once per settled change, a path the tree cannot show changes nothing, and a host
// restores the last folder of an earlier run.
#include "dirtreefixture.h"

#include <QSignalSpy>

using namespace Qt::Literals::StringLiterals;

namespace {

struct SetCase {
    const char* name;
    const char* path;                                 // bytes, as setCurrentPathBytes takes them
    bool accepted;                                    // what setCurrentPath returns
    bool reached;                                     // currentPathChanged, else currentPathUnreachable
    QStringList clicks;                               // path() at each Click
    const char* current;                              // full path of the current node afterwards, or nullptr
    void (*afterListing)(FakeDriveSystem&) = nullptr; // the disk changes after GoList
};

class SetCurrentPath : public DirTreeTest, public ::testing::WithParamInterface<SetCase>
{ };

TEST_P(SetCurrentPath, OpensTheWayWithOneClickOrChangesNothing)
{
    const SetCase& c = GetParam();
    make([](FakeDriveSystem& fs) {
        standardMachine(fs);
        fs.addFolder("C:\\Users\\secret", {true, true, false}); // hidden
        fs.addFolder("C:\\Locked\\inner");
        fs.failEnumeration("C:\\Locked");
        fs.addFolder("C:\\caf\xe9\\inner");
    });
    tree->GoList();
    if (c.afterListing)
        c.afterListing(*fs);
    const std::string before = dump(*tree);
    QSignalSpy changed(tree.get(), &DirTree::currentPathChanged);
    QSignalSpy unreachable(tree.get(), &DirTree::currentPathUnreachable);
    EXPECT_EQ(tree->setCurrentPathBytes(QByteArray(c.path)), c.accepted);
    EXPECT_EQ(clicks, c.clicks);
    if (!c.reached) {
        EXPECT_EQ(dump(*tree), before);
        EXPECT_EQ(changed.count(), 0);
        EXPECT_EQ(unreachable.count(), c.accepted ? 1 : 0);
        return;
    }
    EXPECT_EQ(unreachable.count(), 0);
    QTreeWidgetItem* current = find(QString::fromUtf8(c.current));
    EXPECT_EQ(tree->tree()->currentItem(), current);
    ASSERT_EQ(changed.count(), 1);
    EXPECT_EQ(changed.at(0).at(0).toString(), tree->currentPath());
    EXPECT_FALSE(tree->currentPath().isEmpty());
    EXPECT_EQ(tree->currentPathBytes(), tree->nativePathBytes(current));
    // Every node on the way is open, and its children show an expand mark exactly when
    // they have subfolders.
    for (QTreeWidgetItem* n = current->parent(); n; n = n->parent())
        EXPECT_TRUE(n->isExpanded());
    if (current->parent()) {
        EXPECT_EQ(find(u"System (C:)\\Program Files"_s)->childCount(), 1);
        EXPECT_EQ(find(u"System (C:)\\Windows"_s)->childCount(), 0);
    }
}

INSTANTIATE_TEST_SUITE_P(Paths, SetCurrentPath,
    ::testing::Values(SetCase {"Deep", "C:\\Users\\ann\\Music", true, true, {u"C:\\Users\\Ann\\Music\\"_s},
                          "System (C:)\\Users\\Ann\\Music"},
        SetCase {"FinalSeparatorAndDriveCase", "c:\\Users\\ann\\", true, true, {u"C:\\Users\\Ann\\"_s},
            "System (C:)\\Users\\Ann"},
        SetCase {"Drive", "C:\\", true, true, {u"C:\\"_s}, "System (C:)"},
        SetCase {"NotUtf8", "C:\\caf\xe9\\inner", true, true, {u"C:\\Café\\Inner\\"_s},
            "System (C:)\\Café\\Inner"},
        SetCase {"MadeAfterItsParentWasListed", "C:\\Users\\bob", true, true, {u"C:\\Users\\Bob\\"_s},
            "System (C:)\\Users\\Bob", [](FakeDriveSystem& fs) { fs.addFolder("C:\\Users\\bob"); }},
        SetCase {"RemovedAfterItWasListed", "C:\\Windows", true, false, {}, nullptr,
            [](FakeDriveSystem& fs) { fs.removeEntry("C:\\Windows"); }},
        SetCase {"Missing", "C:\\Users\\bob", true, false, {}, nullptr},
        SetCase {"CaseOfANameOnDisk", "C:\\users\\ann", true, false, {}, nullptr},
        SetCase {"Hidden", "C:\\Users\\secret", true, false, {}, nullptr},
        SetCase {"BelowAnUnreadableFolder", "C:\\Locked\\inner", true, false, {}, nullptr},
        SetCase {"NoSuchDrive", "Q:\\Music", false, false, {}, nullptr},
        SetCase {"Relative", "Users\\ann", false, false, {}, nullptr},
        SetCase {"DotDot", "C:\\Users\\..\\Windows", false, false, {}, nullptr},
        SetCase {"Empty", "", false, false, {}, nullptr}),
    [](const auto& info) { return std::string(info.param.name); });

// currentPathChanged comes once per settled change: after an expansion's n + 1 Clicks,
// once, for the node; not again for the same node; not for F5.
TEST_F(DirTreeTest, CurrentPathChangedOncePerSettledChange)
{
    make(standardMachine);
    tree->GoList();
    tree->show();
    QStringList changes;
    QObject::connect(tree.get(), &DirTree::currentPathChanged, tree.get(),
        [&](const QString& path) { changes << path + u" after "_s + QString::number(clicks.size()); });
    find(u"System (C:)"_s)->setExpanded(true);
    click(find(u"System (C:)"_s));
    click(find(u"System (C:)\\Windows"_s));
    QTest::keyClick(tree->tree(), Qt::Key_F5);
    EXPECT_EQ(changes, (QStringList {u"C:\\ after 4"_s, u"C:\\Windows\\ after 6"_s}));
    EXPECT_EQ(tree->currentPath(), u"C:\\Windows\\"_s);
}

// A Click handler that refreshes the tree amid an expansion: the expansion never settles,
// so no child of it is named as current.
TEST_F(DirTreeTest, RefreshInAnExpansionLeavesNoChildCurrent)
{
    make(standardMachine);
    tree->GoList();
    QSignalSpy changed(tree.get(), &DirTree::currentPathChanged);
    QObject::connect(tree.get(), &DirTree::Click, tree.get(), [this] {
        if (clicks.size() == 1)
            tree->GoList();
    });
    find(u"System (C:)"_s)->setExpanded(true);
    EXPECT_EQ(clicks, QStringList {u"C:\\Program Files\\"_s});
    EXPECT_EQ(tree->currentPath(), QString());
    EXPECT_EQ(changed.count(), 0);
}

// A slot that moves the folder again while the change is reported: every slot hears the
// final folder last.
TEST_F(DirTreeTest, RedirectingSlotLeavesTheFinalPathLast)
{
    make(standardMachine);
    tree->GoList();
    QObject::connect(tree.get(), &DirTree::currentPathChanged, tree.get(), [this](const QString& path) {
        if (path == u"C:\\Users\\"_s)
            tree->setCurrentPath(u"C:\\Windows"_s);
    });
    QStringList heard;
    QObject::connect(tree.get(), &DirTree::currentPathChanged, tree.get(),
        [&heard](const QString& path) { heard << path; });
    click(find(u"System (C:)\\Users"_s));
    ASSERT_FALSE(heard.isEmpty());
    EXPECT_EQ(heard.last(), u"C:\\Windows\\"_s);
    EXPECT_EQ(tree->currentPath(), u"C:\\Windows\\"_s);
}

// A drive layer whose roots lack the final separator: taken as if they had it.
TEST_F(DirTreeTest, RootWithoutItsSeparator)
{
    struct BareRoots : FakeDriveSystem {
        std::string rootPath(char letter) const override
        {
            std::string root = FakeDriveSystem::rootPath(letter);
            if (!root.empty())
                root.pop_back();
            return root;
        }
    };
    auto fake = std::make_unique<BareRoots>();
    standardMachine(*fake);
    DirTree bare(std::move(fake));
    awaitEveryRead(bare);
    bare.GoList();
    QSignalSpy changed(&bare, &DirTree::currentPathChanged);
    EXPECT_TRUE(bare.setCurrentPath(u"C:\\Users\\ann"_s));
    ASSERT_EQ(changed.count(), 1);
    EXPECT_EQ(changed.at(0).at(0).toString(), u"C:\\Users\\ann\\"_s);
}

// A host saves the folder whenever it changes and a later run restores it.
TEST_F(DirTreeTest, HostRestoresTheLastFolder)
{
    make(standardMachine);
    QString saved;
    QObject::connect(
        tree.get(), &DirTree::currentPathChanged, tree.get(), [&saved](const QString& p) { saved = p; });
    tree->GoList();
    click(find(u"System (C:)\\Program Files"_s));
    find(u"System (C:)\\Program Files"_s)->setExpanded(true);
    click(find(u"System (C:)\\Program Files\\Common Files"_s));
    EXPECT_EQ(saved, u"C:\\Program Files\\COMMON FILES\\"_s);

    make(standardMachine); // the next run
    clicks.clear();
    tree->GoList();
    EXPECT_TRUE(tree->setProperty("currentPath", saved));
    EXPECT_EQ(clicks.size(), 1);
    EXPECT_EQ(tree->path(), u"C:\\Program Files\\Common Files\\"_s);
    EXPECT_EQ(tree->property("currentPath").toString(), saved);
    EXPECT_TRUE(
        tree->metaObject()->property(tree->metaObject()->indexOfProperty("currentPath")).hasNotifySignal());
}

TEST_F(DirTreeTest, NativePathOfAnyNode)
{
    make(standardMachine);
    tree->GoList();
    find(u"System (C:)"_s)->setExpanded(true);
    EXPECT_EQ(tree->nativePath(find(u"System (C:)\\Program Files\\Common Files"_s)),
        u"C:\\Program Files\\COMMON FILES\\"_s);
    EXPECT_EQ(tree->nativePath(nullptr), QString());
    QTreeWidgetItem stranger(QStringList {u"C:"_s});
    EXPECT_EQ(tree->nativePathBytes(&stranger), QByteArray());
}

} // namespace
