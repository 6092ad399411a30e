#include "virtualpedal/IdentityReply.h"

namespace brivo {

std::string identityReplyText(int effectNumber, int effectVersion, int firmwareVersion) {
    std::string text = kPedalIdentityName;
    text += "\r\n";
    for (const int number : {effectNumber, effectVersion, firmwareVersion}) {
        text += std::to_string(number);
        text += "\r\n";
    }
    return text;
}

} // namespace brivo
