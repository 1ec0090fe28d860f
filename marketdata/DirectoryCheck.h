#pragma once

#include "marketdata/Fields.h"

#include <string>
#include <vector>

namespace tavrix {
struct CheckFinding
{
    // A problem is a fault in the directory; a note tells of something some readers show
    // differently from what the directory means, though nothing is wrong with it.
    bool note = false;
    std::string file; // the path of the file concerned
    std::string text;
};

struct CheckResult
{
    std::vector<CheckFinding> findings; // in the order found: directory by directory, file by file
    int directories = 0;
    int securities = 0; // in MASTER and XMASTER files
    int Problems() const;
    int Notes() const;
};

// Reads a directory tree (MASTER, EMASTER, XMASTER, price and layout files, <DIR> entries) and
// reports what is wrong with it, changing nothing. What vendor files always do is sound: file-type
// bytes in either order, a second header counter holding the highest file number, records out of
// file-number order, no F<n>.DOP files, 8-field intraday securities.
CheckResult CheckDirectoryTree(const std::string& directory);

// How readers that decide a record's fields from its field count (ignoring F<n>.DOP) show these
// fields (in record order), e.g. "readers that go by the field count show \"date high low close
// volume\", \"date open high low close\" or refuse it"; "" when those readers show these fields.
std::string MisreadFieldsNote(const std::vector<Field>& fields, char period = 'D');
} // namespace tavrix
