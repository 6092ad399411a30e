// A connected editor on one virtual pedal, with the steps the effect-command
// journeys share: upload an effect, open it, read what the pedal received.
#pragma once

#include "app/TformMain.h"
#include "app/TformPrint.h"
#include "catalogue/Resources.h"
#include "link/HexText.h"
#include "params/TformFXParameters.h"
#include "support/EditorHarness.h"

#include <QFile>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <cstdint>
#include <gtest/gtest.h>
#include <vector>

namespace brivo::test {

using Bytes = std::vector<std::uint8_t>;

inline Bytes bytesOfHex(const QString& hex) {
    const QByteArray bytes = hex_to_byte_string(hex);
    return Bytes(bytes.begin(), bytes.end());
}

inline QString hexOf(const Bytes& bytes) {
    return bytes_to_hex_text(bytes.data(), static_cast<int>(bytes.size()));
}

// Another program's bytes on the pedal's line, written as they stand.
inline void writeRaw(Editor& editor, const Bytes& bytes) {
    D2XXUnit& device = editor.session.device();
    std::copy(bytes.begin(), bytes.end(), device.txBuffer.begin());
    device.WriteFTDevice(static_cast<DWORD>(bytes.size()));
}
inline void writeRaw(Editor& editor, const QString& hex) {
    Bytes bytes(static_cast<std::size_t>(hex.size() / 2));
    hex_text_to_bytes(hex, bytes.data(), static_cast<int>(bytes.size()));
    writeRaw(editor, bytes);
}

// The program bytes of a catalogue effect, as its resource holds them.
inline Bytes programOf(const QString& resourceName) {
    return bytesOfHex(resources::load_resource_lines(resourceName).value(0));
}

inline QStringList listTexts(const QListWidget* list) {
    QStringList texts;
    for (int i = 0; i < list->count(); ++i)
        texts.append(list->item(i)->text());
    return texts;
}

class EffectCommandsJourney : public ::testing::Test {
  protected:
    void SetUp() override {
        pedal = h.plugPedal();
        h.start();
        h.connect();
    }

    TformMain& main() { return h.main(); }
    TformFXParameters& fx() { return h.fxParameters(); }
    Editor& editor() { return h.editor(); }
    void clearConsole() { h.console().btnClear->click(); }

    void upload(const QString& category, const QString& effect) {
        h.clickCategory(category);
        h.clickEffect(effect);
        h.click(main().btnUpload);
    }
    // Uploads the effect and opens it, as a player starts a session.
    void uploadAndOpen(const QString& category, const QString& effect) {
        upload(category, effect);
        h.click(main().btnOpenEffect);
        ASSERT_TRUE(h.dialogs.messages.isEmpty()) << h.dialogs.messages.join('|').toStdString();
        ASSERT_EQ(fx().windowTitle().section(QStringLiteral(" v"), 0, 0), effect);
    }
    void uploadOpenAndRequest(const QString& category, const QString& effect) {
        uploadAndOpen(category, effect);
        h.click(main().btnRequest);
        ASSERT_TRUE(h.dialogs.messages.isEmpty()) << h.dialogs.messages.join('|').toStdString();
    }

    // Lets the bytes just written travel the line and the pedal act on them.
    void settle() { h.clock.advanceMs(20); }

    // Where the pedal's record of writes stands now.
    std::size_t mark() const { return pedal->writesReceived().size(); }
    // Every write the pedal took since `from`, as hex text.
    QStringList writesSince(std::size_t from) const {
        QStringList writes;
        const auto& all = pedal->writesReceived();
        for (std::size_t i = from; i < all.size(); ++i)
            writes.append(hexOf(all[i].bytes));
        return writes;
    }

    EditorHarness h;
    std::shared_ptr<VirtualPedal> pedal;
};

// Raw program files written to a scratch folder, for the raw upload.
class RawUpload : public EffectCommandsJourney {
  protected:
    QString writeFile(const QByteArray& content) {
        const QString path = folder.filePath("program.hex");
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
        return path;
    }
    QTemporaryDir folder;
};

} // namespace brivo::test
