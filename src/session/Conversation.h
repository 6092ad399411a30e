#pragma once

namespace brivo {

// What holds the link.
enum class Conversation {
    None,
    Connect,
    Upload,
    UploadRaw,
    Identify,
    Status,
    LiveLoop,
    Store,
    Assign,
    // A parameter value or a limit: seven bytes, no answer.
    Send,
    Configuration,
    Firmware,
};

} // namespace brivo
