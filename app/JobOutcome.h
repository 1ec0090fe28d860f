#pragma once

#include "engine/JobError.h"

#include <vector>

// What a failed update asks of the user, read from the job's error. The engine tells these cases
// apart only in its texts, so this is the one place that reads them.

// True when the update stopped because stored days differ from the input's, which Update(true)
// would replace: its command-line advice is --replace.
bool DaysDiffer(const tavrix::JobError& error);

// The engine's list of differing days without its closing "Nothing was changed.", which a
// question about changing them would contradict.
std::string DifferingDays(const tavrix::JobError& error);

// The date-format codes that each read every date of the input when the layout could not be told
// from it; empty for any other failure.
std::vector<int> AmbiguousDateFormats(const tavrix::JobError& error);
