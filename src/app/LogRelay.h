#pragma once

#include "base/Log.h"

namespace brivo {

// Hands log lines to the console window once it exists. The main window is
// created first and logs nothing during start-up, so nothing is lost.
class LogRelay final : public Log {
  public:
    void attach(Log* sink) { sink_ = sink; }
    void log_line(const QString& text) override {
        if (sink_)
            sink_->log_line(text);
    }
    void append_line(const QString& text) override {
        if (sink_)
            sink_->append_line(text);
    }
    void log_lines(const QStringList& lines) override {
        if (sink_)
            sink_->log_lines(lines);
    }

  private:
    Log* sink_ = nullptr;
};

} // namespace brivo
