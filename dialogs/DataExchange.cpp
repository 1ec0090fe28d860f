#include "dialogs/DataExchange.h"

#include "app/MessageBox.h"
#include "settings/SettingsRules.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>
#include <QStringDecoder>
#include <QValidator>

#include <climits>

namespace {
// Refuses typing past the limit while leaving a longer stored text shown whole and shortenable,
// as a text limit on an edit control does.
class MaxCharsValidator : public QValidator
{
public:
    MaxCharsValidator(QLineEdit* edit, int maximum)
        : QValidator(edit), m_maximum(maximum), m_length(edit->text().size())
    {
        connect(edit, &QLineEdit::textChanged, this, [this](const QString& text) { m_length = text.size(); });
    }

    State validate(QString& input, int&) const override
    {
        return input.size() <= m_maximum || input.size() <= m_length ? Acceptable : Invalid;
    }

private:
    int m_maximum;
    qsizetype m_length; // of the text before the edit being validated
};

bool ParseUnsigned(const QString& text, unsigned* value)
{
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return false;
    unsigned long long number = 0;
    for (const QChar c : trimmed)
    {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
        number = number * 10 + static_cast<unsigned>(c.unicode() - '0');
        if (number > 0xFFFFFFFFull)
            return false;
    }
    *value = static_cast<unsigned>(number);
    return true;
}
} // namespace

QString ToQString(const std::string& text)
{
    return QString::fromLocal8Bit(text.data(), static_cast<qsizetype>(text.size()));
}

std::string FromQString(const QString& text)
{
    return text.toLocal8Bit().toStdString();
}

QString DisplayText(const std::string& bytes)
{
    QStringDecoder utf8(QStringConverter::Utf8);
    const QString text = utf8.decode(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
    if (!utf8.hasError())
        return text;
    return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

void CDataExchange::Fail(QWidget* field, const std::string& prompt)
{
    const QString caption = field ? field->accessibleName() : QString();
    ui::AfxMessageBox(caption.isEmpty() ? prompt : prompt + "\n" + FromQString(caption), ui::Icon::kWarning);
    if (field)
        field->setFocus(Qt::OtherFocusReason);
    if (auto* edit = qobject_cast<QLineEdit*>(field))
        edit->selectAll();
    m_bFailed = true;
}

void DDX_Check(CDataExchange& dx, QAbstractButton* box, bool& value)
{
    if (dx.m_bFailed)
        return;
    dx.m_pLastField = box;
    if (dx.m_bSaveAndValidate)
        value = box->isChecked();
    else
        box->setChecked(value);
}

void DDX_Text(CDataExchange& dx, QLineEdit* edit, int& value)
{
    if (dx.m_bFailed)
        return;
    dx.m_pLastField = edit;
    if (!dx.m_bSaveAndValidate)
    {
        edit->setText(QString::number(static_cast<unsigned>(value)));
        return;
    }
    unsigned read = 0;
    if (!ParseUnsigned(edit->text(), &read))
        dx.Fail(edit, tavrix::rules::kPositiveInteger);
    else
        value = read > static_cast<unsigned>(INT_MAX) ? INT_MAX : static_cast<int>(read);
}

void DDX_Text(CDataExchange& dx, QLineEdit* edit, std::string& value)
{
    if (dx.m_bFailed)
        return;
    dx.m_pLastField = edit;
    if (dx.m_bSaveAndValidate)
        value = FromQString(edit->text());
    else
        edit->setText(ToQString(value));
}

void DDX_MasterText(CDataExchange& dx, QLineEdit* edit, std::string& latin1)
{
    if (dx.m_bFailed)
        return;
    dx.m_pLastField = edit;
    if (!dx.m_bSaveAndValidate)
    {
        edit->setText(QString::fromLatin1(latin1.data(), static_cast<qsizetype>(latin1.size())));
        return;
    }
    const std::string problem = tavrix::rules::ToMasterText(edit->text().toStdString(), &latin1);
    if (!problem.empty())
        dx.Fail(edit, problem);
}

void DDX_Radio(CDataExchange& dx, const std::vector<QAbstractButton*>& buttons, int& value)
{
    if (dx.m_bFailed || buttons.empty())
        return;
    dx.m_pLastField = buttons.front();
    if (dx.m_bSaveAndValidate)
    {
        value = -1;
        for (std::size_t i = 0; i < buttons.size(); ++i)
            if (buttons[i]->isChecked())
                value = static_cast<int>(i);
        return;
    }
    for (std::size_t i = 0; i < buttons.size(); ++i)
    {
        // Auto-exclusive buttons cannot all be cleared one by one; lift it while setting them.
        const bool exclusive = buttons[i]->autoExclusive();
        buttons[i]->setAutoExclusive(false);
        buttons[i]->setChecked(static_cast<int>(i) == value);
        buttons[i]->setAutoExclusive(exclusive);
    }
}

void DDX_CBIndex(CDataExchange& dx, QComboBox* box, int& index)
{
    if (dx.m_bFailed)
        return;
    dx.m_pLastField = box;
    if (dx.m_bSaveAndValidate)
        index = box->currentIndex();
    else
        box->setCurrentIndex(index >= 0 && index < box->count() ? index : -1);
}

void DDX_CBString(CDataExchange& dx, QComboBox* box, std::string& value)
{
    if (dx.m_bFailed)
        return;
    dx.m_pLastField = box;
    if (dx.m_bSaveAndValidate)
    {
        value = FromQString(box->currentText());
        return;
    }
    const QString text = ToQString(value);
    for (int i = 0; i < box->count(); ++i)
        if (box->itemText(i).startsWith(text, Qt::CaseInsensitive))
        {
            box->setCurrentIndex(i);
            return;
        }
    box->setCurrentIndex(-1);
    box->setEditText(text);
}

void DDV_MinMaxUInt(CDataExchange& dx, int value, int minimum, int maximum)
{
    if (dx.m_bFailed || !dx.m_bSaveAndValidate)
        return;
    if (value < minimum || value > maximum)
        dx.Fail(dx.m_pLastField, tavrix::rules::RangePrompt(minimum, maximum));
}

void DDV_MaxChars(CDataExchange& dx, const std::string& value, int maximum)
{
    if (dx.m_bFailed)
        return;
    if (!dx.m_bSaveAndValidate)
    {
        if (auto* edit = qobject_cast<QLineEdit*>(dx.m_pLastField); edit && !edit->validator())
            edit->setValidator(new MaxCharsValidator(edit, maximum));
        return;
    }
    // Characters of the field, whatever bytes the member holds them in.
    qsizetype length = ToQString(value).size();
    if (auto* edit = qobject_cast<QLineEdit*>(dx.m_pLastField))
        length = edit->text().size();
    else if (auto* box = qobject_cast<QComboBox*>(dx.m_pLastField))
        length = box->currentText().size();
    if (length > maximum)
        dx.Fail(dx.m_pLastField, tavrix::rules::MaxCharsPrompt(static_cast<std::size_t>(maximum)));
}
