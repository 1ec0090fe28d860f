#pragma once

#include "marketdata/Securities.h"

#include <QAbstractTableModel>
#include <QString>

#include <string>
#include <vector>

// The securities of a directory tree, one row each. Texts are made once when the securities are
// set, so that sorting and scrolling a few hundred rows never goes back to the disk.
class CSecurityTableModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    enum Column
    {
        kSymbol,
        kName,
        kFields,
        kFirstDate,
        kLastDate,
        kRecords,
        kFile,
        kSubDirectory,
        kColumnCount
    };
    // Dates, record counts and file numbers sort as numbers under this role.
    static constexpr int kSortRole = Qt::UserRole;

    using QAbstractTableModel::QAbstractTableModel;

    // `start` is the directory the tree was read from; securities below it show their sub-directory.
    void SetSecurities(const std::string& start, std::vector<tavrix::Security> securities);
    const std::vector<tavrix::Security>& Securities() const { return m_securities; }
    const tavrix::Security& SecurityAt(int row) const { return m_securities[static_cast<std::size_t>(row)]; }
    // The row of the security kept in `directory` under `fileNumber`; -1 when there is none.
    int RowOf(const std::string& directory, int fileNumber) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    struct Row
    {
        long records = -1;
        QString texts[kColumnCount];
    };
    std::vector<tavrix::Security> m_securities;
    std::vector<Row> m_rows; // beside each security
};

// The fields a security holds after its date, as a table shows them: "Time Open High Low Close Volume".
QString FieldCaptions(const tavrix::RecordLayout& layout);
