#include "core/krvMsg.h"

#include <cstdio>
#include <utility>

namespace dbtwin {

namespace {
TShowMessageHandler& ShowHandler() {
    static TShowMessageHandler h;
    return h;
}
TProcessMessagesHandler& ProcessHandler() {
    static TProcessMessagesHandler h;
    return h;
}
}  // namespace

void ShowMessage(const std::string& aText) {
    if (ShowHandler()) {
        ShowHandler()(aText);
        return;
    }
    std::fprintf(stderr, "%s\n", aText.c_str());
}

void ProcessMessages() {
    if (ProcessHandler()) ProcessHandler()();
}

TShowMessageHandler SetShowMessageHandler(TShowMessageHandler aHandler) {
    return std::exchange(ShowHandler(), std::move(aHandler));
}

TProcessMessagesHandler SetProcessMessagesHandler(TProcessMessagesHandler aHandler) {
    return std::exchange(ProcessHandler(), std::move(aHandler));
}

}  // namespace dbtwin
