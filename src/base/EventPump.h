#pragma once

namespace brivo {

// Lets pending window events run from inside a handler that waits.
void processPendingEvents();

} // namespace brivo
