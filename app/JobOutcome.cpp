#include "app/JobOutcome.h"

std::string DifferingDays(const tavrix::ConversionJob& job)
{
    const std::vector<std::string>& days = job.m_differences;
    std::string text = std::to_string(days.size()) + (days.size() == 1 ? " day differs" : " days differ") +
                       " from the price file:";
    for (std::size_t i = 0; i < days.size() && i < 10; ++i)
        text += "\n" + days[i];
    if (days.size() > 10)
        text += "\nand " + std::to_string(days.size() - 10) + " more.";
    return text;
}
