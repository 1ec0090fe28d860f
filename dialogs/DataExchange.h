#pragma once

#include <QString>

#include <string>
#include <vector>

class QAbstractButton;
class QComboBox;
class QLineEdit;
class QWidget;

// Moves values between a dialog's members and its controls in one fixed order, as the framework's
// data exchange did. Reading stops at the first refused field: its prompt is shown, the focus
// goes to it, and every later exchange of the same pass does nothing.
class CDataExchange
{
public:
    explicit CDataExchange(bool saveAndValidate) : m_bSaveAndValidate(saveAndValidate) {}

    // Shows the prompt with the field's caption (its accessible name) on a second line, focuses the
    // field and stops the reading.
    void Fail(QWidget* field, const std::string& prompt);

    const bool m_bSaveAndValidate;
    bool m_bFailed = false;
    QWidget* m_pLastField = nullptr; // the field of the latest exchange, for the checks after it
};

void DDX_Check(CDataExchange& dx, QAbstractButton* box, bool& value);
// An unsigned decimal number; other text is refused with the prompt for positive integers. A
// stored negative number shows as an unsigned one would hold it, as the framework did.
void DDX_Text(CDataExchange& dx, QLineEdit* edit, int& value);
void DDX_Text(CDataExchange& dx, QLineEdit* edit, std::string& value);
// A symbol or name: the member holds Latin-1, as MASTER does; reading refuses what Latin-1 cannot
// hold and control characters.
void DDX_MasterText(CDataExchange& dx, QLineEdit* edit, std::string& latin1);
// The index of the checked button, -1 when none is; writing an index outside clears them all.
void DDX_Radio(CDataExchange& dx, const std::vector<QAbstractButton*>& buttons, int& value);
// The same for a choice whose values are the buttons' indexes.
template <typename Choice>
void DDX_Radio(CDataExchange& dx, const std::vector<QAbstractButton*>& buttons, Choice& value)
{
    int index = static_cast<int>(value);
    DDX_Radio(dx, buttons, index);
    if (dx.m_bSaveAndValidate && !dx.m_bFailed)
        value = static_cast<Choice>(index);
}
// The selected entry's index, -1 when none; writing an index outside the list selects none.
void DDX_CBIndex(CDataExchange& dx, QComboBox* box, int& index);
// The same for a choice whose value plus `offset` is the entry's index.
template <typename Choice> void DDX_CBIndex(CDataExchange& dx, QComboBox* box, Choice& value, int offset)
{
    int index = static_cast<int>(value) + offset;
    DDX_CBIndex(dx, box, index);
    if (dx.m_bSaveAndValidate && !dx.m_bFailed)
        value = static_cast<Choice>(index - offset);
}
// Writing selects the first entry that begins with the text without regard to case, or shows the
// text with nothing selected; reading takes the text the box shows.
void DDX_CBString(CDataExchange& dx, QComboBox* box, std::string& value);
void DDV_MinMaxUInt(CDataExchange& dx, int value, int minimum, int maximum);
// Reading refuses a field of more characters; writing limits typing in a line edit to `maximum`.
void DDV_MaxChars(CDataExchange& dx, const std::string& value, int maximum);

// File names and texts of the program: the local 8-bit encoding (UTF-8).
QString ToQString(const std::string& text);
std::string FromQString(const QString& text);
// A text to show whose bytes may come from anywhere: UTF-8 when they are valid UTF-8, else Latin-1.
QString DisplayText(const std::string& bytes);
