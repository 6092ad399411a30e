// Waiting for the pedal's replies over a real-timed link: pieces, silence, unplugging.
#include "app/TformMain.h"
#include "base/EditorError.h"
#include "support/EditorHarness.h"

#include <QTimer>
#include <gtest/gtest.h>

namespace brivo::test {
namespace {

class ReplyJourney : public ::testing::Test {
  protected:
    void SetUp() override {
        pedal = editor.plugPedal();
        editor.start();
        editor.connect();
    }
    QByteArray askIdentity() {
        editor.editor().exchange.send(QStringLiteral("0500"), 2, true, 100);
        return editor.editor().exchange.receive_reply();
    }

    EditorHarness editor;
    std::shared_ptr<VirtualPedal> pedal;
};

TEST_F(ReplyJourney, AReplyInSeveralPiecesComesTogetherInOrder) {
    pedal->setSplitReplies(4, 50);
    const QByteArray reply = askIdentity();
    // The pieces follow each other with nothing stale between them.
    EXPECT_EQ(reply, QByteArray("BRIVO\r\n0\r\n0\r\n5\r\n"));
    EXPECT_TRUE(editor.consoleLines().contains(QStringLiteral("num of bytes received: 16")))
        << editor.consoleLines().join("|").toStdString();
}

TEST_F(ReplyJourney, ASilentPedalEndsTheWaitWithAMessageNotAHang) {
    pedal->setSilent(true);
    const std::int64_t before = editor.clock.nowMs();
    try {
        askIdentity();
        FAIL() << "the wait should have timed out";
    } catch (const EditorError& e) {
        EXPECT_EQ(e.text(), "The pedal did not answer. Check the cable and try again.");
    }
    EXPECT_LT(editor.clock.nowMs() - before, 10000);
    EXPECT_TRUE(editor.consoleLines().last().startsWith("no reply from the pedal within"));
    // The exchange slot is free again for the next command.
    EXPECT_FALSE(editor.editor().exchange.exchangeInProgress());
}

TEST_F(ReplyJourney, UnpluggingDuringTheWaitEndsItWithTheDriversReport) {
    pedal->setReplyDelayMs(500);
    QTimer::singleShot(0, [this] { pedal->unplug(); });
    const QByteArray reply = askIdentity();
    EXPECT_TRUE(reply.isEmpty());
    ASSERT_FALSE(editor.dialogs.messages.isEmpty());
    EXPECT_TRUE(editor.dialogs.messages.last().startsWith("FT_GetQueueStatus - "));
}

} // namespace
} // namespace brivo::test
