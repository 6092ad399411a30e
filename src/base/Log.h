#pragma once

#include <QString>
#include <QStringList>

namespace brivo {

// Where the editor writes its trace. The console window is the real sink.
class Log {
  public:
    virtual ~Log() = default;
    // Appends one line and, when the console follows its end, scrolls to it.
    virtual void log_line(const QString& text) = 0;
    // Appends one line without the scroll step.
    virtual void append_line(const QString& text) = 0;
};

// Keeps lines in memory; used where no console exists (unit tests, tools).
class MemoryLog final : public Log {
  public:
    void log_line(const QString& text) override { lines.append(text); }
    void append_line(const QString& text) override { lines.append(text); }
    QStringList lines;
};

} // namespace brivo
