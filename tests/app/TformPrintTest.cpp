// The diagnostic console: lines, clearing and following the newest line.
#include "app/TformPrint.h"
#include "support/ScriptedDialogs.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QFile>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace brivo {
namespace {

TEST(Console, KeepsEveryLineExactlyIncludingEmptyOnes) {
    test::ScriptedDialogs dialogs;
    TformPrint console(dialogs);
    console.log_line("first");
    console.log_line("");
    console.append_line("third");
    EXPECT_EQ(console.lines(), (QStringList{"first", "", "third"}));
    EXPECT_FALSE(console.autoScroll());
    EXPECT_EQ(console.windowTitle(), "Print Console");
}

TEST(Console, ClearStartsAfresh) {
    test::ScriptedDialogs dialogs;
    TformPrint console(dialogs);
    console.log_line("old");
    console.btnClear->click();
    EXPECT_TRUE(console.lines().isEmpty());
    console.log_line("new");
    EXPECT_EQ(console.lines(), QStringList{"new"});
}

TEST(Console, FollowsTheNewestLineOnlyWhenAskedAndOnlyThroughLogLine) {
    test::ScriptedDialogs dialogs;
    TformPrint console(dialogs);
    console.resize(490, 652);
    console.show();
    for (int i = 0; i < 200; ++i)
        console.log_line(QString::number(i));
    QScrollBar* bar = console.Memo1->verticalScrollBar();
    bar->setValue(0);
    // Off: the view stays where the user left it.
    console.log_line("more");
    EXPECT_EQ(bar->value(), 0);

    console.CheckBox1->setChecked(true);
    EXPECT_TRUE(console.autoScroll());
    console.log_line("follow");
    EXPECT_EQ(bar->value(), bar->maximum());

    // A line appended directly does not scroll.
    bar->setValue(0);
    console.append_line("direct");
    EXPECT_EQ(bar->value(), 0);

    console.log_line("again");
    EXPECT_EQ(bar->value(), bar->maximum());
    console.btnScrollTop->click();
    EXPECT_EQ(bar->value(), 0);
}

TEST(Console, ViewAtTheEndStaysWhenNotFollowing) {
    test::ScriptedDialogs dialogs;
    TformPrint console(dialogs);
    console.show();
    for (int i = 0; i < 200; ++i)
        console.log_line(QString::number(i));
    QScrollBar* bar = console.Memo1->verticalScrollBar();
    bar->setValue(bar->maximum());
    const int atEnd = bar->value();
    ASSERT_GT(atEnd, 0);
    console.log_line("new");
    // The text grew below the view, and the view did not move with it.
    EXPECT_EQ(bar->value(), atEnd);
    EXPECT_GT(bar->maximum(), atEnd);
}

TEST(Console, KeepsTheMostRecentLinesAndSaysWhenOlderOnesAreDropped) {
    test::ScriptedDialogs dialogs;
    TformPrint console(dialogs, nullptr, 4);
    for (int i = 1; i <= 4; ++i)
        console.log_line(QString::number(i));
    EXPECT_EQ(console.lines(), (QStringList{"1", "2", "3", "4"}));
    const QString notice = console.droppedLinesNotice();
    EXPECT_EQ(notice, "older lines dropped: the console keeps the most recent 4 lines");
    console.log_line("5");
    EXPECT_EQ(console.lines(), (QStringList{"3", "4", "5", notice}));
    // Said again only once the notice itself has gone.
    for (int i = 6; i <= 8; ++i)
        console.log_line(QString::number(i));
    EXPECT_EQ(console.lines(), (QStringList{notice, "6", "7", "8"}));
    console.log_line("9");
    EXPECT_EQ(console.lines(), (QStringList{"7", "8", "9", notice}));

    TformPrint full(dialogs);
    EXPECT_EQ(full.droppedLinesNotice(),
              "older lines dropped: the console keeps the most recent 200,000 lines");
}

TEST(Console, ManyLinesAtOnceAreLinesOfTheirOwnAndScrollLikeLogLine) {
    test::ScriptedDialogs dialogs;
    TformPrint console(dialogs, nullptr, 6);
    console.show();
    console.log_line("first");
    console.log_lines({"FF800000", QStringLiteral("a\nb"), ""});
    EXPECT_EQ(console.lines(), (QStringList{"first", "FF800000", QStringLiteral("a\u240ab"), ""}));
    // Past the limit they go one by one, and the notice says so once.
    console.log_lines({"5", "6", "7"});
    const QString notice = console.droppedLinesNotice();
    EXPECT_EQ(console.lines(),
              (QStringList{QStringLiteral("a\u240ab"), "", "5", "6", "7", notice}));
    console.log_lines({"8"});
    EXPECT_EQ(console.lines(), (QStringList{"", "5", "6", "7", notice, "8"}));

    TformPrint follow(dialogs);
    follow.show();
    for (int i = 0; i < 200; ++i)
        follow.log_line(QString::number(i));
    QScrollBar* bar = follow.Memo1->verticalScrollBar();
    bar->setValue(0);
    follow.log_lines({"x", "y"});
    EXPECT_EQ(bar->value(), 0);
    follow.CheckBox1->setChecked(true);
    follow.log_lines({"x", "y"});
    EXPECT_EQ(bar->value(), bar->maximum());
}

TEST(Console, ControlCharactersShowAsReadableSymbolsOnOneLine) {
    test::ScriptedDialogs dialogs;
    TformPrint console(dialogs);
    console.log_line(QStringLiteral("80: ") + QChar(0) + QStringLiteral("T"));
    console.log_line(QStringLiteral("a\r\nb\x7f") + QChar(0x85));
    EXPECT_EQ(console.lines(), (QStringList{QStringLiteral("80: \u2400T"),
                                            QStringLiteral("a\u240d\u240ab\u2421\ufffd")}));
}

TEST(Console, SaveWritesTheKeptLinesToTheChosenFileAndCopyAllTakesThemToo) {
    test::ScriptedDialogs dialogs;
    TformPrint console(dialogs, nullptr, 3);
    for (const char* line : {"dropped", "one", "two", "three"})
        console.log_line(QString::fromLatin1(line));
    const QStringList kept = console.lines();
    QTemporaryDir dir;
    const QString path = dir.filePath("trace.txt");
    {
        QFile old(path);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("an older trace that is longer than the new one\n\n\n\n\n\n");
    }
    dialogs.saveFiles.push_back(path);
    console.btnSave->click();
    QFile saved(path);
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(saved.readAll()), kept.join('\n') + '\n');
    EXPECT_TRUE(dialogs.messages.isEmpty());

    // Cancelled: nothing happens. A folder that does not exist: said, nothing written.
    console.btnSave->click();
    dialogs.saveFiles.push_back(dir.filePath("missing/trace.txt"));
    console.btnSave->click();
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_TRUE(dialogs.messages[0].startsWith("The console could not be saved to " +
                                               dir.filePath("missing/trace.txt") + ": "));
    EXPECT_FALSE(QFile::exists(dir.filePath("missing/trace.txt")));

    console.btnCopyAll->click();
    EXPECT_EQ(QApplication::clipboard()->text(), kept.join('\n'));
}

} // namespace
} // namespace brivo
