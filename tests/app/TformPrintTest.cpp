// The diagnostic console: lines, clearing and following the newest line.
#include "app/TformPrint.h"

#include <QCheckBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <gtest/gtest.h>

namespace brivo {
namespace {

TEST(Console, KeepsEveryLineExactlyIncludingEmptyOnes) {
    TformPrint console;
    console.log_line("first");
    console.log_line("");
    console.append_line("third");
    EXPECT_EQ(console.lines(), (QStringList{"first", "", "third"}));
    EXPECT_FALSE(console.autoScroll());
    EXPECT_EQ(console.windowTitle(), "Print Console");
}

TEST(Console, ClearStartsAfresh) {
    TformPrint console;
    console.log_line("old");
    console.btnClear->click();
    EXPECT_TRUE(console.lines().isEmpty());
    console.log_line("new");
    EXPECT_EQ(console.lines(), QStringList{"new"});
}

TEST(Console, FollowsTheNewestLineOnlyWhenAskedAndOnlyThroughLogLine) {
    TformPrint console;
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

} // namespace
} // namespace brivo
