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
    // Appends the lines, each as log_line would; a console may add them in
    // one step and scroll once.
    virtual void log_lines(const QStringList& lines) {
        for (const QString& line : lines)
            log_line(line);
    }
};

// Keeps lines in memory; used where no console exists (unit tests, tools).
class MemoryLog final : public Log {
  public:
    void log_line(const QString& text) override { lines.append(text); }
    void append_line(const QString& text) override { lines.append(text); }
    void log_lines(const QStringList& more) override { lines.append(more); }
    QStringList lines;
};

} // namespace brivo
