#include "app/PriceRecordModel.h"

#include "engine/SecurityExport.h"
#include "marketdata/Dates.h"

void CPriceRecordModel::SetRecords(const tavrix::RecordLayout& layout, std::vector<tavrix::StoredBar> bars)
{
    beginResetModel();
    m_layout = layout;
    m_bars = std::move(bars);
    m_columns.clear();
    for (const tavrix::Field field : layout.fields)
    {
        m_columns.push_back({field == tavrix::kFieldDate ? Kind::kDate : Kind::kValue, field});
        if (field == tavrix::kFieldDate && layout.hasTime)
            m_columns.push_back({Kind::kTime, field});
    }
    endResetModel();
}

int CPriceRecordModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_bars.size());
}

int CPriceRecordModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_columns.size());
}

QVariant CPriceRecordModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount() || index.column() >= columnCount())
        return {};
    const Column& column = m_columns[static_cast<std::size_t>(index.column())];
    if (role == Qt::TextAlignmentRole)
        return column.kind == Kind::kValue ? QVariant(Qt::AlignRight | Qt::AlignVCenter) : QVariant();
    if (role != Qt::DisplayRole)
        return {};
    const tavrix::StoredBar& bar = m_bars[static_cast<std::size_t>(index.row())];
    switch (column.kind)
    {
    case Kind::kDate:
    {
        // A value that names no day is shown as stored, so a damaged record can still be found.
        const std::string iso = tavrix::IsoDateText(bar.date);
        return iso.empty() ? QString::fromStdString(tavrix::ShortestText(bar.date)) : QString::fromStdString(iso);
    }
    case Kind::kTime:
    {
        const std::string time = tavrix::TimeText(bar.time);
        return time.empty() ? QString::fromStdString(tavrix::ShortestText(bar.time)) : QString::fromStdString(time);
    }
    case Kind::kValue:
        return QString::fromStdString(tavrix::ShortestText(bar.values[column.field]));
    }
    return {};
}

QVariant CPriceRecordModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < columnCount())
    {
        const Column& column = m_columns[static_cast<std::size_t>(section)];
        return column.kind == Kind::kTime ? QString("Time") : QString(tavrix::NamesOf(column.field).caption);
    }
    return QAbstractTableModel::headerData(section, orientation, role);
}
