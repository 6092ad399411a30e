#pragma once

#include "base/Dialogs.h"

namespace brivo {

// Real message boxes and file dialogs.
class QtDialogs final : public Dialogs {
  public:
    void showMessage(const QString& text) override;
    bool askYesNo(const QString& text) override;
    QString openFileName(const QString& filter) override;
    QString saveFileName(const QString& filter) override;
};

} // namespace brivo
