#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tavrix {
// Field order of every price record, settings array and layout line.
enum Field
{
    kFieldDate = 0,
    kFieldOpen,
    kFieldHigh,
    kFieldLow,
    kFieldClose,
    kFieldVolume,
    kFieldOpenInterest,
    kFieldCount
};

// Every name a field goes by, in one table.
struct FieldNames
{
    const char* word;    // in messages: "open interest"
    const char* caption; // in the settings dialog: "Open Int"
    const char* option;  // on the command line: "oi"
    const char* column;  // heading of an exported CSV column: "OpenInterest"
    const char* label;   // in F<n>.DOP: "OI"
    std::uint8_t bit;    // in the field bitset of EMASTER and XMASTER
};

const FieldNames& NamesOf(Field field);
// The field a command-line name stands for; kFieldCount for none.
Field FieldOfOption(const std::string& option);
// "date open high low close", for messages.
std::string FieldWords(const std::vector<Field>& fields);

// The bitset's bit for a time after the date, which has no Field.
constexpr std::uint8_t kBitTime = 0x80;

// What the 4-byte values of a security's price records hold, in record order: the date, a time
// when the security is intraday, then the fields after the date.
struct RecordLayout
{
    std::vector<Field> fields; // date first, in field order; empty when unknown
    bool hasTime = false;
    int fieldCount = 0; // values per record, the time included

    bool Known() const
    {
        return !fields.empty() && fields.front() == kFieldDate &&
               static_cast<int>(fields.size()) + (hasTime ? 1 : 0) == fieldCount;
    }
    // The position of a field's value in a record; -1 when the record lacks it.
    int IndexOf(Field field) const;
    int TimeIndex() const { return hasTime ? 1 : -1; }
    std::uint8_t Bits() const;
};

// The usual fields of a record with this many values when no layout file says otherwise: the
// seven daily fields for 7, and 8 as vendors write intraday records (date, time and the seven).
RecordLayout DefaultLayoutForCount(int fieldCount);
// The layout of a bitset.
RecordLayout LayoutFromBits(std::uint8_t bits);
} // namespace tavrix
