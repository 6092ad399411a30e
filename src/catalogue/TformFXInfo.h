#pragma once

#include <QWidget>

class QTextBrowser;

namespace brivo {

// The effect's information page, beside the FX Parameters window.
class TformFXInfo final : public QWidget {
    Q_OBJECT
  public:
    explicit TformFXInfo(QWidget* parent = nullptr);

    QTextBrowser* WebBrowser1 = nullptr;
};

} // namespace brivo
