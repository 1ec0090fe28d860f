#pragma once

#include "settings/ConversionSettings.h"

#include <QDialog>

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

    int m_bHiOn = 0;
    int m_bLoOn = 0;
    int m_bOIOn = 0;
    int m_bOpenOn = 0;
    int m_bVolOn = 0;
    unsigned m_nDateCol = 0;
    unsigned m_nOpenCol = 0;
    unsigned m_nHiCol = 0;
    unsigned m_nLoCol = 0;
    unsigned m_nCloCol = 0;
    unsigned m_nVolCol = 0;
    unsigned m_nOICol = 0;
    int m_nExist = -1;
    std::string m_strName;
    std::string m_strPath;
    std::string m_strSymbol;
    unsigned m_nSkipRows = 0;
    int m_bSkipOn = 0;
    int m_nDelimiter = -1;
    std::string m_strDateFormat;

private:
    struct OptionalField
    {
        QCheckBox* box;
        int* member;
        QLineEdit* edit;
        CSpinButton* spin;
        const char* clearedText;
    };

    void DoDataExchange(CDataExchange& dx);
    void OnCheckBox(const OptionalField& field);
    void OnBrowse();
    void OnOK();
    QLineEdit* AddNumberEdit(const char* name, CSpinButton** spin, const char* spinName);

    int* m_pDateFormat;
    QCheckBox* m_chkOpen;
    QCheckBox* m_chkHigh;
    QCheckBox* m_chkLow;
    QCheckBox* m_chkVolume;
    QCheckBox* m_chkOpenInt;
    QCheckBox* m_chkSkip;
    QLineEdit* m_editDate;
    QLineEdit* m_editOpen;
    QLineEdit* m_editHigh;
    QLineEdit* m_editLow;
    QLineEdit* m_editClose;
    QLineEdit* m_editVolume;
    QLineEdit* m_editOpenInt;
    QLineEdit* m_editSkip;
    CSpinButton* m_spinDate;
    CSpinButton* m_spinOpen;
    CSpinButton* m_spinHigh;
    CSpinButton* m_spinLow;
    CSpinButton* m_spinClose;
    CSpinButton* m_spinVolume;
    CSpinButton* m_spinOpenInt;
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
