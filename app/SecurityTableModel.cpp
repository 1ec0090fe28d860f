#include "app/SecurityTableModel.h"

#include "dialogs/DataExchange.h"
#include "marketdata/Dates.h"
#include "platform/Strings.h"

QString FieldCaptions(const tavrix::RecordLayout& layout)
{
    if (!layout.Known())
        return QString("%1 values").arg(layout.fieldCount);
    QStringList captions;
    if (layout.hasTime)
        captions << "Time";
    for (const tavrix::Field field : layout.fields)
        if (field != tavrix::kFieldDate)
            captions << tavrix::NamesOf(field).caption;
    return captions.join(' ');
}

namespace {
QString DateText(double value)
{
    const std::string iso = tavrix::IsoDateText(value);
    return iso.empty() ? QString("-") : QString::fromStdString(iso);
}
} // namespace

void CSecurityTableModel::SetSecurities(const std::string& start, std::vector<tavrix::Security> securities)
{
    beginResetModel();
    m_securities = std::move(securities);
    m_rows.clear();
    m_rows.reserve(m_securities.size());
    const std::string prefix = start.empty() || start.back() == '/' ? start : start + "/";
    for (const tavrix::Security& security : m_securities)
    {
        Row row;
        row.records = tavrix::StoredRecordCount(security);
        row.texts[kSymbol] = QString::fromStdString(platform::Latin1ToUtf8(security.symbol));
        row.texts[kName] = QString::fromStdString(platform::Latin1ToUtf8(security.name));
        row.texts[kFields] = FieldCaptions(security.layout);
        row.texts[kFirstDate] = DateText(security.firstDate);
        row.texts[kLastDate] = DateText(security.lastDate);
        row.texts[kRecords] = row.records < 0 ? QString("-") : QString::number(row.records);
        row.texts[kFile] = QString::fromStdString(security.PriceFileName());
        // The tree's own directory shows nothing; one below it shows its path from there.
        std::string below = security.directory;
        if (below.compare(0, prefix.size(), prefix) == 0)
            below.erase(0, prefix.size());
        if (!below.empty() && below.back() == '/')
            below.pop_back();
        row.texts[kSubDirectory] = ToQString(below);
        m_rows.push_back(std::move(row));
    }
    endResetModel();
}

int CSecurityTableModel::RowOf(const std::string& directory, int fileNumber) const
{
    for (std::size_t i = 0; i < m_securities.size(); ++i)
        if (m_securities[i].fileNumber == fileNumber && m_securities[i].directory == directory)
            return static_cast<int>(i);
    return -1;
}

int CSecurityTableModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int CSecurityTableModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : kColumnCount;
}

QVariant CSecurityTableModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const Row& row = m_rows[static_cast<std::size_t>(index.row())];
    const tavrix::Security& security = m_securities[static_cast<std::size_t>(index.row())];
    const int column = index.column();
    switch (role)
    {
    case Qt::DisplayRole:
        return row.texts[column];
    case Qt::TextAlignmentRole:
        return column == kRecords ? QVariant(Qt::AlignRight | Qt::AlignVCenter) : QVariant();
    case Qt::ToolTipRole:
        return column == kFile ? ToQString(security.directory + security.PriceFileName()) : QVariant();
    case kSortRole:
        switch (column)
        {
        case kFirstDate:
            return security.firstDate;
        case kLastDate:
            return security.lastDate;
        case kRecords:
            return static_cast<qlonglong>(row.records);
        case kFile:
            return security.fileNumber;
        default:
            return row.texts[column];
        }
    default:
        return {};
    }
}

QVariant CSecurityTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    static const char* const kHeadings[kColumnCount] = {"Symbol",    "Name",    "Fields", "First Date",
                                                        "Last Date", "Records", "File",   "Sub-directory"};
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < kColumnCount)
        return QString(kHeadings[section]);
    return QAbstractTableModel::headerData(section, orientation, role);
}
