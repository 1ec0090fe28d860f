#include "app/MessageBox.h"

#include <utility>

namespace ui {
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

void MessageBeep(Icon icon)
{
    if (Beeper())
        Beeper()(icon);
}

BeepHandler SetBeepHandler(BeepHandler handler)
{
    return std::exchange(Beeper(), std::move(handler));
}

Answer AfxMessageBox(const std::string& text, const MessageBoxOptions& options)
{
    if (Handler())
        return Handler()(text, options);
    return options.buttons == Buttons::kYesNo ? options.defaultAnswer : Answer::kOk;
}

Answer AfxMessageBox(const std::string& text, Icon icon)
{
    MessageBoxOptions options;
    options.icon = icon;
    return AfxMessageBox(text, options);
}

bool AskYesNo(const std::string& text, Answer defaultAnswer, const std::string& details)
{
    MessageBoxOptions options;
    options.buttons = Buttons::kYesNo;
    options.icon = Icon::kQuestion;
    options.defaultAnswer = defaultAnswer;
    options.details = details;
    return AfxMessageBox(text, options) == Answer::kYes;
}

MessageBoxHandler SetMessageBoxHandler(MessageBoxHandler handler)
{
    return std::exchange(Handler(), std::move(handler));
}
} // namespace ui
