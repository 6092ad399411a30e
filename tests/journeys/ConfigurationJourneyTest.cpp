// Keeping an effect's settings in a file and putting them back.
#include "EffectCommandsFixture.h"

#include "app/Editor.h"
#include "config/ConfigFile.h"
#include "params/ParamMessages.h"
#include "params/ToggleSwitch.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QSet>
#include <QSlider>
#include <QTimer>

namespace brivo::test {
namespace {

const QString kEffect = QStringLiteral("Fuzz+Octave"); // 4 pots, 2 switches, 1 multi-switch

class ConfigurationJourney : public EffectCommandsJourney {
  protected:
    QString folder() const { return config_folder(h.documents.path()); }
    QString fixedPath() const { return QDir(folder()).filePath(kEffect + ".txt"); }

    static QByteArray read(const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    static void write(const QString& path, const QByteArray& bytes) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }

    // Everything a player sees of the window, and the state behind it (the
    // pots' limits only with `limits`).
    QString snapshot(bool limits = true) {
        QStringList seen;
        const ParamState& p = editor().session.params();
        for (int i = 0; i < static_cast<int>(p.paramCount); ++i) {
            QString row = QString::number(i) + ":";
            if (fx().trkPot(i))
                row += QStringLiteral(" pot %1 min %2/%3/%4 max %5/%6/%7")
                           .arg(fx().trkPot(i)->value())
                           .arg(fx().btnMin(i)->text())
                           .arg(fx().btnMin(i)->isEnabled())
                           .arg(limits ? p.minLimits[i] : 0)
                           .arg(fx().btnMax(i)->text())
                           .arg(fx().btnMax(i)->isEnabled())
                           .arg(limits ? p.maxLimits[i] : 0);
            if (fx().swtSwitch(i))
                row += QStringLiteral(" switch %1 %2")
                           .arg(fx().swtSwitch(i)->isChecked())
                           .arg(fx().lblSwitchState(i)->text());
            if (fx().cmbMultiSwitch(i))
                row += QStringLiteral(" multi %1").arg(fx().cmbMultiSwitch(i)->currentIndex());
            row += QStringLiteral(" box %1 flag %2 reverse %3 value %4")
                       .arg(fx().boxAssign(i)->currentIndex())
                       .arg(p.assignedFlags[i])
                       .arg(fx().chkReverse(i)->isChecked())
                       .arg(i < static_cast<int>(p.statusValues.size()) ? p.statusValues[i] : -9);
            seen.append(row);
        }
        return seen.join('\n');
    }

    // The running effect with pot 0 on EXP and reversed, its limits set from
    // the pot, switch 4 on, the multi-switch on its third option.
    void prepareSettings() {
        uploadOpenAndRequest("Gain", kEffect);
        fx().boxAssign(0)->setCurrentIndex(1);
        fx().chkReverse(0)->setChecked(true);
        h.click(main().btnAssign);
        h.click(main().btnRequest); // shows the limit buttons of the assigned pot
        fx().trkPot(0)->setValue(300);
        h.click(fx().btnMin(0));
        fx().trkPot(0)->setValue(800);
        h.click(fx().btnMax(0));
        fx().trkPot(1)->setValue(640);
        h.click(fx().swtSwitch(4));
        fx().cmbMultiSwitch(6)->setCurrentIndex(2);
        settle();
        // The window as the pedal holds it.
        h.click(main().btnRequest);
        h.dialogs.messages.clear();
    }

    // Moves everything away from what prepareSettings left.
    void changeSettings() {
        fx().trkPot(0)->setValue(10);
        fx().trkPot(1)->setValue(20);
        h.click(fx().swtSwitch(4));
        fx().cmbMultiSwitch(6)->setCurrentIndex(0);
        fx().boxAssign(0)->setCurrentIndex(3);
        fx().boxAssign(2)->setCurrentIndex(4);
        fx().chkReverse(0)->setChecked(false);
        fx().btnMin(0)->setText("7%");
        settle();
    }
};

TEST_F(ConfigurationJourney, MenuItemsAreOfferedWhileTheRunningEffectsWindowIsBuilt) {
    QList<QAction*> items = {main().menuSaveConfiguration, main().menuLoadConfiguration,
                             main().menuSaveConfigurationAs, main().menuLoadConfigurationFrom};
    const auto states = [&items] {
        QString s;
        for (QAction* item : items)
            s += QString::number(item->isVisible()) + QString::number(item->isEnabled());
        return s;
    };
    EXPECT_EQ(states(), "10101010");
    h.clickCategory("Gain");
    h.clickEffect(kEffect); // shown, but the pedal runs nothing
    EXPECT_EQ(states(), "10101010");
    uploadAndOpen("Gain", kEffect);
    EXPECT_EQ(states(), "11111111");
    h.clickEffect("Clean Boost");
    EXPECT_EQ(states(), "10101010");
    h.click(main().btnOpenEffect);
    EXPECT_EQ(states(), "11111111");
    fx().close();
    EXPECT_EQ(states(), "10101010");
    h.click(main().btnOpenEffect);
    h.trigger(main().menuDisconnect);
    EXPECT_EQ(states(), "10101010");
}

TEST_F(ConfigurationJourney, SaveWritesThePedalsSettingsAndLoadPutsThemBackWithoutDrift) {
    prepareSettings();
    const QString before = snapshot();
    const QString seen = snapshot(false);
    h.trigger(main().menuSaveConfiguration);
    EXPECT_EQ(h.dialogs.messages, QStringList{"FX Configuration File Saved"});
    EXPECT_EQ(snapshot(), before);
    const QByteArray saved = read(fixedPath());
    const QList<QByteArray> lines = saved.split('\n');
    ASSERT_EQ(lines.size(), 3 * 7 + 2 * 4 + 1) << saved.toStdString();
    EXPECT_TRUE(saved.endsWith("\r\n"));
    EXPECT_EQ(lines.mid(0, 7),
              (QList<QByteArray>{"800\r", "640\r", "0\r", "0\r", "1023\r", "0\r", "512\r"}))
        << saved.toStdString();
    EXPECT_EQ(lines.mid(7, 7),
              (QList<QByteArray>{"EXP\r", "NA\r", "NA\r", "NA\r", "NA\r", "NA\r", "NA\r"}));
    EXPECT_EQ(lines.mid(14, 7),
              (QList<QByteArray>{"T\r", "F\r", "F\r", "F\r", "F\r", "F\r", "F\r"}));
    // Pot 0's limits as its buttons showed them; the others cleared.
    EXPECT_EQ(lines[21], fx().btnMin(0)->text().chopped(1).toLatin1() + "\r");
    EXPECT_EQ(lines[25], fx().btnMax(0)->text().chopped(1).toLatin1() + "\r");
    EXPECT_EQ(lines.mid(22, 3), (QList<QByteArray>{"1\r", "1\r", "1\r"}));
    EXPECT_EQ(lines.mid(26, 3), (QList<QByteArray>{"100\r", "100\r", "100\r"}));

    changeSettings();
    h.dialogs.messages.clear();
    const std::size_t from = mark();
    h.trigger(main().menuLoadConfiguration);
    settle();

    EXPECT_EQ(h.dialogs.messages, QStringList{"FX Configuration File Loaded"});
    // The same percentages on the buttons, on limits the pedal's steps keep.
    EXPECT_EQ(snapshot(false), seen);
    const ParamState& p = editor().session.params();
    EXPECT_EQ(p.minLimits[0], limit_of_percent(lines[21].trimmed().toInt(), LimitKind::Minimum));
    EXPECT_EQ(p.maxLimits[0], limit_of_percent(lines[25].trimmed().toInt(), LimitKind::Maximum));
    // The pedal gets the moved pots, the switch, the multi-switch and pot 0's limits.
    const QStringList writes = writesSince(from);
    EXPECT_TRUE(writes.contains("060000" + value_word_hex(static_cast<int>(p.minLimits[0]))))
        << writes.join(' ').toStdString();
    EXPECT_TRUE(writes.contains("060100" + value_word_hex(static_cast<int>(p.maxLimits[0]))));
    EXPECT_EQ(pedal->parameterValue(0), 800);
    EXPECT_EQ(pedal->parameterValue(1), 640);
    EXPECT_EQ(pedal->parameterValue(4), 1023);
    EXPECT_EQ(pedal->parameterValue(6), 512);
    EXPECT_EQ(pedal->minLimit(0), static_cast<int>(p.minLimits[0]));
    EXPECT_EQ(pedal->maxLimit(0), static_cast<int>(p.maxLimits[0]));

    // What the pedal now holds, read back and saved again, is the same file.
    // The limits are those the load chose, not those set before the save
    // (300 became 296 on the pedal; 29% loads as 288).
    h.click(main().btnRequest);
    EXPECT_EQ(snapshot(false), seen);
    EXPECT_EQ(p.minLimits[0], limit_of_percent(lines[21].trimmed().toInt(), LimitKind::Minimum));
    h.dialogs.messages.clear();
    h.trigger(main().menuSaveConfiguration);
    EXPECT_EQ(h.dialogs.messages, QStringList{"FX Configuration File Saved"});
    EXPECT_EQ(read(fixedPath()), saved);
}

TEST_F(ConfigurationJourney, EveryLimitThePedalHoldsComesBackByteForByte) {
    uploadOpenAndRequest("Gain", kEffect);
    for (int j = 0; j < 3; ++j)
        fx().boxAssign(j)->setCurrentIndex(j);
    h.click(main().btnAssign);
    h.click(main().btnRequest);
    const auto setLimit = [this](int j, QPushButton* button, int position) {
        fx().trkPot(j)->setValue(position);
        h.click(button);
    };
    QSet<int> minSeen;
    QSet<int> maxSeen;
    // Every step of the pedal's limits, set with the pots: pot 0 its minimum,
    // pot 1 its maximum, pot 2 both at once.
    for (int step = 0; step <= 128; ++step) {
        const int position = std::min(step * 8, 1023);
        setLimit(2, fx().btnClearMinMax(2), 0);
        setLimit(0, fx().btnMin(0), position);
        setLimit(1, fx().btnMax(1), position);
        setLimit(2, fx().btnMax(2), position);
        setLimit(2, fx().btnMin(2), position);
        settle();
        h.dialogs.messages.clear();
        h.trigger(main().menuSaveConfiguration);
        const QByteArray first = read(fixedPath());
        h.trigger(main().menuLoadConfiguration);
        settle();
        h.click(main().btnRequest);
        h.trigger(main().menuSaveConfiguration);
        ASSERT_EQ(h.dialogs.messages,
                  (QStringList{"FX Configuration File Saved", "FX Configuration File Loaded",
                               "FX Configuration File Saved"}))
            << position;
        ASSERT_EQ(read(fixedPath()), first) << "limits set at " << position;
        const QList<QByteArray> lines = first.split('\n');
        minSeen << lines[21].trimmed().toInt() << lines[23].trimmed().toInt();
        maxSeen << lines[26].trimmed().toInt() << lines[27].trimmed().toInt();
    }
    // Every percentage a minimum can have, and every maximum but 1%: the
    // pedal's lowest maximum is 16, 2%.
    QSet<int> all;
    for (int percent = 1; percent <= 100; ++percent)
        all << percent;
    EXPECT_EQ(minSeen, all);
    all.remove(1);
    EXPECT_EQ(maxSeen, all);

    // A file's maximum of 1% (written by hand, or before a status was read)
    // loads as the pedal's lowest maximum, shown as it holds it.
    QList<QByteArray> lines = read(fixedPath()).split('\n');
    lines[21] = "1\r";
    lines[25] = "1\r";
    write(fixedPath(), lines.join('\n'));
    h.dialogs.messages.clear();
    h.trigger(main().menuLoadConfiguration);
    settle();
    EXPECT_EQ(h.dialogs.messages, QStringList{"FX Configuration File Loaded"});
    EXPECT_EQ(fx().btnMin(0)->text(), "1%");
    EXPECT_EQ(fx().btnMax(0)->text(), "2%");
    EXPECT_EQ(pedal->maxLimit(0), 16);
    h.click(main().btnRequest);
    EXPECT_EQ(fx().btnMax(0)->text(), "2%");
}

TEST_F(ConfigurationJourney, AWrongFileIsRefusedWholeAndChangesNothing) {
    prepareSettings();
    h.trigger(main().menuSaveConfiguration);
    const QList<QByteArray> good = read(fixedPath()).split('\n');
    changeSettings();
    struct Case {
        const char* name;
        int line;        // from 1; 0 cuts the file after `count` lines
        QByteArray text; // the line's new text
        int badLine;
    };
    const Case cases[] = {
        {"a value that is no number", 2, "abc", 2},
        {"a late value that is no number", 7, "", 7},
        {"an unknown controller", 8, "PEDAL", 8},
        {"a limit of 0", 26, "0", 26},
        {"a limit below 1", 29, "-3", 29},
        {"a file cut short", 0, "20", 21},
        {"a multi-switch below its first option", 7, "-342", 7},
    };
    for (const Case& c : cases) {
        QList<QByteArray> lines = good;
        if (c.line == 0)
            lines = lines.mid(0, c.text.toInt()) + QList<QByteArray>{""};
        else
            lines[c.line - 1] = c.text + "\r";
        write(fixedPath(), lines.join('\n'));
        const QString before = snapshot();
        h.dialogs.messages.clear();
        const std::size_t from = mark();

        h.trigger(main().menuLoadConfiguration);
        settle();

        ASSERT_EQ(h.dialogs.messages.size(), 1) << c.name;
        const QString message = h.dialogs.messages.first();
        EXPECT_TRUE(message.contains(QDir::toNativeSeparators(fixedPath()))) << c.name;
        EXPECT_TRUE(message.contains(QStringLiteral("line %1 ").arg(c.badLine)))
            << c.name << ": " << message.toStdString();
        EXPECT_EQ(snapshot(), before) << c.name;
        EXPECT_EQ(writesSince(from), QStringList()) << c.name;
    }
    // A file of an effect with other counts: refused the same way.
    write(fixedPath(), good.join('\n') + "1\r\n");
    h.dialogs.messages.clear();
    h.trigger(main().menuLoadConfiguration);
    ASSERT_EQ(h.dialogs.messages.size(), 1);
    EXPECT_TRUE(h.dialogs.messages.first().contains("another effect"));
}

TEST_F(ConfigurationJourney, NothingIsSavedWhenThePedalsSettingsCannotBeRead) {
    prepareSettings();
    write(fixedPath(), "earlier file");
    pedal->setSilent(true);
    h.trigger(main().menuSaveConfiguration);
    ASSERT_EQ(h.dialogs.messages.size(), 1) << h.dialogs.messages.join('|').toStdString();
    EXPECT_TRUE(h.dialogs.messages.first().contains("The configuration was not saved"));
    EXPECT_EQ(read(fixedPath()), "earlier file");
    EXPECT_TRUE(main().menuSaveConfiguration->isEnabled());
}

TEST_F(ConfigurationJourney, AFailedWriteKeepsThePreviousFileWhole) {
    prepareSettings();
    // The file system takes this name but not the temporary name beside it,
    // so the new content cannot be made whole before it replaces the old.
    const QString longPath = QDir(folder()).filePath(QString(250, 'c'));
    write(longPath, "earlier file");
    h.dialogs.saveFiles.push_back(longPath);
    h.trigger(main().menuSaveConfigurationAs);
    ASSERT_EQ(h.dialogs.messages.size(), 1);
    EXPECT_TRUE(h.dialogs.messages.first().startsWith("Error saving file: "))
        << h.dialogs.messages.first().toStdString();
    EXPECT_EQ(read(longPath), "earlier file");
    EXPECT_EQ(QDir(folder()).entryList(QDir::Files), QStringList{QString(250, 'c')});
}

TEST_F(ConfigurationJourney, FilesOfThePlayersChoiceAreSavedAndLoadedFromTheBrivoFolder) {
    prepareSettings();
    const QString seen = snapshot(false);
    const QString chosen = QDir(folder()).filePath("crunchy.txt");
    h.dialogs.saveFiles.push_back(chosen);
    h.trigger(main().menuSaveConfigurationAs);
    EXPECT_EQ(h.dialogs.messages, QStringList{"FX Configuration File Saved"});
    EXPECT_EQ(h.dialogs.fileFolders.last(), folder());
    EXPECT_EQ(h.dialogs.proposedNames.last(), kEffect + ".txt");
    EXPECT_FALSE(QFile::exists(fixedPath()));

    changeSettings();
    h.dialogs.messages.clear();
    h.trigger(main().menuLoadConfiguration);
    EXPECT_EQ(h.dialogs.messages,
              QStringList{"No configuration file has been saved for " + kEffect});
    h.dialogs.messages.clear();
    h.trigger(main().menuLoadConfigurationFrom); // cancelled
    EXPECT_TRUE(h.dialogs.messages.isEmpty());
    h.dialogs.files.push_back(chosen);
    h.trigger(main().menuLoadConfigurationFrom);
    EXPECT_EQ(h.dialogs.messages, QStringList{"FX Configuration File Loaded"});
    EXPECT_EQ(h.dialogs.fileFolders.last(), folder());
    EXPECT_EQ(snapshot(false), seen);
}

} // namespace
} // namespace brivo::test

namespace brivo::test {
namespace {

// In live mode a load ends the loop first, so the file's values reach the
// pedal and the next poll cannot overwrite them; a save reads the pedal
// instead of failing as busy.
TEST_F(ConfigurationJourney, LoadAndSaveInLiveModeEndTheLoopFirst) {
    prepareSettings();
    h.trigger(main().menuSaveConfiguration);
    ASSERT_EQ(h.dialogs.messages, QStringList{"FX Configuration File Saved"});
    const QByteArray saved = read(fixedPath());
    changeSettings();
    ASSERT_EQ(pedal->parameterValue(1), 20);
    h.dialogs.messages.clear();
    clearConsole();

    const std::size_t from = mark();
    QTimer hook;
    hook.setInterval(0);
    QObject::connect(&hook, &QTimer::timeout, [&] {
        if (writesSince(from).filter(QRegularExpression("^02..$")).size() >= 1) {
            hook.stop();
            h.trigger(main().menuLoadConfiguration);
        }
    });
    hook.start();
    h.click(main().chkLiveRequest);

    EXPECT_EQ(h.dialogs.messages, QStringList{"FX Configuration File Loaded"});
    EXPECT_FALSE(editor().session.liveLoopRunning());
    EXPECT_FALSE(main().chkLiveRequest->isChecked());
    EXPECT_EQ(
        h.consoleLines()
            .filter("Live Request switched off: Configuration follows the request in progress")
            .size(),
        1);
    // Every value of the file went out after the loop's last request.
    EXPECT_EQ(pedal->parameterValue(1), 640);
    EXPECT_EQ(fx().trkPot(1)->value(), 640);

    // A save while live reads the pedal and writes the same file.
    h.dialogs.messages.clear();
    QTimer saveHook;
    saveHook.setInterval(0);
    const std::size_t again = mark();
    QObject::connect(&saveHook, &QTimer::timeout, [&] {
        if (writesSince(again).filter(QRegularExpression("^02..$")).size() >= 1) {
            saveHook.stop();
            h.trigger(main().menuSaveConfiguration);
        }
    });
    saveHook.start();
    h.click(main().chkLiveRequest);
    EXPECT_EQ(h.dialogs.messages, QStringList{"FX Configuration File Saved"});
    EXPECT_EQ(QString::fromLatin1(read(fixedPath())).toStdString(),
              QString::fromLatin1(saved).toStdString());
}

} // namespace
} // namespace brivo::test

namespace brivo::test {
namespace {

// A load that fails part-way ends at its first failed send with one message
// that names what was sent and what was not, and the window shows the
// settings as sent: the loaded value that went, the earlier ones for those
// that did not.
TEST_F(ConfigurationJourney, ALoadThatFailsPartWayEndsWithOneMessageAndTheWindowAsSent) {
    prepareSettings();
    h.trigger(main().menuSaveConfiguration);
    changeSettings();
    h.click(main().btnRequest); // the window as the pedal holds it now
    h.dialogs.messages.clear();
    const QString minText = fx().btnMin(0)->text();
    const std::uint32_t minLimit = editor().session.params().minLimits[0];
    const std::size_t from = mark();

    // The load sends pot 0, pot 1, switch 4, the multi-switch, then pot 0's
    // limits; the cable goes as pot 1's value is written.
    pedal->unplugAtWrite(2);
    h.trigger(main().menuLoadConfiguration);
    settle();

    ASSERT_EQ(h.dialogs.messages.size(), 1) << h.dialogs.messages.join('|').toStdString();
    const ParamState& p = editor().session.params();
    const QString message = h.dialogs.messages.first();
    EXPECT_EQ(message.toStdString(),
              QStringLiteral("The configuration file was loaded only in part: the link failed "
                             "(FT_Write - General IO error...). Sent to the pedal: %1. Not sent: "
                             "%2, %3, %4, %1 minimum, %1 maximum. The window shows the settings as "
                             "sent; load the file again once the pedal is connected.")
                  .arg(p.paramNames[0], p.paramNames[1], p.paramNames[4], p.paramNames[6])
                  .toStdString());
    // Pot 0's value went to the bridge before the cable went; nothing after.
    EXPECT_EQ(writesSince(from).size(), 1);
    EXPECT_EQ(pedal->parameterValue(1), 20);
    EXPECT_EQ(fx().trkPot(0)->value(), 800);
    EXPECT_EQ(fx().trkPot(1)->value(), 20);
    EXPECT_FALSE(fx().swtSwitch(4)->isChecked());
    EXPECT_EQ(fx().lblSwitchState(4)->text(), p.switchTexts[0][4]);
    EXPECT_EQ(fx().cmbMultiSwitch(6)->currentIndex(), 0);
    EXPECT_EQ(fx().btnMin(0)->text(), minText);
    EXPECT_EQ(p.minLimits[0], minLimit);
    EXPECT_EQ(p.statusValues[1], 20);
    EXPECT_FALSE(editor().session.busy());
    // The port is gone: the window says so rather than "connected".
    EXPECT_FALSE(editor().session.isConnected());
    EXPECT_FALSE(main().btnRequest->isEnabled());
}

} // namespace
} // namespace brivo::test
