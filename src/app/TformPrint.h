#pragma once

#include "base/Log.h"

#include <QWidget>

class QCheckBox;
class QPlainTextEdit;
class QPushButton;

namespace brivo {

// The diagnostic console, "Print Console": the trace of everything the
// editor does, kept in memory for the whole run.
class TformPrint final : public QWidget, public Log {
    Q_OBJECT
  public:
    explicit TformPrint(QWidget* parent = nullptr);

    void log_line(const QString& text) override;
    void append_line(const QString& text) override;

    QStringList lines() const;
    bool autoScroll() const { return autoScroll_; }

    QPlainTextEdit* Memo1 = nullptr;
    QPushButton* btnClear = nullptr;
    QCheckBox* CheckBox1 = nullptr;
    QPushButton* btnScrollTop = nullptr;

  private:
    void FormCreate();
    void btnClearClick();
    void btnScrollTopClick();
    void CheckBox1Change();
    void scrollToEnd();

    bool autoScroll_ = false;
    // An empty document cannot tell "no line" from "one empty line".
    int lineCount_ = 0;
};

} // namespace brivo
