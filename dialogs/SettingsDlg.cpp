#include "dialogs/SettingsDlg.h"

#include "dialogs/ChooseDir.h"
#include "dialogs/DataExchange.h"
#include "dialogs/SpinButton.h"
#include "app/MessageBox.h"
#include "marketdata/Dates.h"
#include "platform/Strings.h"
#include "settings/SettingsRules.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>
#include <QVBoxLayout>

#include <type_traits>
#include <utility>

using namespace tavrix;

namespace {
// A control of the dialog, named after the member it exchanges with.
template <typename Control, typename... Args> Control* Named(const char* name, Args&&... args)
{
    auto* control = new Control(std::forward<Args>(args)...);
    control->setObjectName(name);
    return control;
}

QWidget* NumberCell(QLineEdit* edit, CSpinButton* spin)
{
    auto* cell = new QWidget;
    auto* layout = new QHBoxLayout(cell);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(1);
    layout->addWidget(edit);
    layout->addWidget(spin);
    layout->addStretch(); // a wider cell grows here, so the arrows stay beside their field
    edit->setFixedWidth(36);
    return cell;
}

// Asks for the whole of its content, where a plain scroll area would ask for a fixed share of the
// screen; the dialog then shrinks it only when the screen is too small.
class FittingScrollArea : public QScrollArea
{
public:
    using QScrollArea::QScrollArea;
    QSize sizeHint() const override
    {
        const int frame = 2 * frameWidth();
        return widget() ? widget()->sizeHint() + QSize(frame, frame) : QScrollArea::sizeHint();
    }
};
} // namespace

CSettingsDlg::CSettingsDlg(int* dateFormat, QWidget* parent) : QDialog(parent), m_pDateFormat(dateFormat)
{
    setWindowTitle("Conversion Settings");
    setObjectName("CSettingsDlg");

    // Object names are the settings' entry names, so tests and the accessibility tree find them.
    const struct
    {
        const char* check;
        const char* column;
        const char* spin;
    } kControlNames[kFieldCount] = {
        {nullptr, "m_nDateCol", "spinDate"},    {"m_bOpenOn", "m_nOpenCol", "spinOpen"},
        {"m_bHiOn", "m_nHiCol", "spinHigh"},    {"m_bLoOn", "m_nLoCol", "spinLow"},
        {nullptr, "m_nCloCol", "spinClose"},    {"m_bVolOn", "m_nVolCol", "spinVolume"},
        {"m_bOIOn", "m_nOICol", "spinOpenInt"},
    };
    for (int field = 0; field < kFieldCount; ++field)
    {
        const auto& names = kControlNames[field];
        m_editField[field] = AddNumberEdit(names.column, &m_spinField[field], names.spin);
        if (names.check)
            m_chkField[field] = Named<QCheckBox>(names.check, NamesOf(static_cast<Field>(field)).caption, this);
    }
    m_editSkip = AddNumberEdit("m_nSkipRows", &m_spinSkip, "spinSkipRows");

    m_chkSkip = Named<QCheckBox>("m_bSkipOn", "Skip Rows", this);
    m_radExisting = Named<QRadioButton>("m_nExist0", "Use Existing Master", this);
    m_radNew = Named<QRadioButton>("m_nExist1", "Make New Master", this);
    m_radComma = Named<QRadioButton>("m_nDelimiter0", "Comma", this);
    m_radTab = Named<QRadioButton>("m_nDelimiter1", "Tab", this);
    m_radSpace = Named<QRadioButton>("m_nDelimiter2", "Space", this);

    m_cmbDateFormat = Named<QComboBox>("m_strDateFormat", this);
    m_cmbDateFormat->setEditable(true);
    m_cmbDateFormat->setInsertPolicy(QComboBox::NoInsert);
    for (int code = 1; code <= kDateFormatCount; ++code)
        m_cmbDateFormat->addItem(DateFormatName(code));

    m_editPath = Named<QLineEdit>("m_strPath", this);
    m_editSymbol = Named<QLineEdit>("m_strSymbol", this);
    m_editName = Named<QLineEdit>("m_strName", this);

    // Input File: Supported Fields and Column Assignments
    auto* fields = new QGroupBox("Input File: Supported Fields and Column Assignments", this);
    auto* fieldsLayout = new QGridLayout(fields);
    for (int field = 0; field < kFieldCount; ++field)
    {
        QWidget* caption = m_chkField[field];
        if (!caption)
            caption = new QLabel(NamesOf(static_cast<Field>(field)).caption);
        fieldsLayout->addWidget(caption, 0, field);
        fieldsLayout->addWidget(NumberCell(m_editField[field], m_spinField[field]), 1, field);
    }
    // A refused field's prompt names it by its caption.
    for (int field = 0; field < kFieldCount; ++field)
        m_editField[field]->setAccessibleName(NamesOf(static_cast<Field>(field)).caption);
    const std::pair<QWidget*, const char*> captions[] = {{m_editSkip, "Skip Rows"},
                                                         {m_cmbDateFormat, "Date Format"},
                                                         {m_editPath, "Directory Path"},
                                                         {m_editSymbol, "Symbol"},
                                                         {m_editName, "Name"}};
    for (const auto& [field, caption] : captions)
        field->setAccessibleName(caption);

    // Input File: Detail Settings
    auto* details = new QGroupBox("Input File: Detail Settings", this);
    auto* detailsLayout = new QGridLayout(details);
    detailsLayout->addWidget(new QLabel("Which Column Delimiter Character?"), 0, 0, 1, 3);
    detailsLayout->addWidget(m_radComma, 1, 0);
    detailsLayout->addWidget(m_radTab, 1, 1);
    detailsLayout->addWidget(m_radSpace, 1, 2);
    detailsLayout->addWidget(new QLabel("Date Format"), 0, 3);
    detailsLayout->addWidget(m_cmbDateFormat, 1, 3);
    detailsLayout->addWidget(m_chkSkip, 0, 4);
    detailsLayout->addWidget(NumberCell(m_editSkip, m_spinSkip), 1, 4);
    auto* delimiters = new QButtonGroup(this);
    for (QRadioButton* button : {m_radComma, m_radTab, m_radSpace})
        delimiters->addButton(button);

    // Output File: Path to Output Files
    auto* output = new QGroupBox("Output File: Path to Output Files", this);
    auto* outputLayout = new QGridLayout(output);
    auto* browse = Named<QPushButton>("IDC_BROWSE", "Browse...", this);
    outputLayout->addWidget(new QLabel("Directory Path"), 0, 0);
    outputLayout->addWidget(m_editPath, 1, 0);
    outputLayout->addWidget(browse, 1, 1);
    m_editPath->setMinimumWidth(360);

    // Output File: Detail Settings
    auto* target = new QGroupBox("Output File: Detail Settings", this);
    auto* targetLayout = new QGridLayout(target);
    targetLayout->addWidget(new QLabel("How to use a Master File in this Directory?"), 0, 0, 1, 2);
    targetLayout->addWidget(m_radExisting, 1, 0);
    targetLayout->addWidget(m_radNew, 1, 1);
    targetLayout->addWidget(new QLabel("Symbol"), 0, 2);
    targetLayout->addWidget(m_editSymbol, 1, 2);
    targetLayout->addWidget(new QLabel("Name"), 0, 3);
    targetLayout->addWidget(m_editName, 1, 3);
    auto* masters = new QButtonGroup(this);
    masters->addButton(m_radExisting);
    masters->addButton(m_radNew);

    auto* ok = Named<QPushButton>("IDOK", "OK", this);
    ok->setDefault(true);
    auto* cancel = Named<QPushButton>("IDCANCEL", "Cancel", this);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);

    // The groups scroll when the screen is too small for them; OK and Cancel always show.
    auto* content = new QWidget;
    auto* contentLayout = new QVBoxLayout(content);
    contentLayout->setContentsMargins(0, 0, 0, 0);
    for (QGroupBox* group : {fields, details, output, target})
        contentLayout->addWidget(group);
    contentLayout->addStretch(); // a taller dialog leaves room below, not between captions and fields
    m_pScroll = new FittingScrollArea(this);
    m_pScroll->setObjectName("scrollGroups");
    m_pScroll->setFrameShape(QFrame::NoFrame);
    m_pScroll->setWidgetResizable(true);
    m_pScroll->setWidget(content);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_pScroll);
    layout->addLayout(buttons);

    // Tab order as the template has it: the buttons, then the fields group by group.
    std::vector<QWidget*> order = {ok, cancel};
    for (int field = 0; field < kFieldCount; ++field)
    {
        if (m_chkField[field])
            order.push_back(m_chkField[field]);
        order.push_back(m_editField[field]);
    }
    for (QWidget* widget :
         std::initializer_list<QWidget*>{m_radComma, m_radTab, m_radSpace, m_cmbDateFormat, m_chkSkip, m_editSkip,
                                         m_editPath, browse, m_radExisting, m_radNew, m_editSymbol, m_editName})
        order.push_back(widget);
    for (std::size_t i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);

    connect(ok, &QPushButton::clicked, this, &CSettingsDlg::OnOK);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(browse, &QPushButton::clicked, this, &CSettingsDlg::OnBrowse);
    for (int field = 0; field < kFieldCount; ++field)
        if (QCheckBox* box = m_chkField[field])
            connect(box, &QCheckBox::clicked, this,
                    [this, box, field] { OnCheckBox(box, m_editField[field], m_spinField[field], "1"); });
    connect(m_chkSkip, &QCheckBox::clicked, this, [this] { OnCheckBox(m_chkSkip, m_editSkip, m_spinSkip, "0"); });
}

QLineEdit* CSettingsDlg::AddNumberEdit(const char* name, CSpinButton** spin, const char* spinName)
{
    auto* edit = Named<QLineEdit>(name, this);
    *spin = Named<CSpinButton>(spinName, edit, this);
    return edit;
}

void CSettingsDlg::LoadFrom(const ConversionSettings& settings)
{
    m_settings = settings;
}

void CSettingsDlg::StoreTo(ConversionSettings& settings) const
{
    settings = m_settings;
}

int CSettingsDlg::DoModal()
{
    OnInitDialog();
    QWidget* owner = parentWidget() ? parentWidget()->window() : nullptr;
    if (QScreen* screen = owner ? owner->screen() : QGuiApplication::primaryScreen())
        FitToScreen(screen->availableGeometry());
    return exec();
}

void CSettingsDlg::FitToScreen(const QRect& available)
{
    // The window manager's frame is not known before the dialog shows; leave room for a title bar.
    const int titleBar = style()->pixelMetric(QStyle::PM_TitleBarHeight);
    const QSize room = available.size() - QSize(16, 2 * titleBar + 8);
    QSize wanted = sizeHint();
    if (wanted.height() > room.height())
        wanted.rwidth() += m_pScroll->verticalScrollBar()->sizeHint().width();
    resize(wanted.boundedTo(room));
}

void CSettingsDlg::DoDataExchange(CDataExchange& dx)
{
    using rules::kMaxColumn;
    using rules::kMinColumn;
    ConversionSettings& s = m_settings;
    for (const Field field : {kFieldHigh, kFieldLow, kFieldOpenInterest, kFieldOpen, kFieldVolume})
        DDX_Check(dx, m_chkField[field], s.Column(field).on);
    for (int field = 0; field < kFieldCount; ++field)
    {
        DDX_Text(dx, m_editField[field], s.m_fields[field].column);
        DDV_MinMaxUInt(dx, s.m_fields[field].column, kMinColumn, kMaxColumn);
    }
    DDX_Radio(dx, {m_radExisting, m_radNew}, s.m_nExist);
    DDX_MasterText(dx, m_editName, s.m_strName);
    DDV_MaxChars(dx, s.m_strName, static_cast<int>(rules::kMaxNameLength));
    DDX_Text(dx, m_editPath, s.m_strPath);
    DDV_MaxChars(dx, s.m_strPath, static_cast<int>(rules::kMaxPathLength));
    DDX_MasterText(dx, m_editSymbol, s.m_strSymbol);
    DDV_MaxChars(dx, s.m_strSymbol, static_cast<int>(rules::kMaxSymbolLength));
    DDX_Text(dx, m_editSkip, s.m_nSkipRows);
    DDV_MinMaxUInt(dx, s.m_nSkipRows, rules::kMinSkipRows, rules::kMaxSkipRows);
    DDX_Check(dx, m_chkSkip, s.m_bSkipOn);
    DDX_Radio(dx, {m_radComma, m_radTab, m_radSpace}, s.m_nDelimiter);
    DDX_CBString(dx, m_cmbDateFormat, s.m_strDateFormat);
    DDV_MaxChars(dx, s.m_strDateFormat, static_cast<int>(rules::kMaxDateFormatLength));
}

bool CSettingsDlg::UpdateData(bool saveAndValidate)
{
    CDataExchange dx(saveAndValidate);
    DoDataExchange(dx);
    return !dx.m_bFailed;
}

void CSettingsDlg::OnInitDialog()
{
    UpdateData(false);
    m_spinSkip->SetRange(rules::kMinSkipRows, rules::kMaxSkipRows);
    m_editSkip->setEnabled(m_settings.m_bSkipOn);
    m_spinSkip->setEnabled(m_settings.m_bSkipOn);
    for (int field = 0; field < kFieldCount; ++field)
    {
        m_spinField[field]->SetRange(rules::kMinColumn, rules::kMaxColumn);
        const bool enabled = !m_chkField[field] || m_settings.m_fields[field].on;
        m_editField[field]->setEnabled(enabled);
        m_spinField[field]->setEnabled(enabled);
    }
    if (QWidget* ok = findChild<QWidget*>("IDOK"))
        ok->setFocus(Qt::OtherFocusReason);
}

void CSettingsDlg::OnCheckBox(QCheckBox* box, QLineEdit* edit, CSpinButton* spin, const char* clearedText)
{
    UpdateData(true); // a refusal has shown its prompt; the members stand as far as they were read
    const bool on = box->isChecked();
    edit->setEnabled(on);
    spin->setEnabled(on);
    if (!on)
        edit->setText(clearedText);
}

void CSettingsDlg::OnBrowse()
{
    UpdateData(true); // a refused field shows its prompt, and Browse goes on
    // Only the path changes: a refusal stopped the reading, so writing every member back would
    // throw away what was typed after the refused field.
    CChooseDir chooser(this);
    chooser.SetInitialDir(FromQString(m_editPath->text()));
    if (chooser.exec() != QDialog::Accepted)
        return;
    m_settings.m_strPath = chooser.m_strFileName.substr(0, static_cast<std::size_t>(chooser.m_nFileOffset - 1));
    m_editPath->setText(ToQString(m_settings.m_strPath));
}

void CSettingsDlg::OnOK()
{
    if (!UpdateData(true))
        return;
    if (const std::string duplicate = rules::DuplicateColumnsMessage(m_settings); !duplicate.empty())
    {
        ui::AfxMessageBox(duplicate);
        return;
    }
    UpdateData(true);
    std::string& symbol = m_settings.m_strSymbol;
    symbol = platform::TrimRightWhite(symbol);
    if (symbol.empty())
    {
        ui::AfxMessageBox(rules::kInvalidSymbol);
        return;
    }
    symbol = platform::UpperLatin1(symbol);
    UpdateData(false);
    if (platform::TrimRightWhite(m_settings.m_strPath).empty())
    {
        ui::AfxMessageBox(rules::kEnterPath);
        return;
    }
    // The selected entry; a typed text that is no entry selects none, whatever was picked before,
    // and would turn every date into 0, so it is refused like a number out of range.
    const int index = m_cmbDateFormat->findText(m_cmbDateFormat->currentText(), Qt::MatchExactly);
    if (index < 0)
    {
        CDataExchange dx(true);
        dx.Fail(m_cmbDateFormat, rules::kChooseDateFormat);
        return;
    }
    // Some readers ignore F<n>.DOP and take the fields from their count; say what they would show.
    if (const std::string note = rules::FieldSetNote(m_settings);
        !note.empty() && !ui::AskYesNo(note + "\n\nConvert anyway?"))
        return;
    if (m_pDateFormat)
        *m_pDateFormat = index + 1;
    UpdateData(true);
    accept();
}
