#include "exchange/RosterPush.h"

#include "exchange/Protocol.h"
#include "text/CodePage.h"

namespace veltrano {

Text emptyRosterMessage() {
    return utf8ToCodePage936("请复制电子表格的学生名册到名册框里！");
}

Text phoneNotConnectedMessage() {
    return utf8ToCodePage936("手机未连接！");
}

RosterPushResult sendRoster(const Text& roster, const ExchangeState& state, Endpoint& endpoint,
                            const ShowMessage& showMessage) {
    if (roster.empty()) {
        showMessage(emptyRosterMessage());
        return RosterPushResult::Refused;
    }
    if (state.clientAddress().empty()) {
        showMessage(phoneNotConnectedMessage());
        return RosterPushResult::Refused;
    }
    Bytes message;
    message.reserve(kRosterStartMarker.size() + roster.size() + kRosterEndMarker.size());
    message.append(kRosterStartMarker).append(roster).append(kRosterEndMarker);
    return endpoint.sendData(state.clientAddress(), message) ? RosterPushResult::Sent
                                                             : RosterPushResult::PhoneGone;
}

}  // namespace veltrano
