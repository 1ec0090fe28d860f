#pragma once

#include "marketdata/DirectoryCheck.h"
#include "marketdata/Securities.h"

#include <vector>

// The security a finding of the directory check concerns: the one whose price or layout file it
// names (F12.DAT, F300.MWD, F12.DOP), or whose record of MASTER or XMASTER it begins with
// ("record 12 ..."). The index into `securities`, or -1 when it concerns none of them (a file no
// master lists, a header, a <DIR> entry).
int SecurityOfFinding(const std::vector<tavrix::Security>& securities, const tavrix::CheckFinding& finding);
