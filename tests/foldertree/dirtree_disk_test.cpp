// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

// DirTree against real folders on disk, seen as drive C:.
#include "DirTree/dirtree.h"
#include "dirtreefixture.h"
#include "rooteddrivesystem.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace Qt::Literals::StringLiterals;
using namespace Cantorel;

namespace {

QStringList childTexts(const QTreeWidgetItem* node)
{
    QStringList texts;
    for (int i = 0; i < node->childCount(); ++i)
        texts << node->child(i)->text(0);
    return texts;
}

TEST(DirTreeOnDisk, ListsRealFoldersAndReachesThemByTheirNames)
{
    QTemporaryDir root;
    ASSERT_TRUE(root.isValid());
    QDir dir(root.path());
    for (const QString& folder :
        {u"MUSIC/Rock"_s, u"music/Jazz"_s, u"with blank"_s, u".cache/x"_s, u"Ünïcode ørder/Ä"_s})
        ASSERT_TRUE(dir.mkpath(folder));
    QFile file(dir.filePath(u"notes.txt"_s));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();

    DirTree tree(std::make_unique<RootedDriveSystem>(QFile::encodeName(root.path()).toStdString()));
    awaitEveryRead(tree);
    QStringList clicks;
    QObject::connect(&tree, &DirTree::Click, [&] { clicks << tree.path() + u'|' + tree.nativePath(); });
    tree.GoList();

    ASSERT_EQ(tree.tree()->topLevelItemCount(), 1);
    QTreeWidgetItem* drive = tree.tree()->topLevelItem(0);
    EXPECT_EQ(drive->text(0), u"Test (C:)"_s);
    QStringList texts = childTexts(drive);
    EXPECT_EQ(texts.mid(0, 2), (QStringList {u"Music"_s, u"Music"_s}));
    texts.sort();
    EXPECT_EQ(texts, (QStringList {u"Music"_s, u"Music"_s, u"With Blank"_s, u"Ünïcode Ørder"_s}));

    drive->setExpanded(true);
    const QString native = root.path() + u'/';
    ASSERT_EQ(clicks.size(), 5);
    // Equal texts keep the byte order of their names on disk: "MUSIC" before "music".
    EXPECT_EQ(clicks[0], u"C:\\Music\\|"_s + native + u"MUSIC/"_s);
    EXPECT_EQ(clicks[1], u"C:\\Music\\|"_s + native + u"music/"_s);
    EXPECT_EQ(clicks.last(), u"C:\\|"_s + native);
    EXPECT_EQ(childTexts(drive->child(0)), QStringList {u"Rock"_s});
    EXPECT_EQ(childTexts(drive->child(1)), QStringList {u"Jazz"_s});
    // Where the accented name sorts depends on the locale; its own listing does not.
    const int unicode = childTexts(drive).indexOf(u"Ünïcode Ørder"_s);
    ASSERT_GE(unicode, 2);
    EXPECT_EQ(childTexts(drive->child(unicode)), QStringList {u"Ä"_s});
    // A name in UTF-8 comes back through QFile as the very same bytes.
    Q_EMIT tree.tree()->itemClicked(drive->child(unicode), 0);
    EXPECT_EQ(QFile::encodeName(tree.nativePath()), tree.nativePathBytes());
    EXPECT_TRUE(QDir(tree.nativePath()).exists());
}

// A name on disk that is not UTF-8: shown readably, and the byte form opens the folder.
TEST(DirTreeOnDisk, ByteFormNamesAFolderWhoseNameIsNotUtf8)
{
    QTemporaryDir root;
    ASSERT_TRUE(root.isValid());
    const QByteArray folder = QFile::encodeName(root.path()) + "/caf\xe9";
    if (::mkdir(folder.constData(), 0755) != 0)
        GTEST_SKIP() << "this file system refuses names that are not UTF-8";
    ASSERT_EQ(::mkdir((folder + "/inner").constData(), 0755), 0);

    DirTree tree(std::make_unique<RootedDriveSystem>(QFile::encodeName(root.path()).toStdString()));
    awaitEveryRead(tree);
    tree.GoList();
    QTreeWidgetItem* cafe = tree.tree()->topLevelItem(0)->child(0);
    ASSERT_NE(cafe, nullptr);
    EXPECT_EQ(cafe->text(0), u"Café"_s);
    Q_EMIT tree.tree()->itemClicked(cafe, 0);
    EXPECT_EQ(tree.path(), u"C:\\Café\\"_s);
    EXPECT_EQ(tree.nativePathBytes(), folder + '/');
    EXPECT_EQ(tree.nativePath(), QString());
    struct stat st { };
    EXPECT_EQ(::stat(tree.nativePathBytes().constData(), &st), 0);
    EXPECT_TRUE(S_ISDIR(st.st_mode));
    EXPECT_EQ(childTexts(cafe), QStringList {u"Inner"_s});
    // QTemporaryDir cannot name these to remove them.
    ::rmdir((folder + "/inner").constData());
    ::rmdir(folder.constData());
}

// A folder that holds two links to itself is endless; '*' still does bounded work, one
// level more per press.
TEST(DirTreeOnDisk, StarStopsInAFolderThatLinksToItself)
{
    QTemporaryDir root;
    ASSERT_TRUE(root.isValid());
    for (const QString& link : {u"loop1"_s, u"loop2"_s})
        ASSERT_TRUE(QFile::link(u"."_s, QDir(root.path()).filePath(link)));

    DirTree tree(std::make_unique<RootedDriveSystem>(QFile::encodeName(root.path()).toStdString()));
    awaitEveryRead(tree);
    tree.GoList();
    tree.show();
    tree.tree()->setCurrentItem(tree.tree()->topLevelItem(0));
    int nodes = 0;
    for (int press = 1; press <= 3; ++press) {
        QTest::keyClick(tree.tree(), Qt::Key_Asterisk, Qt::KeypadModifier);
        nodes = 0;
        while (tree.node(nodes + 1))
            ++nodes;
        // The drive, then two children for every node listed one level deeper.
        EXPECT_EQ(nodes, (2 << (press + 1)) - 1) << "after press " << press;
        EXPECT_EQ(tree.tree()->currentItem(), tree.node(1));
    }
    // The links, not what they point to, go before the folder does.
    for (const QString& link : {u"loop1"_s, u"loop2"_s})
        QFile::remove(QDir(root.path()).filePath(link));
}

} // namespace
