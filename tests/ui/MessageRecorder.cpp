#include "MessageRecorder.h"

#include <gtest/gtest.h>

namespace testing_support {
MessageRecorder::MessageRecorder()
{
    m_previous = ui::SetMessageBoxHandler([this](const std::string& text, const ui::MessageBoxOptions& shown) {
        texts.push_back(text);
        options.push_back(shown);
        if (shown.buttons == ui::Buttons::kOk)
            return ui::Answer::kOk;
        if (answers.empty())
        {
            ADD_FAILURE() << "unexpected question: " << text;
            return ui::Answer::kNo;
        }
        const ui::Answer answer = answers.front();
        answers.pop_front();
        return answer;
    });
}

MessageRecorder::~MessageRecorder()
{
    ui::SetMessageBoxHandler(std::move(m_previous));
}
} // namespace testing_support
