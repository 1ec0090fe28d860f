#include "support/MessageRecorder.h"

#include <gtest/gtest.h>

namespace testing_support {
MessageRecorder::MessageRecorder()
{
    m_previous = platform::SetMessageBoxHandler([this](const std::string& text, unsigned type) {
        texts.push_back(text);
        if ((type & 0x0F) == platform::MB_OK)
            return platform::IDOK;
        if (answers.empty())
        {
            ADD_FAILURE() << "unexpected question: " << text;
            return platform::IDNO;
        }
        const int answer = answers.front();
        answers.pop_front();
        return answer;
    });
}

MessageRecorder::~MessageRecorder()
{
    platform::SetMessageBoxHandler(std::move(m_previous));
}
} // namespace testing_support
