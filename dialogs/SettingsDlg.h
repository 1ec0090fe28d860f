#pragma once

#include "engine/BatchConversion.h"
#include "settings/ConversionSettings.h"
#include "text/Headings.h"

#include <QDialog>

#include <array>
#include <memory>
#include <string>
#include <vector>

class CDataExchange;
class CSpinButton;
class QAbstractButton;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QRadioButton;
class QScrollArea;
class QTableWidget;

namespace tavrix {
class InputText;
}

// "Conversion Settings": edits and checks the settings of one conversion, or of several files
// converted into one directory. It stores nothing; a confirmed dialog hands the chosen date
// layout's code (1 to 12) to `dateFormat`. Symbol and name are held in Latin-1, as MASTER holds
// them; the path in the local 8-bit encoding.
class CSettingsDlg : public QDialog
{
    Q_OBJECT
public:
    explicit CSettingsDlg(int* dateFormat, QWidget* parent = nullptr);

    void LoadFrom(const tavrix::ConversionSettings& settings);
    void StoreTo(tavrix::ConversionSettings& settings) const;
    // The file the settings are for: its rows fill the preview, its header names the columns and
    // Detect reads it; a relative Directory Path is taken from its folder.
    void SetInput(std::shared_ptr<const tavrix::InputText> input, const std::string& path);
    // Several files: a list of files and their symbols takes the place of Symbol and Name.
    void SetFiles(const std::vector<std::string>& inputs);
    bool IsBatch() const { return m_inputs.size() > 1; }
    // A file of many securities: its tickers and names (Latin-1) take the place of Symbol and Name.
    void SetTickers(const std::vector<std::pair<std::string, std::string>>& tickers);
    bool IsMarket() const { return m_nTickers > 0; }
    // After OK with several files: each file with its symbol.
    std::vector<tavrix::BatchFile> Files() const;

    // Start-up, then the modal run beside the owner's window: QDialog::Accepted or QDialog::Rejected.
    int DoModal();
    // Sizes the dialog to fit the screen area; the groups scroll when it is too small for them.
    void FitToScreen(const QRect& available);
    void OnInitDialog();
    // Moves all fields into the members (true) or the members into the fields (false); false when
    // a field was refused.
    bool UpdateData(bool saveAndValidate);
    // Fills delimiter, decimal mark, columns, time, date layout and rows to skip from the file.
    void OnDetect();

    // What the dialog edits; the controls are exchanged with it by UpdateData.
    tavrix::ConversionSettings m_settings;
    // OK chose to add the file's new days to the security its symbol already names.
    bool m_bUpdate = false;

private:
    void DoDataExchange(CDataExchange& dx);
    // A switch was clicked: its field's column is enabled, or cleared and disabled.
    void OnCheckBox(QCheckBox* box, QLineEdit* edit, CSpinButton* spin, const char* clearedText);
    void OnBrowse();
    void OnOK();
    // Checks and upper-cases the symbols of the file list; false after a refusal.
    bool ReadFileSymbols();
    // Asks whether to update when the symbol names a security of the directory; false to stay.
    bool ConfirmExistingSecurity();
    // The header's names under the columns and the preview's rows split as the controls say now.
    void RefreshPreview();
    QLineEdit* AddNumberEdit(const char* name, CSpinButton** spin, const char* spinName);

    int* m_pDateFormat;
    // Each field's switch (none for date and close), column and its arrows, in field order.
    std::array<QCheckBox*, tavrix::kFieldCount> m_chkField{};
    std::array<QLineEdit*, tavrix::kFieldCount> m_editField{};
    std::array<CSpinButton*, tavrix::kFieldCount> m_spinField{};
    std::array<QLabel*, tavrix::kFieldCount + 1> m_lblHeading{}; // the time's last
    QCheckBox* m_chkTime;
    QLineEdit* m_editTime;
    CSpinButton* m_spinTime;
    QCheckBox* m_chkSkip;
    QCheckBox* m_chkDaily;
    QLineEdit* m_editSkip;
    CSpinButton* m_spinSkip;
    QRadioButton* m_radExisting;
    QRadioButton* m_radNew;
    QComboBox* m_cmbDelimiter;
    QComboBox* m_cmbDecimal;
    QComboBox* m_cmbDateFormat;
    QLineEdit* m_editPath;
    QLineEdit* m_editSymbol;
    QLineEdit* m_editName;
    QWidget* m_pSymbolRow;
    QTableWidget* m_tblPreview;
    QTableWidget* m_tblFiles;
    QScrollArea* m_pScroll;

    std::shared_ptr<const tavrix::InputText> m_pInput;
    std::string m_strInputFolder;
    tavrix::Header m_header;
    std::vector<std::string> m_inputs;
    std::vector<std::string> m_symbols; // Latin-1, after OK
    std::size_t m_nTickers = 0;
};

// Where a dialog of `size` goes so that it leaves the owner's window in view: beside it on the
// right or the left, else in the bottom-right corner of the screen area, away from the log's
// first lines.
QPoint PlaceBeside(const QRect& owner, const QSize& size, const QRect& available);
