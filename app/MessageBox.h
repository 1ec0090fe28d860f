#pragma once

#include <functional>
#include <string>

// The desktop program's one seam for message boxes: Qt shows them, tests answer them.
namespace ui {
enum class Buttons
{
    kOk,
    kYesNo,
};

enum class Icon
{
    kNone,
    kInformation,
    kWarning,
    kError,
    kQuestion,
};

enum class Answer
{
    kOk,
    kYes,
    kNo,
};

struct MessageBoxOptions
{
    Buttons buttons = Buttons::kOk;
    Icon icon = Icon::kNone;
    Answer defaultAnswer = Answer::kYes; // for a question
    std::string details;                 // behind "Show Details..."; "" for none
};

using MessageBoxHandler = std::function<Answer(const std::string& text, const MessageBoxOptions& options)>;

// Shows a message through the installed handler; with none installed the answer is kOk, or the
// default answer of a question, so code never blocks on a missing window.
Answer AfxMessageBox(const std::string& text, const MessageBoxOptions& options = {});
Answer AfxMessageBox(const std::string& text, Icon icon);
// A Yes/No question; true for Yes.
bool AskYesNo(const std::string& text, Answer defaultAnswer = Answer::kYes, const std::string& details = "");

// Installs a handler and returns the previous one.
MessageBoxHandler SetMessageBoxHandler(MessageBoxHandler handler);

// Plays the system sound for a kind of message; silent until a handler is installed.
using BeepHandler = std::function<void(Icon icon)>;
void MessageBeep(Icon icon);
BeepHandler SetBeepHandler(BeepHandler handler);
} // namespace ui
