#include "base/Guard.h"

#include "base/EditorError.h"

#include <exception>

namespace brivo {

void runGuarded(Dialogs& dialogs, const std::function<void()>& handler) {
    try {
        handler();
    } catch (const EditorError& e) {
        dialogs.showMessage(e.text());
    } catch (const std::exception& e) {
        dialogs.showMessage(QString::fromLocal8Bit(e.what()));
    }
}

} // namespace brivo
