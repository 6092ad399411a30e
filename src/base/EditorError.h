#pragma once

#include <QString>
#include <stdexcept>

namespace brivo {

// An error that ends the command in progress; its text is shown to the user.
class EditorError : public std::runtime_error {
  public:
    explicit EditorError(const QString& text)
        : std::runtime_error(text.toStdString()), text_(text) {}
    const QString& text() const { return text_; }

  private:
    QString text_;
};

} // namespace brivo
