#include "marketdata/FieldLayout.h"

#include "platform/FileOps.h"

#include <cstring>

namespace tavrix {
namespace {
// A layout file of every field, with blanks and longer line ends to spare.
constexpr std::size_t kMaxLayoutFileBytes = 1024;
} // namespace

std::string FieldLayoutText(const std::vector<Field>& fields)
{
    std::string text;
    for (const Field field : fields)
        text += std::string("\"") + NamesOf(field).label + (field == kFieldDate ? "\",0,0\r\n" : "\",4,4\r\n");
    return text;
}

std::string ReadFieldLayoutFile(const std::string& path, std::vector<Field>* fields)
{
    fields->clear();
    std::vector<std::uint8_t> bytes;
    const std::string error = platform::ReadRegularFile(path, kMaxLayoutFileBytes, &bytes);
    if (!error.empty())
        return error;
    const std::string text(bytes.begin(), bytes.end());
    std::size_t start = 0;
    while (start < text.size())
    {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        const std::string line = text.substr(start, end - start);
        start = end + 1;
        const std::size_t open = line.find('"');
        const std::size_t close = open == std::string::npos ? open : line.find('"', open + 1);
        if (close == std::string::npos)
        {
            if (line.find_first_not_of(" \t\r") == std::string::npos)
                continue;
            return "a line names no field";
        }
        const std::string label = line.substr(open + 1, close - open - 1);
        int found = -1;
        for (int field = 0; field < kFieldCount; ++field)
            if (label == NamesOf(static_cast<Field>(field)).label)
                found = field;
        if (found < 0 || fields->size() >= kFieldCount)
            return "a line names no field";
        fields->push_back(static_cast<Field>(found));
    }
    return fields->empty() ? "it names no field" : "";
}

RecordLayout MasterRecordLayout(const std::string& directory, const MasterRecord& record)
{
    const int count = record[kRecFieldCount];
    std::vector<Field> fields;
    const std::string name = platform::FindNameNoCase(directory, "F" + std::to_string(record[kRecFileNumber]) + ".DOP");
    if (!name.empty() && ReadFieldLayoutFile(platform::JoinPath(directory, name), &fields).empty() &&
        static_cast<int>(fields.size()) == count)
    {
        RecordLayout layout;
        layout.fields = fields;
        layout.fieldCount = count;
        return layout;
    }
    return DefaultLayoutForCount(count);
}
} // namespace tavrix
