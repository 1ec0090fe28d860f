#pragma once

#include "settings/ConversionSettings.h"

#include <QDialog>

#include <array>
#include <string>

class CDataExchange;
class CSpinButton;
class QAbstractButton;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QRadioButton;
class QScrollArea;

// "Conversion Settings": edits and checks the settings of one conversion. It stores nothing;
// a confirmed dialog hands the chosen date layout's code (1 to 12) to `dateFormat`. Symbol and
// name are held in Latin-1, as MASTER holds them; the path in the local 8-bit encoding.
class CSettingsDlg : public QDialog
{
    Q_OBJECT
public:
    explicit CSettingsDlg(int* dateFormat, QWidget* parent = nullptr);

    void LoadFrom(const tavrix::ConversionSettings& settings);
    void StoreTo(tavrix::ConversionSettings& settings) const;

    // Start-up, then the modal run: QDialog::Accepted or QDialog::Rejected.
    int DoModal();
    // Sizes the dialog to fit the screen area; the groups scroll when it is too small for them.
    void FitToScreen(const QRect& available);
    void OnInitDialog();
    // Moves all fields into the members (true) or the members into the fields (false); false when
    // a field was refused.
    bool UpdateData(bool saveAndValidate);

    // What the dialog edits; the controls are exchanged with it by UpdateData.
    tavrix::ConversionSettings m_settings;

private:
    void DoDataExchange(CDataExchange& dx);
    // A switch was clicked: its field's column is enabled, or cleared and disabled.
    void OnCheckBox(QCheckBox* box, QLineEdit* edit, CSpinButton* spin, const char* clearedText);
    void OnBrowse();
    void OnOK();
    QLineEdit* AddNumberEdit(const char* name, CSpinButton** spin, const char* spinName);

    int* m_pDateFormat;
    // Each field's switch (none for date and close), column and its arrows, in field order.
    std::array<QCheckBox*, tavrix::kFieldCount> m_chkField{};
    std::array<QLineEdit*, tavrix::kFieldCount> m_editField{};
    std::array<CSpinButton*, tavrix::kFieldCount> m_spinField{};
    QCheckBox* m_chkSkip;
    QLineEdit* m_editSkip;
    CSpinButton* m_spinSkip;
    QRadioButton* m_radExisting;
    QRadioButton* m_radNew;
    QRadioButton* m_radComma;
    QRadioButton* m_radTab;
    QRadioButton* m_radSpace;
    QComboBox* m_cmbDateFormat;
    QLineEdit* m_editPath;
    QLineEdit* m_editSymbol;
    QLineEdit* m_editName;
    QScrollArea* m_pScroll;
};
