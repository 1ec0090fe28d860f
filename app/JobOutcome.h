#pragma once

#include "engine/ConversionJob.h"

#include <string>

// The job's list of the days that differ, as a question about replacing them shows it.
std::string DifferingDays(const tavrix::ConversionJob& job);
