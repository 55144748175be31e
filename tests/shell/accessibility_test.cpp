// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

#include "mainwindowfixture.h"

#include "accessiblefactory.h"
#include "clickarea.h"
#include "filelistview.h"
#include "frmsplash.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QCoreApplication>
#include <QLineEdit>
#include <QPointer>
#include <QTimer>

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

// The program installs the factory in main(), once its application exists; every test of
// this binary sees the windows as it does.
class AccessibleFactoryEnvironment : public ::testing::Environment
{
public:
    void SetUp() override { AccessibleFactory::install(); }
};
const ::testing::Environment* const kFactoryInstalled
    = ::testing::AddGlobalTestEnvironment(new AccessibleFactoryEnvironment);

// The window's accessible child with this name, as a screen reader would find it.
QAccessibleInterface* childNamed(QWidget& window, const QString& name)
{
    QAccessibleInterface* top = QAccessible::queryAccessibleInterface(&window);
    if (!top)
        return nullptr;
    for (int i = 0; i < top->childCount(); ++i) {
        QAccessibleInterface* child = top->child(i);
        if (child && child->text(QAccessible::Name) == name)
            return child;
    }
    return nullptr;
}

// The press action, as assistive technology runs it, and then the events it left queued.
void pressAndSettle(QAccessibleInterface* target)
{
    ASSERT_NE(target, nullptr);
    ASSERT_NE(target->actionInterface(), nullptr);
    EXPECT_TRUE(
        target->actionInterface()->keyBindingsForAction(QAccessibleActionInterface::pressAction()).isEmpty());
    target->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    QCoreApplication::processEvents();
}

void press(QWidget& window, const QString& name)
{
    QAccessibleInterface* area = childNamed(window, name);
    ASSERT_NE(area, nullptr) << name.toStdString();
    ASSERT_NE(area->actionInterface(), nullptr) << name.toStdString();
    area->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
}

struct Spoken {
    const char* control;
    const char* name;
    QAccessible::Role role;
};

} // namespace

class AccessibleNameTest : public MainWindowFixture, public ::testing::WithParamInterface<Spoken>
{ };

// Each control is found among the window's children by its name, with its role and a
// description; the painted words would otherwise be silent pixels.
TEST_P(AccessibleNameTest, NamesControl)
{
    const QString name = QString::fromUtf8(GetParam().name);
    QAccessibleInterface* found = childNamed(*window, name);
    ASSERT_NE(found, nullptr) << "no child named " << GetParam().name;
    EXPECT_EQ(found->object()->objectName(), QString::fromLatin1(GetParam().control));
    EXPECT_EQ(found->role(), GetParam().role);
    EXPECT_FALSE(found->text(QAccessible::Description).isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Controls, AccessibleNameTest,
    ::testing::Values(Spoken {"cmdSave", "Save playlist", QAccessible::Button},
        Spoken {"cmdReset", "Reset playlist", QAccessible::Button},
        Spoken {"cmdExit", "Exit", QAccessible::Button},
        Spoken {"Text2", "Playlist file name", QAccessible::EditableText},
        Spoken {"Text1", "Playlist", QAccessible::EditableText},
        Spoken {"File1", "Media files", QAccessible::List},
        Spoken {"Check4", "M3U format", QAccessible::CheckBox}),
    [](const auto& info) { return std::string(info.param.control); });

using AccessibleActionTest = MainWindowFixture;

// The press action clicks an area as the mouse does; it offers no key, and the areas
// still never take the focus.
TEST_F(AccessibleActionTest, PressSavesAndResets)
{
    window->Text2()->setText(u"spoken.m3u"_s);
    QTest::mouseClick(window->windowHandle(), Qt::LeftButton, Qt::NoModifier, rowCentre(0));
    ASSERT_EQ(text1(), u"#EXTM3U\na.mp3"_s);

    // The click comes after the call: a modal box shown inside it would hold the caller.
    press(*window, u"Save playlist"_s);
    EXPECT_TRUE(messages.empty());
    QCoreApplication::processEvents();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, u"Saved"_s);
    QFile saved(folder.filePath(u"spoken.m3u"_s));
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_EQ(saved.readAll(), "#EXTM3U\r\na.mp3\r\n");

    press(*window, u"Reset playlist"_s);
    QCoreApplication::processEvents();
    EXPECT_EQ(text1(), u"#EXTM3U"_s);

    for (const ClickArea* area : {window->cmdSave(), window->cmdReset(), window->cmdExit()}) {
        QAccessibleInterface* spoken = QAccessible::queryAccessibleInterface(const_cast<ClickArea*>(area));
        ASSERT_NE(spoken, nullptr);
        EXPECT_EQ(spoken->actionInterface()->actionNames(),
            QStringList {QAccessibleActionInterface::pressAction()});
        EXPECT_TRUE(spoken->actionInterface()
                        ->keyBindingsForAction(QAccessibleActionInterface::pressAction())
                        .isEmpty());
        EXPECT_FALSE(spoken->state().focusable) << area->objectName().toStdString();
    }
    EXPECT_EQ(messages.size(), 1u);
}

// Pressing the cross through assistive technology ends the program at once, unsaved.
TEST_F(AccessibleActionTest, PressOnExitEnds)
{
    window->Text2()->setText(u"unsaved.m3u"_s);
    QTimer::singleShot(0, window.get(), [this] { press(*window, u"Exit"_s); });
    QTimer::singleShot(5000, [] { QCoreApplication::exit(99); }); // guard: the press did nothing
    EXPECT_EQ(QCoreApplication::exec(), 0);
    EXPECT_TRUE(messages.empty());
    EXPECT_FALSE(QFile::exists(folder.filePath(u"unsaved.m3u"_s)));
}

// Each file of the list is an item named by the file, with no description of its own; its
// press action picks it as a click does, one line per press, the current file again included.
TEST_F(AccessibleActionTest, ItemPressPicksItsFile)
{
    QAccessibleInterface* list = childNamed(*window, u"Media files"_s);
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(list->childCount(), 4);
    const QStringList names {u"a.mp3"_s, u"b.mp3"_s, u"c.wav"_s, u"d.WMA"_s};
    for (int row = 0; row < 4; ++row) {
        QAccessibleInterface* item = list->child(row);
        ASSERT_NE(item, nullptr);
        EXPECT_EQ(item->text(QAccessible::Name), names[row]);
        EXPECT_EQ(item->role(), QAccessible::ListItem);
        EXPECT_EQ(item->text(QAccessible::Description), QString()) << "the list says what picking does, once";
        EXPECT_EQ(list->indexOfChild(item), row);
        EXPECT_EQ(list->child(row), item) << "the same item each time";
    }
    pressAndSettle(list->child(2));
    pressAndSettle(list->child(2));
    pressAndSettle(list->child(0));
    EXPECT_EQ(text1(), u"#EXTM3U\nc.wav\nc.wav\na.mp3"_s);
    EXPECT_EQ(window->File1()->currentIndex().row(), 0);
    EXPECT_TRUE(list->child(0)->state().selected);
    EXPECT_FALSE(list->child(2)->state().selected);
}

struct SpokenWindow {
    const char* window;
    QAccessible::Role role;
    const char* name;
};

class AccessibleWindowTest : public MainWindowFixture, public ::testing::WithParamInterface<SpokenWindow>
{ };

// Both windows are windows (frames) to assistive technology, named; a plain widget would be
// an unnamed filler.
TEST_P(AccessibleWindowTest, IsANamedWindow)
{
    frmSplash splash({});
    QWidget* shown = QString::fromLatin1(GetParam().window) == u"frmmain"_s
        ? static_cast<QWidget*>(window.get())
        : &splash;
    QAccessibleInterface* spoken = QAccessible::queryAccessibleInterface(shown);
    ASSERT_NE(spoken, nullptr);
    EXPECT_EQ(spoken->role(), GetParam().role);
    EXPECT_EQ(spoken->text(QAccessible::Name), QString::fromUtf8(GetParam().name));
}

INSTANTIATE_TEST_SUITE_P(Windows, AccessibleWindowTest,
    ::testing::Values(SpokenWindow {"frmmain", QAccessible::Window, "Playlist maker"},
        SpokenWindow {"frmSplash", QAccessible::Window, "Cantorel"}),
    [](const auto& info) { return std::string(info.param.window); });

// The splash says what to do, and its press action does what a click does once the call
// has returned: the splash goes, the main window opens. No key can do it.
TEST(AccessibleSplashTest, PressOpensMainWindow)
{
    int opened = 0;
    QPointer<frmSplash> splash = new frmSplash([&opened] { ++opened; });
    splash->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(splash.data()));
    QAccessibleInterface* spoken = QAccessible::queryAccessibleInterface(splash.data());
    ASSERT_NE(spoken, nullptr);
    EXPECT_FALSE(spoken->text(QAccessible::Description).isEmpty());
    EXPECT_FALSE(spoken->state().focusable);
    ASSERT_NE(spoken->actionInterface(), nullptr);
    EXPECT_EQ(
        spoken->actionInterface()->actionNames(), QStringList {QAccessibleActionInterface::pressAction()});

    spoken->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(opened, 0);
    EXPECT_TRUE(QTest::qWaitFor([&] { return opened == 1; }));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(splash.isNull());
    delete splash.data();
}

namespace {

// Ends the test program with a message when a call has not returned within a generous
// bound: a hang must fail the test, not stall it.
class HangGuard
{
public:
    explicit HangGuard(std::chrono::seconds bound)
        : m_thread([this, bound] {
              std::unique_lock lock(m_mutex);
              if (!m_done.wait_for(lock, bound, [this] { return m_finished; })) {
                  std::fprintf(stderr, "FAIL: no answer within %lld s: %s\n",
                      static_cast<long long>(bound.count()), m_asking.c_str());
                  std::_Exit(1);
              }
          })
    { }
    ~HangGuard()
    {
        {
            const std::lock_guard lock(m_mutex);
            m_finished = true;
        }
        m_done.notify_one();
        m_thread.join();
    }
    void asking(std::string what)
    {
        const std::lock_guard lock(m_mutex);
        m_asking = std::move(what);
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_done;
    bool m_finished = false;
    std::string m_asking;
    std::thread m_thread;
};

struct BoxText {
    const char* name;
    QString text;
    QString firstWord; // the word at offset 0
    QString lastWord;  // the word at the end of the text
};

} // namespace

class BoxTextTest : public MainWindowFixture, public ::testing::WithParamInterface<BoxText>
{ };

// The name box and the playlist box answer a screen reader's every question about the text
// around an offset: every offset (-1 for the end and -2 for the caret included, and one
// past either end), every boundary kind, at, before and after, each with a piece of the
// text and in bounded time; their text attributes hold for the whole text. At the end of
// the text there is no character, and the word, sentence or line is the last one. Qt 6.4's
// own answers looped for good on the word at offset 0 of a text starting with anything
// but a letter or digit, and on the word or sentence at the end.
TEST_P(BoxTextTest, AnswersEveryOffset)
{
    window->Text2()->setText(GetParam().text);
    window->Text1()->setPlainText(GetParam().text);
    HangGuard guard(std::chrono::seconds(20));
    for (QWidget* widget : {static_cast<QWidget*>(window->Text2()), static_cast<QWidget*>(window->Text1())}) {
        const std::string boxName = widget->objectName().toStdString();
        QAccessibleInterface* box = QAccessible::queryAccessibleInterface(widget);
        ASSERT_NE(box, nullptr);
        QAccessibleTextInterface* text = box->textInterface();
        ASSERT_NE(text, nullptr) << boxName;
        const int length = text->characterCount();
        const QString full = text->text(0, length);
        ASSERT_EQ(full, box->text(QAccessible::Value)) << boxName;
        ASSERT_GE(length, GetParam().text.size() - 1) << boxName; // a CR may become a break

        using Query
            = QString (QAccessibleTextInterface::*)(int, QAccessible::TextBoundaryType, int*, int*) const;
        const std::vector<std::pair<const char*, Query>> queries
            = {{"at", &QAccessibleTextInterface::textAtOffset},
                {"before", &QAccessibleTextInterface::textBeforeOffset},
                {"after", &QAccessibleTextInterface::textAfterOffset}};
        const std::vector<std::pair<const char*, QAccessible::TextBoundaryType>> kinds
            = {{"char", QAccessible::CharBoundary}, {"word", QAccessible::WordBoundary},
                {"sentence", QAccessible::SentenceBoundary}, {"paragraph", QAccessible::ParagraphBoundary},
                {"line", QAccessible::LineBoundary}, {"none", QAccessible::NoBoundary}};
        for (int offset = -2; offset <= length + 1; ++offset) {
            for (const auto& [kindName, kind] : kinds) {
                for (const auto& [queryName, query] : queries) {
                    const std::string asked = boxName + ": " + queryName + " offset " + std::to_string(offset)
                        + " by " + kindName;
                    guard.asking(asked);
                    int start = -3, end = -3;
                    const QString answer = (text->*query)(offset, kind, &start, &end);
                    if (start >= 0) {
                        EXPECT_TRUE(start <= end && end <= length) << asked << ": " << start << ".." << end;
                        EXPECT_EQ(answer, full.mid(start, end - start)) << asked;
                    } else {
                        EXPECT_TRUE(answer.isEmpty()) << asked;
                    }
                }
            }
            if (offset >= 0 && offset <= length) {
                int start = -3, end = -3;
                text->attributes(offset, &start, &end);
                EXPECT_TRUE(start == 0 && end == length)
                    << boxName << ": attributes at " << offset << " hold " << start << ".." << end;
            }
        }
        // What a screen reader reads on Home, at the end, and on Backspace there.
        int start = 0, end = 0;
        const auto piece = [&](Query query, int offset, QAccessible::TextBoundaryType kind) {
            return (text->*query)(offset, kind, &start, &end).toStdString();
        };
        EXPECT_EQ(piece(&QAccessibleTextInterface::textAtOffset, 0, QAccessible::WordBoundary),
            GetParam().firstWord.toStdString())
            << boxName;
        if (length > 0) {
            EXPECT_EQ(piece(&QAccessibleTextInterface::textAtOffset, length, QAccessible::CharBoundary), "")
                << boxName;
            EXPECT_EQ(piece(&QAccessibleTextInterface::textAtOffset, -1, QAccessible::WordBoundary),
                GetParam().lastWord.toStdString())
                << boxName;
            EXPECT_EQ(end, length) << boxName;
            const std::string lastCharacter
                = piece(&QAccessibleTextInterface::textBeforeOffset, length, QAccessible::CharBoundary);
            EXPECT_TRUE(end == length && start < end && lastCharacter == full.mid(start).toStdString())
                << boxName;
        }
    }
    int start = 0, end = 0;
    QAccessibleTextInterface* nameBox
        = QAccessible::queryAccessibleInterface(window->Text2())->textInterface();
    EXPECT_EQ(nameBox->textAtOffset(-1, QAccessible::LineBoundary, &start, &end), window->Text2()->text());
}

INSTANTIATE_TEST_SUITE_P(Texts, BoxTextTest,
    ::testing::Values(BoxText {"NameEndingInALetter", u"party.m3u"_s, u"party"_s, u"m3u"_s},
        BoxText {"SentencesAndABlankAtTheEnd", u"Caf\u00e9 mix. Side B "_s, u"Caf\u00e9"_s, u" "_s},
        BoxText {
            "PairsAndCombiningAccents", u"mix \U0001F3B5 e\u0301te\u0301"_s, u"mix"_s, u"e\u0301te\u0301"_s},
        BoxText {"Empty", QString(), QString(), QString()},
        BoxText {"BracketFirst", u"(live) mix.m3u"_s, u"("_s, u"m3u"_s},
        BoxText {"BlankFirst", u" party.m3u"_s, u" "_s, u"m3u"_s},
        BoxText {"DashFirst", u"-mix.m3u"_s, u"-"_s, u"m3u"_s},
        BoxText {"HashFirst", u"#1 hits.m3u"_s, u"#"_s, u"m3u"_s},
        BoxText {"QuoteFirst", u"'80s.m3u"_s, u"'"_s, u"m3u"_s},
        BoxText {"UnderscoreFirst", u"_x.m3u"_s, u"_x"_s, u"m3u"_s},
        BoxText {"EmojiFirst", u"\U0001F3B5 mix.m3u"_s, u"\U0001F3B5"_s, u"m3u"_s},
        BoxText {"PunctuationFirstAndLast", u"...mix!"_s, u"."_s, u"!"_s},
        BoxText {"BlanksOnly", u"   "_s, u"   "_s, u"   "_s},
        BoxText {"RightToLeft", u"\u05e9\u05d9\u05e8 \u05d0\u05d4\u05d1\u05d4.m3u"_s, u"\u05e9\u05d9\u05e8"_s,
            u"m3u"_s},
        BoxText {"CrLf", u"a\r\nb"_s, u"a"_s, u"b"_s},
        BoxText {"Latin1Name", u"Se\u00f1or \u00e0 la f\u00eate.m3u"_s, u"Se\u00f1or"_s, u"m3u"_s}),
    [](const auto& info) { return std::string(info.param.name); });
