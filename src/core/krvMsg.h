// The library's only contact with a host user interface: showing a message and letting the
// host process pending events during long runs. Both are replaceable; the defaults never block.
#pragma once

#include <functional>
#include <string>

namespace dbtwin {

using TShowMessageHandler = std::function<void(const std::string& aText)>;
using TProcessMessagesHandler = std::function<void()>;

// Shows aText to the user. Default: one line on standard error.
void ShowMessage(const std::string& aText);
// Lets the host process its pending events. Default: nothing.
void ProcessMessages();

// Replace the handlers; an empty function restores the default. Return the previous handler.
TShowMessageHandler SetShowMessageHandler(TShowMessageHandler aHandler);
TProcessMessagesHandler SetProcessMessagesHandler(TProcessMessagesHandler aHandler);

}  // namespace dbtwin
