#pragma once

#include "marketdata/PriceFile.h"

#include <QAbstractTableModel>

#include <vector>

// A security's price records as a table: date, time when intraday, then the fields it holds. Cells
// are made when the view asks for them, so 65,534 records cost nothing until they are scrolled to.
class CPriceRecordModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    using QAbstractTableModel::QAbstractTableModel;

    void SetRecords(const tavrix::RecordLayout& layout, std::vector<tavrix::StoredBar> bars);
    const std::vector<tavrix::StoredBar>& Bars() const { return m_bars; }
    const tavrix::RecordLayout& Layout() const { return m_layout; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    enum class Kind
    {
        kDate,
        kTime,
        kValue,
    };
    struct Column
    {
        Kind kind;
        tavrix::Field field;
    };
    tavrix::RecordLayout m_layout;
    std::vector<tavrix::StoredBar> m_bars;
    std::vector<Column> m_columns;
};
