#pragma once

#include "app/MessageBox.h"

#include <deque>
#include <string>
#include <vector>

namespace testing_support {
// Installs itself as the message-box handler for its lifetime and keeps every text shown.
// Questions are answered from the queue; a question with an empty queue fails the test.
class MessageRecorder
{
public:
    MessageRecorder();
    ~MessageRecorder();
    MessageRecorder(const MessageRecorder&) = delete;
    MessageRecorder& operator=(const MessageRecorder&) = delete;

    std::vector<std::string> texts;
    std::vector<ui::MessageBoxOptions> options; // of each box, in order
    std::deque<ui::Answer> answers;

private:
    ui::MessageBoxHandler m_previous;
};
} // namespace testing_support
