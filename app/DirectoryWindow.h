#pragma once

#include "marketdata/DirectoryCheck.h"
#include "marketdata/Securities.h"

#include <QMainWindow>

#include <string>
#include <vector>

class CPriceChart;
class CPriceRecordModel;
class CSecurityTableModel;
class QAction;
class QDockWidget;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QSortFilterProxyModel;
class QTableView;

namespace tavrix {
class ProfileStore;
}

// One directory of securities: a sortable table of them (MASTER's, XMASTER's and those of <DIR>
// sub-directories), and for the selected one a price chart and its records. Every change goes
// through the engine's jobs; the table is read again after each.
class CDirectoryWindow : public QMainWindow
{
    Q_OBJECT
public:
    // `store` holds the conversion settings an update reads its file with; it may be null.
    CDirectoryWindow(const std::string& directory, tavrix::ProfileStore* store, QWidget* parent = nullptr);
    ~CDirectoryWindow() override;

    const std::string& Directory() const { return m_strDirectory; }
    // The selected security; null when none is.
    const tavrix::Security* SelectedSecurity() const;
    // Selects the security kept in `directory` under `fileNumber`, showing it even if the filter
    // hid it; false when the table has no such security.
    bool SelectSecurity(const std::string& directory, int fileNumber);

    void OnRefresh();
    void OnUpdateFromFile();
    // Adds the new days of `input` to the selected security, asking before it replaces any.
    void UpdateFromFile(const std::string& input);
    void OnRemove();
    void OnExportCsv();
    void OnCheckDirectory();

    CPriceChart* Chart() const { return m_pChart; }

private:
    QAction* AddAction(QMenu* menu, const char* name, const QString& text, const QKeySequence& shortcut,
                       const QString& tip);
    // Reads the directory's securities again and selects `keep` again where it still is.
    void Reload(const tavrix::Security* keep);
    void OnSecurityChanged();
    void OnFindingActivated(QListWidgetItem* item);
    void UpdateActions();
    // Asks which of the date formats that each read the input's dates to use, offering the stored
    // one first; 0 when the user chose none.
    int ChooseDateFormat(const std::vector<int>& formats, int stored, const std::string& example);

    std::string m_strDirectory;
    tavrix::ProfileStore* m_pProfileStore;
    CSecurityTableModel* m_pSecurities;
    QSortFilterProxyModel* m_pSorted;
    CPriceRecordModel* m_pRecords;
    QTableView* m_pTable;
    QTableView* m_pRecordTable;
    QLineEdit* m_pFilter;
    CPriceChart* m_pChart;
    QDockWidget* m_pCheckDock;
    QListWidget* m_pFindings;
    QAction* m_pUpdate = nullptr;
    QAction* m_pRemove = nullptr;
    QAction* m_pExport = nullptr;
    std::vector<tavrix::CheckFinding> m_findings; // of the last check, in the panel's order
};
