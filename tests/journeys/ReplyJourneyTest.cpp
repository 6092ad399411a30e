// Waiting for the pedal's replies over a real-timed link: pieces, silence, unplugging.
#include "app/Editor.h"
#include "app/TformMain.h"
#include "support/EditorHarness.h"

#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
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
    // Open FX: the identity request and its reply.
    void askIdentity() { editor.click(editor.main().btnOpenEffect); }

    EditorHarness editor;
    std::shared_ptr<VirtualPedal> pedal;
};

TEST_F(ReplyJourney, AReplyInSeveralPiecesComesTogetherInOrder) {
    pedal->setSplitReplies(4, 50);
    askIdentity();
    // The pieces follow each other with nothing stale between them: the
    // whole answer of a pedal that runs no effect yet.
    EXPECT_EQ(editor.dialogs.messages,
              QStringList{"The pedal has no effect loaded. Choose an effect, upload it, then "
                          "click Open FX."});
    EXPECT_TRUE(editor.consoleLines().contains(QStringLiteral("num of bytes received: 16")))
        << editor.consoleLines().join("|").toStdString();
    EXPECT_EQ(editor.main().lblFirmwareVersion->text(), "Firmware Version: 5");
}

TEST_F(ReplyJourney, ASilentPedalEndsTheWaitWithAMessageNotAHang) {
    pedal->setSilent(true);
    const std::int64_t before = editor.clock.nowMs();
    askIdentity();
    EXPECT_EQ(editor.dialogs.messages,
              QStringList{"The pedal did not answer. Check the cable and try again."});
    EXPECT_LT(editor.clock.nowMs() - before, 10000);
    EXPECT_FALSE(editor.consoleLines()
                     .filter(QRegularExpression("^no reply from the pedal within"))
                     .isEmpty());
    // The link is free again for the next command.
    EXPECT_FALSE(editor.editor().session.busy());
}

TEST_F(ReplyJourney, UnpluggingDuringTheWaitEndsItWithTheDriversReport) {
    pedal->setReplyDelayMs(500);
    QTimer::singleShot(0, [this] { pedal->unplug(); });
    askIdentity();
    // One message: the first driver call that failed.
    ASSERT_EQ(editor.dialogs.messages.size(), 1);
    EXPECT_TRUE(editor.dialogs.messages.last().startsWith("FT_GetQueueStatus - "));
    EXPECT_TRUE(editor.consoleLines().filter("effect number DEC: ").isEmpty());
    EXPECT_FALSE(editor.editor().session.busy());
    // The port went with the cable: the connection ends, without a second box.
    EXPECT_EQ(editor.editor().session.connection(), PedalSession::Connection::Lost);
    EXPECT_EQ(editor.consoleLines().filter("connection lost: the pedal's port failed").size(), 1);
}

} // namespace
} // namespace brivo::test
