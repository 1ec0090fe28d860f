#include "marketdata/Xmaster.h"

#include "marketdata/Bytes.h"

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

XmasterSecurity DecodeXmasterRecord(const XmasterRecord& record)
{
    const ByteReader bytes(record);
    XmasterSecurity security;
    security.fileNumber = bytes.Get16(kXmFileNumber);
    security.symbol = bytes.Text(kXmSymbol, kXmSymbolWidth);
    security.name = bytes.Text(kXmName, kXmNameWidth);
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
