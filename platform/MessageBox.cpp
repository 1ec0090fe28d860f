#include "platform/MessageBox.h"

#include <utility>

namespace platform {
namespace {
MessageBoxHandler& Handler()
{
    static MessageBoxHandler handler;
    return handler;
}
BeepHandler& Beeper()
{
    static BeepHandler handler;
    return handler;
}
} // namespace

int MessageBeep(unsigned type)
{
    if (Beeper())
        Beeper()(type);
    return 1;
}

BeepHandler SetBeepHandler(BeepHandler handler)
{
    return std::exchange(Beeper(), std::move(handler));
}

int AfxMessageBox(const std::string& text, unsigned type)
{
    if (Handler())
        return Handler()(text, type);
    return (type & 0x0F) == MB_YESNO ? IDNO : IDOK;
}

MessageBoxHandler SetMessageBoxHandler(MessageBoxHandler handler)
{
    return std::exchange(Handler(), std::move(handler));
}
} // namespace platform
