#include "dialogs/SettingsDlg.h"

#include "app/MessageBox.h"
#include "dialogs/ChooseDir.h"
#include "dialogs/DataExchange.h"
#include "dialogs/FileReading.h"
#include "dialogs/SpinButton.h"
#include "marketdata/Dates.h"
#include "marketdata/Securities.h"
#include "platform/Strings.h"
#include "settings/SettingsRules.h"
#include "text/Detection.h"
#include "text/InputText.h"
#include "text/PriceLines.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <utility>

using namespace tavrix;

namespace {
constexpr int kPreviewRows = 8;
constexpr int kTimeSlot = kFieldCount; // the time's heading label follows the fields'

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

QLabel* Caption(const QString& text, QWidget* buddy)
{
    auto* label = new QLabel(text);
    label->setBuddy(buddy);
    return label;
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

// The delimiter choices in the list's order, which is DelimiterChoice's.
const Delimiter kDelimiterOf[] = {Delimiter::kComma, Delimiter::kTab, Delimiter::kSpace, Delimiter::kSemicolon,
                                  Delimiter::kPipe};

// Captions with their mnemonics; each letter is used once in the dialog.
const char* const kFieldCaptions[kFieldCount] = {"&Date", "&Open", "&High", "&Low", "&Close", "&Volume", "Open &Int"};

// A column number as typed, or 0.
int TypedColumn(const QLineEdit* edit)
{
    bool ok = false;
    const int column = edit->text().trimmed().toInt(&ok);
    return ok && column >= rules::kMinColumn && column <= rules::kMaxColumn ? column : 0;
}

} // namespace

QPoint PlaceBeside(const QRect& owner, const QSize& size, const QRect& available)
{
    const int top =
        std::clamp(owner.top(), available.top(), std::max(available.top(), available.bottom() + 1 - size.height()));
    if (available.right() - owner.right() >= size.width())
        return {owner.right() + 1, top};
    if (owner.left() - available.left() >= size.width())
        return {owner.left() - size.width(), top};
    return {std::max(available.left(), available.right() + 1 - size.width()),
            std::max(available.top(), available.bottom() + 1 - size.height())};
}

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
            m_chkField[field] = Named<QCheckBox>(names.check, kFieldCaptions[field], this);
        m_lblHeading[field] = Named<QLabel>((std::string(names.column) + "Heading").c_str(), this);
    }
    m_editTime = AddNumberEdit("m_nTimeCol", &m_spinTime, "spinTime");
    m_chkTime = Named<QCheckBox>("m_bTimeOn", "Ti&me", this);
    m_lblHeading[kTimeSlot] = Named<QLabel>("m_nTimeColHeading", this);
    m_editSkip = AddNumberEdit("m_nSkipRows", &m_spinSkip, "spinSkipRows");

    m_chkSkip = Named<QCheckBox>("m_bSkipOn", "Skip &Rows", this);
    m_chkDaily = Named<QCheckBox>("m_bDaily", "O&ne bar a day", this);
    m_chkDaily->setToolTip("Intraday bars become one bar a day: the first open, highest high, lowest low, last "
                           "close, summed volume and last open interest");
    m_radExisting = Named<QRadioButton>("m_nExist0", "&Use Existing Master", this);
    m_radNew = Named<QRadioButton>("m_nExist1", "Make Ne&w Master", this);
    m_cmbDelimiter = Named<QComboBox>("m_nDelimiter", this);
    m_cmbDelimiter->addItems({"Comma", "Tab", "Space", "Semicolon", "Pipe"});
    m_cmbDecimal = Named<QComboBox>("m_nDecimal", this);
    m_cmbDecimal->addItems({"From the file", "Point: 1234.56", "Comma: 1234,56"});

    m_cmbDateFormat = Named<QComboBox>("m_strDateFormat", this);
    m_cmbDateFormat->setEditable(true);
    m_cmbDateFormat->setInsertPolicy(QComboBox::NoInsert);
    for (int code = 1; code <= kDateFormatCount; ++code)
        m_cmbDateFormat->addItem(DateFormatName(code));

    m_editPath = Named<QLineEdit>("m_strPath", this);
    m_editSymbol = Named<QLineEdit>("m_strSymbol", this);
    m_editName = Named<QLineEdit>("m_strName", this);

    // Input File: Supported Fields and Column Assignments, with the header's name under each.
    auto* fields = new QGroupBox("Input File: Supported Fields and Column Assignments", this);
    auto* fieldsLayout = new QGridLayout(fields);
    for (int slot = 0; slot <= kFieldCount; ++slot)
    {
        const bool time = slot == kTimeSlot;
        QLineEdit* edit = time ? m_editTime : m_editField[slot];
        QWidget* caption = time ? m_chkTime : m_chkField[slot];
        if (!caption)
            caption = Caption(kFieldCaptions[slot], edit);
        fieldsLayout->addWidget(caption, 0, slot);
        fieldsLayout->addWidget(NumberCell(edit, time ? m_spinTime : m_spinField[slot]), 1, slot);
        m_lblHeading[slot]->setMinimumWidth(56);
        m_lblHeading[slot]->setEnabled(false); // greyed: the file's words, not the dialog's
        fieldsLayout->addWidget(m_lblHeading[slot], 2, slot);
    }
    // A refused field's prompt names it by its caption.
    for (int field = 0; field < kFieldCount; ++field)
        m_editField[field]->setAccessibleName(NamesOf(static_cast<Field>(field)).caption);
    const std::pair<QWidget*, const char*> captions[] = {
        {m_editTime, "Time"},           {m_editSkip, "Skip Rows"}, {m_cmbDateFormat, "Date Format"},
        {m_editPath, "Directory Path"}, {m_editSymbol, "Symbol"},  {m_editName, "Name"}};
    for (const auto& [field, caption] : captions)
        field->setAccessibleName(caption);

    // Input File: Detail Settings
    auto* details = new QGroupBox("Input File: Detail Settings", this);
    auto* detailsLayout = new QGridLayout(details);
    auto* detect = Named<QPushButton>("IDC_DETECT", "De&tect", this);
    detect->setToolTip("Fill in delimiter, columns, date format, decimal mark and rows to skip from the file");
    detailsLayout->addWidget(Caption("D&elimiter", m_cmbDelimiter), 0, 0);
    detailsLayout->addWidget(m_cmbDelimiter, 1, 0);
    detailsLayout->addWidget(Caption("Decimal Mar&k", m_cmbDecimal), 0, 1);
    detailsLayout->addWidget(m_cmbDecimal, 1, 1);
    detailsLayout->addWidget(Caption("Date &Format", m_cmbDateFormat), 0, 2);
    detailsLayout->addWidget(m_cmbDateFormat, 1, 2);
    detailsLayout->addWidget(m_chkSkip, 0, 3);
    detailsLayout->addWidget(NumberCell(m_editSkip, m_spinSkip), 1, 3);
    detailsLayout->addWidget(detect, 1, 4);
    detailsLayout->addWidget(m_chkDaily, 1, 5);
    detailsLayout->setColumnStretch(6, 1);

    // Input File: Preview, the first rows split as the settings say, like a spreadsheet's import.
    auto* preview = new QGroupBox("Input File: First Rows as Read", this);
    auto* previewLayout = new QVBoxLayout(preview);
    m_tblPreview = Named<QTableWidget>("tblPreview", this);
    m_tblPreview->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_tblPreview->setSelectionMode(QAbstractItemView::NoSelection);
    m_tblPreview->setFocusPolicy(Qt::NoFocus);
    m_tblPreview->setWordWrap(false);
    const int rowHeight = m_tblPreview->fontMetrics().height() + 4;
    m_tblPreview->verticalHeader()->setDefaultSectionSize(rowHeight);
    // Every row shown, with the headings and the sideways scroll bar.
    m_tblPreview->setMinimumHeight(rowHeight * (kPreviewRows + 1) +
                                   m_tblPreview->horizontalScrollBar()->sizeHint().height() + 4);
    previewLayout->addWidget(m_tblPreview);

    // Output File: Path to Output Files
    auto* output = new QGroupBox("Output File: Path to Output Files", this);
    auto* outputLayout = new QGridLayout(output);
    auto* browse = Named<QPushButton>("IDC_BROWSE", "&Browse...", this);
    outputLayout->addWidget(Caption("Directory &Path", m_editPath), 0, 0);
    outputLayout->addWidget(m_editPath, 1, 0);
    outputLayout->addWidget(browse, 1, 1);
    m_editPath->setMinimumWidth(360);

    // Output File: Detail Settings; several files get a list of their symbols instead.
    auto* target = new QGroupBox("Output File: Detail Settings", this);
    auto* targetLayout = new QGridLayout(target);
    targetLayout->addWidget(new QLabel("How to use a Master File in this Directory?"), 0, 0, 1, 2);
    targetLayout->addWidget(m_radExisting, 1, 0);
    targetLayout->addWidget(m_radNew, 1, 1);
    m_pSymbolRow = new QWidget(this);
    auto* symbolLayout = new QGridLayout(m_pSymbolRow);
    symbolLayout->setContentsMargins(0, 0, 0, 0);
    symbolLayout->addWidget(Caption("&Symbol", m_editSymbol), 0, 0);
    symbolLayout->addWidget(m_editSymbol, 1, 0);
    symbolLayout->addWidget(Caption("N&ame", m_editName), 0, 1);
    symbolLayout->addWidget(m_editName, 1, 1);
    targetLayout->addWidget(m_pSymbolRow, 0, 2, 2, 1);
    m_tblFiles = Named<QTableWidget>("tblFiles", 0, 2, this);
    m_tblFiles->setHorizontalHeaderLabels({"File", "Symbol"});
    m_tblFiles->horizontalHeader()->setStretchLastSection(true);
    m_tblFiles->verticalHeader()->hide();
    m_tblFiles->setSelectionMode(QAbstractItemView::SingleSelection);
    m_tblFiles->setAccessibleName("Symbol");
    auto* filesCaption =
        Caption("Files and s&ymbols (a symbol is the file's name; double-click to change it)", m_tblFiles);
    filesCaption->setObjectName("lblFiles");
    targetLayout->addWidget(filesCaption, 2, 0, 1, 3);
    targetLayout->addWidget(m_tblFiles, 3, 0, 1, 3);
    filesCaption->hide();
    m_tblFiles->hide();
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
    for (QGroupBox* group : {fields, details, preview, output, target})
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

    // Tab order: the buttons, then the fields group by group.
    std::vector<QWidget*> order = {ok, cancel};
    for (int field = 0; field < kFieldCount; ++field)
    {
        if (m_chkField[field])
            order.push_back(m_chkField[field]);
        order.push_back(m_editField[field]);
    }
    for (QWidget* widget : std::initializer_list<QWidget*>{
             m_chkTime, m_editTime, m_cmbDelimiter, m_cmbDecimal, m_cmbDateFormat, m_chkSkip, m_editSkip, detect,
             m_chkDaily, m_editPath, browse, m_radExisting, m_radNew, m_editSymbol, m_editName, m_tblFiles})
        order.push_back(widget);
    for (std::size_t i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);

    connect(ok, &QPushButton::clicked, this, &CSettingsDlg::OnOK);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(browse, &QPushButton::clicked, this, &CSettingsDlg::OnBrowse);
    connect(detect, &QPushButton::clicked, this, &CSettingsDlg::OnDetect);
    for (int field = 0; field < kFieldCount; ++field)
        if (QCheckBox* box = m_chkField[field])
            connect(box, &QCheckBox::clicked, this,
                    [this, box, field] { OnCheckBox(box, m_editField[field], m_spinField[field], "1"); });
    connect(m_chkSkip, &QCheckBox::clicked, this, [this] { OnCheckBox(m_chkSkip, m_editSkip, m_spinSkip, "0"); });
    connect(m_chkTime, &QCheckBox::clicked, this, [this] {
        // The time gets the first column no field has, rather than an empty field to be refused.
        for (int column = rules::kMinColumn;
             column <= rules::kMaxColumn && m_chkTime->isChecked() && m_editTime->text().isEmpty(); ++column)
            if (std::none_of(m_editField.begin(), m_editField.end(),
                             [column](const QLineEdit* edit) { return TypedColumn(edit) == column; }))
                m_editTime->setText(QString::number(column));
        OnCheckBox(m_chkTime, m_editTime, m_spinTime, "");
    });
    // Whatever changes how the rows split shows in the preview at once.
    for (QLineEdit* edit : m_editField)
        connect(edit, &QLineEdit::textChanged, this, &CSettingsDlg::RefreshPreview);
    for (QLineEdit* edit : {m_editTime, m_editSkip})
        connect(edit, &QLineEdit::textChanged, this, &CSettingsDlg::RefreshPreview);
    for (QCheckBox* box : {m_chkTime, m_chkSkip})
        connect(box, &QCheckBox::toggled, this, &CSettingsDlg::RefreshPreview);
    for (QCheckBox* box : m_chkField)
        if (box)
            connect(box, &QCheckBox::toggled, this, &CSettingsDlg::RefreshPreview);
    connect(m_cmbDelimiter, &QComboBox::currentIndexChanged, this, &CSettingsDlg::RefreshPreview);
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

void CSettingsDlg::SetInput(std::shared_ptr<const InputText> input, const std::string& path)
{
    m_pInput = std::move(input);
    m_strInputFolder = FromQString(QFileInfo(ToQString(path)).absolutePath());
    m_header = m_pInput ? reading::HeaderOf(*m_pInput) : Header{};
    if (m_inputs.empty())
        m_inputs = {path};
}

void CSettingsDlg::SetFiles(const std::vector<std::string>& inputs)
{
    m_inputs = inputs;
    const bool batch = IsBatch();
    m_pSymbolRow->setVisible(!batch);
    m_tblFiles->setVisible(batch);
    findChild<QWidget*>("lblFiles")->setVisible(batch);
    m_tblFiles->setRowCount(batch ? static_cast<int>(inputs.size()) : 0);
    for (int row = 0; batch && row < m_tblFiles->rowCount(); ++row)
    {
        const QString path = ToQString(inputs[static_cast<std::size_t>(row)]);
        auto* file = new QTableWidgetItem(QFileInfo(path).fileName());
        file->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        file->setToolTip(path);
        m_tblFiles->setItem(row, 0, file);
        m_tblFiles->setItem(row, 1,
                            new QTableWidgetItem(ToQString(SymbolOfFile(inputs[static_cast<std::size_t>(row)]))));
    }
    m_tblFiles->resizeColumnToContents(0);
    m_tblFiles->setMinimumHeight(std::min(6, m_tblFiles->rowCount() + 1) * (m_tblFiles->fontMetrics().height() + 8));
}

void CSettingsDlg::SetTickers(const std::vector<std::pair<std::string, std::string>>& tickers)
{
    m_nTickers = tickers.size();
    const bool market = IsMarket();
    m_pSymbolRow->setVisible(!market);
    m_tblFiles->setVisible(market);
    auto* caption = findChild<QLabel*>("lblFiles");
    caption->setVisible(market);
    if (!market)
        return;
    caption->setText("Securities in the file, one each (named by its ticker column):");
    m_tblFiles->setHorizontalHeaderLabels({"Ticker", "Name"});
    m_tblFiles->setAccessibleName("Tickers");
    m_tblFiles->setRowCount(static_cast<int>(tickers.size()));
    for (int row = 0; row < m_tblFiles->rowCount(); ++row)
    {
        const auto& [symbol, name] = tickers[static_cast<std::size_t>(row)];
        for (int column = 0; column < 2; ++column)
        {
            auto* item = new QTableWidgetItem(ToQString(platform::Latin1ToUtf8(column == 0 ? symbol : name)));
            item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
            m_tblFiles->setItem(row, column, item);
        }
    }
    m_tblFiles->resizeColumnToContents(0);
    m_tblFiles->setMinimumHeight(std::min(6, m_tblFiles->rowCount() + 1) * (m_tblFiles->fontMetrics().height() + 8));
}

std::vector<BatchFile> CSettingsDlg::Files() const
{
    std::vector<BatchFile> files;
    for (std::size_t i = 0; i < m_inputs.size() && i < m_symbols.size(); ++i)
        files.push_back({m_inputs[i], m_symbols[i], ""});
    return files;
}

int CSettingsDlg::DoModal()
{
    OnInitDialog();
    QWidget* owner = parentWidget() ? parentWidget()->window() : nullptr;
    if (QScreen* screen = owner ? owner->screen() : QGuiApplication::primaryScreen())
    {
        FitToScreen(screen->availableGeometry());
        if (owner)
            move(PlaceBeside(owner->frameGeometry(), frameSize(), screen->availableGeometry()));
    }
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
    // The time has no column of its own unless switched on; 0 says so.
    bool timeOn = s.m_nTimeCol > 0;
    DDX_Check(dx, m_chkTime, timeOn);
    if (!dx.m_bSaveAndValidate && !timeOn)
        m_editTime->clear();
    else if (timeOn && !dx.m_bFailed)
    {
        DDX_Text(dx, m_editTime, s.m_nTimeCol);
        DDV_MinMaxUInt(dx, s.m_nTimeCol, kMinColumn, kMaxColumn);
    }
    else if (!dx.m_bFailed)
        s.m_nTimeCol = 0;
    DDX_Radio(dx, {m_radExisting, m_radNew}, s.m_nExist);
    DDX_MasterText(dx, m_editName, s.m_strName);
    DDV_MaxChars(dx, s.m_strName, static_cast<int>(rules::kMaxNameLength));
    // No typing limit on the path: a longer one pasted is refused with a word, never cut.
    DDX_Text(dx, m_editPath, s.m_strPath);
    if (dx.m_bSaveAndValidate)
        DDV_MaxChars(dx, s.m_strPath, static_cast<int>(rules::kMaxPathLength));
    DDX_MasterText(dx, m_editSymbol, s.m_strSymbol);
    DDV_MaxChars(dx, s.m_strSymbol, static_cast<int>(rules::kMaxSymbolLength));
    DDX_Text(dx, m_editSkip, s.m_nSkipRows);
    DDV_MinMaxUInt(dx, s.m_nSkipRows, rules::kMinSkipRows, rules::kMaxSkipRows);
    DDX_Check(dx, m_chkSkip, s.m_bSkipOn);
    DDX_Check(dx, m_chkDaily, s.m_bDaily);
    DDX_CBIndex(dx, m_cmbDelimiter, s.m_nDelimiter, 0);
    DDX_CBIndex(dx, m_cmbDecimal, s.m_nDecimal, 1);
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
    m_spinTime->SetRange(rules::kMinColumn, rules::kMaxColumn);
    m_editTime->setEnabled(m_settings.m_nTimeCol > 0);
    m_spinTime->setEnabled(m_settings.m_nTimeCol > 0);
    for (int field = 0; field < kFieldCount; ++field)
    {
        m_spinField[field]->SetRange(rules::kMinColumn, rules::kMaxColumn);
        const bool enabled = !m_chkField[field] || m_settings.m_fields[field].on;
        m_editField[field]->setEnabled(enabled);
        m_spinField[field]->setEnabled(enabled);
    }
    findChild<QWidget*>("IDC_DETECT")->setEnabled(m_pInput != nullptr);
    RefreshPreview();
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
    else if (edit->text().isEmpty())
        edit->setText("1");
}

void CSettingsDlg::OnDetect()
{
    if (!m_pInput)
        return;
    std::string error;
    ConversionSettings found = m_settings;
    // The layout chosen in the list settles dates that read several ways.
    const int chosen = m_cmbDateFormat->findText(m_cmbDateFormat->currentText(), Qt::MatchExactly) + 1;
    const std::string description = reading::FillFromFile(*m_pInput, &found, &error, chosen);
    if (!error.empty())
    {
        ui::AfxMessageBox("The file does not say how to read it:\n" + error.substr(0, error.find('\n')) +
                              "\n\nThe settings were left as they were.",
                          ui::Icon::kInformation);
        return;
    }
    // The list, not the file, settled the dates: say so, or the layout looks found.
    if (const std::size_t note = description.find(kDatesReadSeveralWays); note != std::string::npos)
    {
        const std::size_t end = description.find('.', note); // layout names hold no full stop
        ui::AfxMessageBox(description.substr(note, end - note + 1), ui::Icon::kInformation);
    }
    // Only the reading changes: what was typed for the output stays.
    UpdateData(true);
    found.m_strPath = m_settings.m_strPath;
    found.m_strSymbol = m_settings.m_strSymbol;
    found.m_strName = m_settings.m_strName;
    found.m_nExist = m_settings.m_nExist;
    m_settings = found;
    UpdateData(false);
    OnInitDialog();
}

void CSettingsDlg::RefreshPreview()
{
    // Which field each column holds, as the controls say now.
    std::vector<QString> fieldOf(rules::kMaxColumn + 1);
    for (int field = 0; field < kFieldCount; ++field)
        if (!m_chkField[field] || m_chkField[field]->isChecked())
            if (const int column = TypedColumn(m_editField[field]))
                fieldOf[column] +=
                    (fieldOf[column].isEmpty() ? "" : "+") + QString(NamesOf(static_cast<Field>(field)).caption);
    if (m_chkTime->isChecked())
        if (const int column = TypedColumn(m_editTime))
            fieldOf[column] += (fieldOf[column].isEmpty() ? "" : "+") + QString("Time");

    for (int slot = 0; slot <= kFieldCount; ++slot)
    {
        const bool time = slot == kTimeSlot;
        const QCheckBox* box = time ? m_chkTime : m_chkField[slot];
        const int column = !box || box->isChecked() ? TypedColumn(time ? m_editTime : m_editField[slot]) : 0;
        const bool named = m_header.line > 0 && column >= 1 && column <= static_cast<int>(m_header.names.size());
        const QString name = named ? DisplayText(m_header.names[static_cast<std::size_t>(column - 1)]) : QString();
        m_lblHeading[slot]->setText(fontMetrics().elidedText(name, Qt::ElideRight, m_lblHeading[slot]->minimumWidth()));
        m_lblHeading[slot]->setToolTip(name);
    }

    const int delimiter = m_cmbDelimiter->currentIndex();
    const int rows = m_pInput ? static_cast<int>(std::min<std::size_t>(m_pInput->RowCount(), kPreviewRows)) : 0;
    m_tblPreview->clear();
    m_tblPreview->setRowCount(rows);
    if (delimiter < 0)
    {
        m_tblPreview->setColumnCount(0);
        return;
    }
    bool skipOk = false;
    const int skipped = m_chkSkip->isChecked() ? m_editSkip->text().trimmed().toInt(&skipOk) : 0;
    const QBrush greyed = palette().brush(QPalette::Disabled, QPalette::Text);
    int columns = 0;
    QStringList lineNumbers;
    for (int row = 0; row < rows; ++row)
    {
        const TextRow text = m_pInput->Row(static_cast<std::size_t>(row));
        std::array<Token, rules::kMaxColumn> tokens{};
        const int count = SplitTokens(text.text, std::min(text.length, InputText::kKeep), kDelimiterOf[delimiter],
                                      tokens.data(), rules::kMaxColumn);
        columns = std::max(columns, std::min(count, rules::kMaxColumn));
        m_tblPreview->setColumnCount(columns);
        for (int column = 0; column < count && column < rules::kMaxColumn; ++column)
        {
            const Token& token = tokens[static_cast<std::size_t>(column)];
            auto* cell = new QTableWidgetItem(DisplayText(std::string(token.text, token.length)));
            if (row < skipped)
                cell->setForeground(greyed); // skipped rows are no price lines
            m_tblPreview->setItem(row, column, cell);
        }
        lineNumbers << QString::number(row + 1);
    }
    QStringList headings;
    for (int column = 1; column <= columns; ++column)
        headings << (fieldOf[static_cast<std::size_t>(column)].isEmpty()
                         ? QString::number(column)
                         : QString("%1: %2").arg(column).arg(fieldOf[static_cast<std::size_t>(column)]));
    m_tblPreview->setHorizontalHeaderLabels(headings);
    m_tblPreview->setVerticalHeaderLabels(lineNumbers);
    m_tblPreview->resizeColumnsToContents();
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

bool CSettingsDlg::ReadFileSymbols()
{
    m_symbols.clear();
    for (int row = 0; row < m_tblFiles->rowCount(); ++row)
    {
        QTableWidgetItem* cell = m_tblFiles->item(row, 1);
        std::string symbol;
        std::string problem = rules::ToMasterText(FromQString(cell->text()), &symbol);
        symbol = platform::UpperLatin1(platform::TrimRightWhite(symbol));
        if (problem.empty() && symbol.empty())
            problem = rules::kInvalidSymbol;
        if (problem.empty() && symbol.size() > rules::kMaxSymbolLength)
            problem = rules::MaxCharsPrompt(rules::kMaxSymbolLength);
        if (!problem.empty())
        {
            ui::AfxMessageBox(problem + "\n" + FromQString(m_tblFiles->item(row, 0)->text()));
            m_tblFiles->setFocus(Qt::OtherFocusReason);
            m_tblFiles->setCurrentCell(row, 1);
            m_tblFiles->editItem(cell);
            m_symbols.clear();
            return false;
        }
        cell->setText(QString::fromLatin1(symbol.data(), static_cast<qsizetype>(symbol.size())));
        m_symbols.push_back(symbol);
    }
    return true;
}

bool CSettingsDlg::ConfirmExistingSecurity()
{
    m_bUpdate = false;
    Security found;
    if (!target::FindSecurity(m_settings.m_strPath, m_settings.m_strSymbol, true, &found))
        return true;
    const std::string symbol = platform::Latin1ToUtf8(m_settings.m_strSymbol);
    const std::string held = platform::Latin1ToUtf8(found.symbol) +
                             (found.name.empty() ? "" : " (" + platform::Latin1ToUtf8(found.name) + ")") + ", " +
                             IsoDayText(DayOfDateValue(found.firstDate)) + " to " +
                             IsoDayText(DayOfDateValue(found.lastDate)) + ", " + found.PriceFileName();
    if (ui::AskYesNo(symbol + " is already a security of " + platform::TrimRightWhite(m_settings.m_strPath) + ":\n" +
                     held +
                     "\n\nAdd the file's new days to it? Days it holds already are compared with the file's.\n"
                     "No goes back to the settings, to choose another symbol."))
    {
        m_bUpdate = true;
        return true;
    }
    m_editSymbol->setFocus(Qt::OtherFocusReason);
    m_editSymbol->selectAll();
    return false;
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
    for (int field = 0; field < kFieldCount && m_settings.m_nTimeCol > 0; ++field)
        if ((m_settings.m_fields[field].on || !m_chkField[field]) &&
            m_settings.m_fields[field].column == m_settings.m_nTimeCol)
        {
            ui::AfxMessageBox(std::string("Duplicate columns specified\n") +
                              NamesOf(static_cast<Field>(field)).caption + " and Time both use column " +
                              std::to_string(m_settings.m_nTimeCol) + "\nCorrect or disable");
            return;
        }
    std::string& symbol = m_settings.m_strSymbol;
    if (IsBatch())
    {
        if (!ReadFileSymbols())
            return;
    }
    else if (!IsMarket())
    {
        symbol = platform::TrimRightWhite(symbol);
        if (symbol.empty())
        {
            ui::AfxMessageBox(rules::kInvalidSymbol);
            return;
        }
        symbol = platform::UpperLatin1(symbol);
        UpdateData(false);
    }
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
    // A relative path names a folder beside the file, the one the log shows, whatever folder the
    // program was started in; ~ is the home folder.
    if (const QString typed = m_editPath->text(); QDir::isRelativePath(typed) && !m_strInputFolder.empty())
    {
        const QString base = typed == "~" || typed.startsWith("~/") ? QDir::homePath() : ToQString(m_strInputFolder);
        const QString rest = typed.startsWith("~") ? typed.mid(typed.size() > 1 ? 2 : 1) : typed;
        m_editPath->setText(QDir::cleanPath(QDir(base).absoluteFilePath(rest)));
        if (!UpdateData(true))
            return;
    }
    // Some readers ignore F<n>.DOP and take the fields from their count; say what they would show.
    const std::string note =
        IsBatch() || IsMarket() ? rules::FieldSetNote(m_settings.FieldsOn(), "") : rules::FieldSetNote(m_settings);
    if (!note.empty() && !ui::AskYesNo(note + "\n\nConvert anyway?"))
        return;
    if (!IsBatch() && !IsMarket() && m_settings.m_nExist != MasterChoice::kMakeNew && !ConfirmExistingSecurity())
        return;
    if (m_pDateFormat)
        *m_pDateFormat = index + 1;
    UpdateData(true);
    m_settings.m_bColumnsGiven = true; // confirmed here: the user's own
    accept();
}
