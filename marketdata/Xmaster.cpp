#include "marketdata/Xmaster.h"

#include "marketdata/Bytes.h"
#include "marketdata/Master.h"

#include <algorithm>

namespace tavrix {
bool HasXmasterSignature(const XmasterRecord& header)
{
    return ByteReader(header).Get32(kXmSignature) == 0x4D58FE5Du;
}

std::uint16_t XmasterCount(const XmasterRecord& header)
{
    return ByteReader(header).Get16(kXmCount);
}

std::uint16_t XmasterCount2(const XmasterRecord& header)
{
    return ByteReader(header).Get16(kXmCount2);
}

std::uint16_t XmasterNextNumber(const XmasterRecord& header)
{
    return ByteReader(header).Get16(kXmNextNumber);
}

int XmasterFileNumber(const XmasterRecord& record)
{
    return ByteReader(record).Get16(kXmFileNumber);
}

std::string XmasterSymbol(const XmasterRecord& record)
{
    return ByteReader(record).Text(kXmSymbol, kXmSymbolWidth);
}

std::string XmasterName(const XmasterRecord& record)
{
    return ByteReader(record).Text(kXmName, kXmNameWidth);
}

XmasterSecurity DecodeXmasterRecord(const XmasterRecord& record)
{
    const ByteReader bytes(record);
    XmasterSecurity security;
    security.fileNumber = bytes.Get16(kXmFileNumber);
    security.symbol = XmasterSymbol(record);
    security.name = XmasterName(record);
    security.period = static_cast<char>(bytes.Get8(kXmPeriod));
    security.interval = bytes.Get16(kXmInterval);
    security.fieldBits = bytes.Get8(kXmFieldBits);
    security.layout = LayoutFromBits(security.fieldBits);
    security.firstDate = static_cast<std::int32_t>(bytes.Get32(kXmFirstDate));
    security.lastDate = static_cast<std::int32_t>(bytes.Get32(kXmLastDate));
    security.priceFile = "F" + std::to_string(security.fileNumber) + ".MWD";
    return security;
}
} // namespace tavrix

namespace tavrix {
namespace {
// Bytes 80 to 87 of every record in vendor files: int32 20100104, then 08 B4 32 00.
const std::uint8_t kVendorConstant[8] = {0x08, 0xB4, 0x32, 0x01, 0x08, 0xB4, 0x32, 0x00};
constexpr int kEmasterText = 53;
constexpr int kEmasterTextWidth = 44;
} // namespace

XmasterRecord BuildXmasterRecord(const XmasterSecurity& security)
{
    XmasterRecord record{};
    ByteWriter bytes(record);
    bytes.Put8(kXmMarker, 0x01);
    bytes.PutText(kXmSymbol, kXmSymbolWidth, security.symbol.substr(0, kXmSymbolWidth), '\0');
    bytes.PutText(kXmName, kXmNameWidth, security.name.substr(0, kXmNameWidth), '\0');
    bytes.Put8(kXmPeriod, static_cast<std::uint8_t>(security.period));
    bytes.Put16(kXmInterval, static_cast<std::uint16_t>(security.interval));
    bytes.Put16(kXmFileNumber, static_cast<std::uint16_t>(security.fileNumber));
    bytes.Put8(kXmFieldBits, security.fieldBits);
    bytes.PutBytes(kXmVendorConstant, kVendorConstant, sizeof kVendorConstant);
    SetXmasterDates(&record, security.firstDate, security.lastDate);
    return record;
}

void SetXmasterDates(XmasterRecord* record, std::int32_t firstDate, std::int32_t lastDate)
{
    ByteWriter bytes(*record);
    bytes.Put32(kXmFirstBarDate, static_cast<std::uint32_t>(firstDate));
    bytes.Put32(kXmFirstDate, static_cast<std::uint32_t>(firstDate));
    bytes.Put32(kXmLastDate, static_cast<std::uint32_t>(lastDate));
}

XmasterRecord NewXmasterHeader(const std::uint8_t* masterHeader, const std::uint8_t* emasterHeader)
{
    XmasterRecord header{};
    ByteWriter bytes(header);
    bytes.Put32(kXmSignature, 0x4D58FE5Du);
    bytes.Put16(kXmVersion, 651);
    bytes.PutBytes(kXmSerial, masterHeader + kMasterSerial, 4);
    if (emasterHeader)
        bytes.PutText(kXmText, kEmasterTextWidth,
                      ByteReader(emasterHeader + kEmasterText, kEmasterTextWidth).Text(0, kEmasterTextWidth), '\0');
    SetXmasterCounts(&header, 0, kFirstXmasterNumber);
    return header;
}

void SetXmasterCounts(XmasterRecord* header, std::uint16_t count, std::uint16_t nextNumber)
{
    ByteWriter bytes(*header);
    bytes.Put16(kXmCount, count);
    bytes.Put16(kXmCount2, count);
    bytes.Put16(kXmNextNumber, nextNumber);
}
} // namespace tavrix
