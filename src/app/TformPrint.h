#pragma once

#include "base/Log.h"

#include <QWidget>

class QCheckBox;
class QPlainTextEdit;
class QPushButton;

namespace brivo {

// The diagnostic console, "Print Console": the trace of everything the
// editor does, kept in memory for the whole run.
class Dialogs;

// The console keeps this many of the most recent lines: live editing adds
// some 300 a poll, and an evening of it must not fill the memory.
constexpr int kConsoleMaxLines = 200000;

class TformPrint final : public QWidget, public Log {
    Q_OBJECT
  public:
    explicit TformPrint(Dialogs& dialogs, QWidget* parent = nullptr,
                        int maxLines = kConsoleMaxLines);

    void log_line(const QString& text) override;
    void append_line(const QString& text) override;
    void log_lines(const QStringList& lines) override;

    QStringList lines() const;
    bool autoScroll() const { return autoScroll_; }

    QPlainTextEdit* Memo1 = nullptr;
    QPushButton* btnClear = nullptr;
    QCheckBox* CheckBox1 = nullptr;
    QPushButton* btnScrollTop = nullptr;
    QPushButton* btnSave = nullptr;
    QPushButton* btnCopyAll = nullptr;

    // The line that says older lines were dropped.
    QString droppedLinesNotice() const;

  private:
    void FormCreate();
    void btnClearClick();
    void btnScrollTopClick();
    void CheckBox1Change();
    void btnSaveClick();
    void btnCopyAllClick();
    void scrollToEnd();
    void addLine(const QString& text);

    Dialogs& dialogs_;
    const int maxLines_;
    bool autoScroll_ = false;
    // An empty document cannot tell "no line" from "one empty line".
    int lineCount_ = 0;
    // Whether a notice of dropped lines is still in view, and how many lines
    // were dropped since it was written (once that many, it is gone too).
    bool noticeKept_ = false;
    int droppedSinceNotice_ = 0;
};

} // namespace brivo
