#include "dialogs/SettingsDlg.h"

#include "dialogs/ChooseDir.h"
#include "dialogs/DataExchange.h"
#include "dialogs/SpinButton.h"
#include "marketdata/Dates.h"
#include "platform/MessageBox.h"
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

    m_editDate = AddNumberEdit("m_nDateCol", &m_spinDate, "spinDate");
    m_editOpen = AddNumberEdit("m_nOpenCol", &m_spinOpen, "spinOpen");
    m_editHigh = AddNumberEdit("m_nHiCol", &m_spinHigh, "spinHigh");
    m_editLow = AddNumberEdit("m_nLoCol", &m_spinLow, "spinLow");
    m_editClose = AddNumberEdit("m_nCloCol", &m_spinClose, "spinClose");
    m_editVolume = AddNumberEdit("m_nVolCol", &m_spinVolume, "spinVolume");
    m_editOpenInt = AddNumberEdit("m_nOICol", &m_spinOpenInt, "spinOpenInt");
    m_editSkip = AddNumberEdit("m_nSkipRows", &m_spinSkip, "spinSkipRows");

    m_chkOpen = Named<QCheckBox>("m_bOpenOn", "Open", this);
    m_chkHigh = Named<QCheckBox>("m_bHiOn", "High", this);
    m_chkLow = Named<QCheckBox>("m_bLoOn", "Low", this);
    m_chkVolume = Named<QCheckBox>("m_bVolOn", "Volume", this);
    m_chkOpenInt = Named<QCheckBox>("m_bOIOn", "Open Int", this);
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
    const struct
    {
        QWidget* caption;
        QLineEdit* edit;
        CSpinButton* spin;
    } columns[] = {{new QLabel("Date"), m_editDate, m_spinDate},
                   {m_chkOpen, m_editOpen, m_spinOpen},
                   {m_chkHigh, m_editHigh, m_spinHigh},
                   {m_chkLow, m_editLow, m_spinLow},
                   {new QLabel("Close"), m_editClose, m_spinClose},
                   {m_chkVolume, m_editVolume, m_spinVolume},
                   {m_chkOpenInt, m_editOpenInt, m_spinOpenInt}};
    int column = 0;
    for (const auto& c : columns)
    {
        fieldsLayout->addWidget(c.caption, 0, column);
        fieldsLayout->addWidget(NumberCell(c.edit, c.spin), 1, column++);
    }
    // A refused field's prompt names it by its caption.
    const std::pair<QWidget*, const char*> captions[] = {{m_editDate, "Date"},
                                                         {m_editOpen, "Open"},
                                                         {m_editHigh, "High"},
                                                         {m_editLow, "Low"},
                                                         {m_editClose, "Close"},
                                                         {m_editVolume, "Volume"},
                                                         {m_editOpenInt, "Open Int"},
                                                         {m_editSkip, "Skip Rows"},
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
    QWidget* order[] = {ok,           cancel,        m_editDate, m_chkOpen,   m_editOpen,    m_chkHigh,
                        m_editHigh,   m_chkLow,      m_editLow,  m_editClose, m_chkVolume,   m_editVolume,
                        m_chkOpenInt, m_editOpenInt, m_radComma, m_radTab,    m_radSpace,    m_cmbDateFormat,
                        m_chkSkip,    m_editSkip,    m_editPath, browse,      m_radExisting, m_radNew,
                        m_editSymbol, m_editName};
    for (std::size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);

    connect(ok, &QPushButton::clicked, this, &CSettingsDlg::OnOK);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(browse, &QPushButton::clicked, this, &CSettingsDlg::OnBrowse);
    const OptionalField optional[] = {{m_chkOpen, &m_bOpenOn, m_editOpen, m_spinOpen, "1"},
                                      {m_chkHigh, &m_bHiOn, m_editHigh, m_spinHigh, "1"},
                                      {m_chkLow, &m_bLoOn, m_editLow, m_spinLow, "1"},
                                      {m_chkVolume, &m_bVolOn, m_editVolume, m_spinVolume, "1"},
                                      {m_chkOpenInt, &m_bOIOn, m_editOpenInt, m_spinOpenInt, "1"},
                                      {m_chkSkip, &m_bSkipOn, m_editSkip, m_spinSkip, "0"}};
    for (const OptionalField& field : optional)
        connect(field.box, &QCheckBox::clicked, this, [this, field] { OnCheckBox(field); });
}

QLineEdit* CSettingsDlg::AddNumberEdit(const char* name, CSpinButton** spin, const char* spinName)
{
    auto* edit = Named<QLineEdit>(name, this);
    *spin = Named<CSpinButton>(spinName, edit, this);
    return edit;
}

// Every setting the dialog edits, paired with its member, so loading and storing cannot differ.
template <typename Settings, typename Dialog, typename Copy> void PairSettings(Settings& s, Dialog& d, Copy copy)
{
    copy(s.m_strDateFormat, d.m_strDateFormat);
    copy(s.m_nExist, d.m_nExist);
    copy(s.m_nDelimiter, d.m_nDelimiter);
    copy(s.m_strPath, d.m_strPath);
    copy(s.m_strSymbol, d.m_strSymbol);
    copy(s.m_strName, d.m_strName);
    copy(s.m_bSkipOn, d.m_bSkipOn);
    copy(s.m_nSkipRows, d.m_nSkipRows);
    copy(s.m_nDateCol, d.m_nDateCol);
    copy(s.m_bOpenOn, d.m_bOpenOn);
    copy(s.m_nOpenCol, d.m_nOpenCol);
    copy(s.m_bHiOn, d.m_bHiOn);
    copy(s.m_nHiCol, d.m_nHiCol);
    copy(s.m_bLoOn, d.m_bLoOn);
    copy(s.m_nLoCol, d.m_nLoCol);
    copy(s.m_nCloCol, d.m_nCloCol);
    copy(s.m_bVolOn, d.m_bVolOn);
    copy(s.m_nVolCol, d.m_nVolCol);
    copy(s.m_bOIOn, d.m_bOIOn);
    copy(s.m_nOICol, d.m_nOICol);
}

void CSettingsDlg::LoadFrom(const ConversionSettings& settings)
{
    // A stored negative number shows as the unsigned member holds it, as the framework did.
    PairSettings(settings, *this, [](const auto& setting, auto& member) {
        member = static_cast<std::decay_t<decltype(member)>>(setting);
    });
}

void CSettingsDlg::StoreTo(ConversionSettings& settings) const
{
    PairSettings(settings, *this, [](auto& setting, const auto& member) {
        setting = static_cast<std::decay_t<decltype(setting)>>(member);
    });
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
    DDX_Check(dx, m_chkHigh, m_bHiOn);
    DDX_Check(dx, m_chkLow, m_bLoOn);
    DDX_Check(dx, m_chkOpenInt, m_bOIOn);
    DDX_Check(dx, m_chkOpen, m_bOpenOn);
    DDX_Check(dx, m_chkVolume, m_bVolOn);
    const struct
    {
        QLineEdit* edit;
        unsigned& member;
    } columns[] = {{m_editDate, m_nDateCol}, {m_editOpen, m_nOpenCol},  {m_editHigh, m_nHiCol},   {m_editLow, m_nLoCol},
                   {m_editClose, m_nCloCol}, {m_editVolume, m_nVolCol}, {m_editOpenInt, m_nOICol}};
    for (const auto& column : columns)
    {
        DDX_Text(dx, column.edit, column.member);
        DDV_MinMaxUInt(dx, column.member, kMinColumn, kMaxColumn);
    }
    DDX_Radio(dx, {m_radExisting, m_radNew}, m_nExist);
    DDX_MasterText(dx, m_editName, m_strName);
    DDV_MaxChars(dx, m_strName, static_cast<int>(rules::kMaxNameLength));
    DDX_Text(dx, m_editPath, m_strPath);
    DDV_MaxChars(dx, m_strPath, static_cast<int>(rules::kMaxPathLength));
    DDX_MasterText(dx, m_editSymbol, m_strSymbol);
    DDV_MaxChars(dx, m_strSymbol, static_cast<int>(rules::kMaxSymbolLength));
    DDX_Text(dx, m_editSkip, m_nSkipRows);
    DDV_MinMaxUInt(dx, m_nSkipRows, rules::kMinSkipRows, rules::kMaxSkipRows);
    DDX_Check(dx, m_chkSkip, m_bSkipOn);
    DDX_Radio(dx, {m_radComma, m_radTab, m_radSpace}, m_nDelimiter);
    DDX_CBString(dx, m_cmbDateFormat, m_strDateFormat);
    DDV_MaxChars(dx, m_strDateFormat, static_cast<int>(rules::kMaxDateFormatLength));
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
    const struct
    {
        CSpinButton* spin;
        QLineEdit* edit;
        const int* on; // null: always enabled
        int lower;
        int upper;
    } spins[] = {{m_spinSkip, m_editSkip, &m_bSkipOn, rules::kMinSkipRows, rules::kMaxSkipRows},
                 {m_spinDate, m_editDate, nullptr, rules::kMinColumn, rules::kMaxColumn},
                 {m_spinOpen, m_editOpen, &m_bOpenOn, rules::kMinColumn, rules::kMaxColumn},
                 {m_spinHigh, m_editHigh, &m_bHiOn, rules::kMinColumn, rules::kMaxColumn},
                 {m_spinLow, m_editLow, &m_bLoOn, rules::kMinColumn, rules::kMaxColumn},
                 {m_spinClose, m_editClose, nullptr, rules::kMinColumn, rules::kMaxColumn},
                 {m_spinVolume, m_editVolume, &m_bVolOn, rules::kMinColumn, rules::kMaxColumn},
                 {m_spinOpenInt, m_editOpenInt, &m_bOIOn, rules::kMinColumn, rules::kMaxColumn}};
    for (const auto& s : spins)
    {
        s.spin->SetRange(s.lower, s.upper);
        const bool enabled = !s.on || *s.on;
        s.edit->setEnabled(enabled);
        s.spin->setEnabled(enabled);
    }
    if (QWidget* ok = findChild<QWidget*>("IDOK"))
        ok->setFocus(Qt::OtherFocusReason);
}

void CSettingsDlg::OnCheckBox(const OptionalField& field)
{
    UpdateData(true); // a refusal has shown its prompt; the members stand as far as they were read
    const bool on = *field.member != 0;
    field.edit->setEnabled(on);
    field.spin->setEnabled(on);
    if (!on)
        field.edit->setText(field.clearedText);
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
    m_strPath = chooser.m_strFileName.substr(0, static_cast<std::size_t>(chooser.m_nFileOffset - 1));
    m_editPath->setText(ToQString(m_strPath));
}

void CSettingsDlg::OnOK()
{
    if (!UpdateData(true))
        return;
    ConversionSettings columns;
    StoreTo(columns);
    if (const std::string duplicate = rules::DuplicateColumnsMessage(columns); !duplicate.empty())
    {
        platform::AfxMessageBox(duplicate, platform::MB_OK);
        return;
    }
    UpdateData(true);
    m_strSymbol = rules::TrimRightWhite(m_strSymbol);
    if (m_strSymbol.empty())
    {
        platform::AfxMessageBox(rules::kInvalidSymbol, platform::MB_OK);
        return;
    }
    m_strSymbol = rules::UpperCaseAscii(m_strSymbol);
    UpdateData(false);
    if (rules::TrimRightWhite(m_strPath).empty())
    {
        platform::AfxMessageBox(rules::kEnterPath, platform::MB_OK);
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
    ConversionSettings chosen;
    StoreTo(chosen);
    if (const std::string note = rules::FieldSetNote(chosen);
        !note.empty() && platform::AfxMessageBox(note + "\n\nConvert anyway?",
                                                 platform::MB_YESNO | platform::MB_ICONQUESTION) != platform::IDYES)
        return;
    if (m_pDateFormat)
        *m_pDateFormat = index + 1;
    UpdateData(true);
    accept();
}
