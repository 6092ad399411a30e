#pragma once

#include "base/Dialogs.h"
#include "base/Log.h"

#include <QStringList>
#include <QTextStream>

namespace brivo::cli {

// The session's console: copied to the error output with --verbose.
class CliLog final : public Log {
  public:
    explicit CliLog(QTextStream& err) : err_(err) {}
    void log_line(const QString& text) override { line(text); }
    void append_line(const QString& text) override { line(text); }
    bool verbose = false;
    // Set during a raw upload: the pedal's answer reaches only the console.
    QString* received = nullptr;

  private:
    void line(const QString& text) {
        static const QString kReceived = QStringLiteral("received: ");
        if (received != nullptr && text.startsWith(kReceived))
            *received += text.mid(kReceived.size());
        if (verbose) {
            err_ << text << '\n';
            err_.flush();
        }
    }
    QTextStream& err_;
};

// The firmware upgrade speaks through message boxes: here they are kept as
// lines until the outcome tells whether they report success or failure.
class CliDialogs final : public Dialogs {
  public:
    void showMessage(const QString& text) override { messages.append(text); }
    // Nothing asks; a question would be answered with the safer No.
    bool askYesNo(const QString&) override { return false; }
    QString openFileName(const QString&, const QString&) override { return {}; }
    QString saveFileName(const QString&, const QString&, const QString&) override { return {}; }
    QStringList messages;
};

} // namespace brivo::cli
