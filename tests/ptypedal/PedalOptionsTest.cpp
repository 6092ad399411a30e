#include "ptypedal/PedalOptions.h"

#include "base/Clock.h"
#include "virtualpedal/VirtualPedal.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace brivo {
namespace {

TEST(PedalOptions, EveryOptionIsTaken) {
    QString fault;
    const auto options = parsePedalOptions(
        {"--firmware-version", "7", "--silent", "--reply-delay-ms", "250", "--split-replies",
         "8:20", "--unplug-after-ms", "1500", "--link", "/tmp/brivo", "--bootloader",
         "--bootloader-framing", "8N1", "--latency-ms", "1"},
        fault);
    ASSERT_TRUE(options.has_value()) << fault.toStdString();
    EXPECT_EQ(options->firmwareVersion, 7);
    EXPECT_TRUE(options->silent);
    EXPECT_EQ(options->replyDelayMs, 250);
    EXPECT_EQ(options->splitChunkBytes, 8);
    EXPECT_EQ(options->splitGapMs, 20);
    EXPECT_EQ(options->unplugAfterMs, 1500);
    EXPECT_EQ(options->linkPath, "/tmp/brivo");
    EXPECT_FALSE(options->clientSpeaks8E1);
    EXPECT_EQ(options->latencyMs, 1);

    VirtualClock clock;
    VirtualPedal pedal(clock);
    applyPedalOptions(*options, pedal);
    EXPECT_EQ(pedal.firmwareVersion(), 7);
    EXPECT_TRUE(pedal.faults().silent);
    EXPECT_EQ(pedal.faults().replyDelayMs, 250);
    EXPECT_EQ(pedal.faults().splitChunkBytes, 8);
    EXPECT_TRUE(pedal.inBootloader());
    EXPECT_EQ(pedal.latencyTimerNs(), 1'000'000);
}

TEST(PedalOptions, NoOptionsLeaveThePedalAsItIs) {
    QString fault;
    const auto options = parsePedalOptions({}, fault);
    ASSERT_TRUE(options.has_value());
    EXPECT_FALSE(options->firmwareVersion.has_value());
    EXPECT_EQ(options->unplugAfterMs, -1);
    // A pty carries no parity: the pedal takes its client to speak the
    // bootloader's 8E1, as every bootloader client does.
    EXPECT_TRUE(options->clientSpeaks8E1);
    EXPECT_FALSE(options->latencyMs.has_value());
    VirtualClock clock;
    VirtualPedal pedal(clock);
    applyPedalOptions(*options, pedal);
    EXPECT_EQ(pedal.firmwareVersion(), 5);
    EXPECT_FALSE(pedal.faults().silent);
    EXPECT_FALSE(pedal.inBootloader());
}

TEST(PedalOptions, FaultyArgumentsAreRefusedWithTheirReason) {
    const struct {
        QStringList arguments;
        const char* fault;
    } cases[] = {
        {{"--firmware-version"}, "--firmware-version: needs a number of 0 or more"},
        {{"--reply-delay-ms", "-5"}, "--reply-delay-ms: needs a number of 0 or more"},
        {{"--unplug-after-ms", "soon"}, "--unplug-after-ms: needs a number of 0 or more"},
        {{"--split-replies", "8"}, "--split-replies: needs BYTES:GAP_MS, e.g. 8:20"},
        {{"--split-replies", "0:20"}, "--split-replies: needs BYTES:GAP_MS, e.g. 8:20"},
        {{"--link"}, "--link: needs a path"},
        {{"--bootloader-framing", "7e2"}, "--bootloader-framing: needs 8e1 or 8n1"},
        {{"--latency-ms", "0"}, "--latency-ms: needs a number from 1 to 255"},
        {{"--loud"}, "unknown option --loud"},
    };
    for (const auto& c : cases) {
        QString fault;
        EXPECT_FALSE(parsePedalOptions(c.arguments, fault).has_value()) << c.fault;
        EXPECT_EQ(fault, c.fault);
    }
}

TEST(PedalOptions, HelpIsAskedByEitherFlag) {
    EXPECT_TRUE(asksForHelp({"--help"}));
    EXPECT_TRUE(asksForHelp({"--silent", "-h"}));
    EXPECT_FALSE(asksForHelp({"--silent"}));
    EXPECT_TRUE(pedalOptionsHelp().contains("-h, --help"));
}

// --link must never delete what a user keeps at the path.
TEST(PedalOptions, LinkReplacesOnlyNothingOrAnOldLinkToAPty) {
    QTemporaryDir folder;
    const QString file = folder.filePath("notes.txt");
    QFile notes(file);
    ASSERT_TRUE(notes.open(QIODevice::WriteOnly));
    notes.write("keep me");
    notes.close();
    const QString staleLink = folder.filePath("stale");
    ASSERT_TRUE(QFile::link("/dev/pts/987654", staleLink));
    const QString linkToFile = folder.filePath("to-notes");
    ASSERT_TRUE(QFile::link(file, linkToFile));
    // /dev/pts/ptmx is there on every system with ptys: a live target.
    const QString liveLink = folder.filePath("live");
    ASSERT_TRUE(QFile::link("/dev/pts/ptmx", liveLink));
    const struct {
        QString path;
        bool refused;
    } cases[] = {
        {folder.filePath("new"), false}, {staleLink, false}, {file, true},
        {folder.path(), true},           {linkToFile, true}, {liveLink, true},
    };
    for (const auto& c : cases) {
        const QString refusal = linkPathRefusal(c.path);
        EXPECT_EQ(!refusal.isEmpty(), c.refused) << c.path.toStdString();
        if (c.refused) {
            EXPECT_TRUE(refusal.startsWith(c.path + " exists")) << refusal.toStdString();
        }
    }
    EXPECT_TRUE(isLinkTo(staleLink, "/dev/pts/987654"));
    EXPECT_FALSE(isLinkTo(staleLink, "/dev/pts/1"));
    EXPECT_FALSE(isLinkTo(file, file));
}

} // namespace
} // namespace brivo
