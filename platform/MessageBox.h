#pragma once

#include <functional>
#include <string>

namespace platform {
// Button and icon flags, with the values the framework used, so callers read as before.
constexpr unsigned MB_OK = 0x0000;
constexpr unsigned MB_YESNO = 0x0004;
constexpr unsigned MB_ICONERROR = 0x0010;
constexpr unsigned MB_ICONQUESTION = 0x0020;
constexpr unsigned MB_ICONWARNING = 0x0030;
constexpr unsigned MB_ICONINFORMATION = 0x0040;

constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr int IDYES = 6;
constexpr int IDNO = 7;

using MessageBoxHandler = std::function<int(const std::string& text, unsigned type)>;

// Shows a message through the installed handler; with none installed the text goes nowhere and
// the answer is IDOK (or IDNO for a question), so library code never blocks on a missing UI.
int AfxMessageBox(const std::string& text, unsigned type = MB_OK);

// Installs a handler and returns the previous one.
MessageBoxHandler SetMessageBoxHandler(MessageBoxHandler handler);

// Plays the system sound for a kind of message (MB_ICONINFORMATION for success); silent until a
// handler is installed. Returns nonzero, as the Windows call does.
using BeepHandler = std::function<void(unsigned type)>;
int MessageBeep(unsigned type);
BeepHandler SetBeepHandler(BeepHandler handler);
} // namespace platform
