#include "platform/MessageBox.h"

#include <utility>

namespace platform
{
namespace
{
MessageBoxHandler& Handler()
{
    static MessageBoxHandler handler;
    return handler;
}
} // namespace

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
