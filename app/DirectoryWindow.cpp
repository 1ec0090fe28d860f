#include "app/DirectoryWindow.h"

#include "app/FindingTarget.h"
#include "app/JobOutcome.h"
#include "app/MessageBox.h"
#include "app/PriceChart.h"
#include "app/PriceRecordModel.h"
#include "app/SecurityTableModel.h"
#include "dialogs/DataExchange.h"
#include "engine/ConversionJob.h"
#include "engine/DirectoryReading.h"
#include "engine/SecurityExport.h"
#include "platform/Strings.h"
#include "settings/ConversionSettings.h"

#include <QApplication>
#include <QDir>
#include <QDockWidget>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHeaderView>
#include <QInputDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QRegularExpression>
#include <QSaveFile>
#include <QScreen>
#include <QSettings>
#include <QSortFilterProxyModel>
#include <QSplitter>
#include <QStatusBar>
#include <QStyle>
#include <QTableView>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>

#include <memory>
#include <sstream>

namespace {
QString Utf8(const std::string& text)
{
    return QString::fromStdString(text);
}

std::string SymbolText(const tavrix::Security& security)
{
    return platform::Latin1ToUtf8(security.symbol);
}

// The directory a job is given: the security's own, without the walk's closing '/'.
std::string JobDirectory(const tavrix::Security& security)
{
    std::string directory = security.directory;
    if (directory.size() > 1 && directory.back() == '/')
        directory.pop_back();
    return directory;
}

void TightRows(QTableView* table)
{
    table->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    table->verticalHeader()->setDefaultSectionSize(table->fontMetrics().height() + 6);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setSelectionMode(QAbstractItemView::SingleSelection);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setAlternatingRowColors(true);
    table->setWordWrap(false);
}

// Folder the file dialogs start in: the one of the file opened last in the main window.
QString StartFolder()
{
    const QFileInfo last(QSettings().value("Recent File List/File1").toString());
    return !last.filePath().isEmpty() && last.dir().exists() ? last.absolutePath() : QDir::homePath();
}
} // namespace

CDirectoryWindow::CDirectoryWindow(const std::string& directory, tavrix::ProfileStore* store, QWidget* parent)
    : QMainWindow(parent),
      m_strDirectory(FromQString(QDir::cleanPath(QFileInfo(ToQString(directory)).absoluteFilePath()))),
      m_pProfileStore(store), m_pSecurities(new CSecurityTableModel(this)), m_pSorted(new QSortFilterProxyModel(this)),
      m_pRecords(new CPriceRecordModel(this))
{
    setObjectName("CDirectoryWindow");
    const QString name = QFileInfo(ToQString(m_strDirectory)).fileName();
    setWindowTitle((name.isEmpty() ? ToQString(m_strDirectory) : name) + " - Tavrix");
    setWindowIcon(QIcon(":/res/tavrix-32.xpm"));

    m_pSorted->setSourceModel(m_pSecurities);
    m_pSorted->setSortRole(CSecurityTableModel::kSortRole);
    m_pSorted->setSortCaseSensitivity(Qt::CaseInsensitive);
    m_pSorted->setFilterCaseSensitivity(Qt::CaseInsensitive);
    m_pSorted->setFilterKeyColumn(-1);

    m_pFilter = new QLineEdit;
    m_pFilter->setObjectName("m_filter");
    m_pFilter->setPlaceholderText("Filter by symbol, name, date or file (Ctrl+F)");
    m_pFilter->setClearButtonEnabled(true);
    connect(m_pFilter, &QLineEdit::textChanged, m_pSorted, &QSortFilterProxyModel::setFilterFixedString);

    m_pTable = new QTableView;
    m_pTable->setObjectName("m_securities");
    TightRows(m_pTable);
    m_pTable->verticalHeader()->hide();
    m_pTable->setModel(m_pSorted);
    // The table opens in the directory's own order; a click on a heading sorts.
    m_pTable->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    m_pTable->setSortingEnabled(true);
    m_pTable->horizontalHeader()->setStretchLastSection(true);
    const QFontMetrics metrics = m_pTable->fontMetrics();
    // Widths from sample texts: measuring every row would cost more than the rest of the opening.
    const char* const widest[] = {"WWWWWWWW",    "WWWWWWWWWWWWWWWW", "Time Open High Low Close Volume Open Int",
                                  "0000-00-00_", "0000-00-00_",      "Records_",
                                  "F0000.MWD"};
    for (int column = 0; column < CSecurityTableModel::kSubDirectory; ++column)
        m_pTable->setColumnWidth(column, metrics.horizontalAdvance(widest[column]) + 12);

    auto* securities = new QWidget;
    auto* securitiesLayout = new QVBoxLayout(securities);
    securitiesLayout->setContentsMargins(0, 0, 0, 0);
    securitiesLayout->setSpacing(2);
    securitiesLayout->addWidget(m_pFilter);
    securitiesLayout->addWidget(m_pTable);

    m_pChart = new CPriceChart;
    m_pChart->setObjectName("m_chart");
    m_pRecordTable = new QTableView;
    m_pRecordTable->setObjectName("m_records");
    TightRows(m_pRecordTable);
    m_pRecordTable->setModel(m_pRecords);
    m_pRecordTable->horizontalHeader()->setDefaultSectionSize(metrics.horizontalAdvance("0000-00-00") + 14);

    auto* prices = new QSplitter(Qt::Horizontal);
    prices->addWidget(m_pChart);
    prices->addWidget(m_pRecordTable);
    prices->setSizes({3000, 1000});
    auto* panes = new QSplitter(Qt::Vertical);
    panes->addWidget(securities);
    panes->addWidget(prices);
    // A third for the table, the rest for the prices, whatever the window's size.
    panes->setSizes({1000, 2000});
    setCentralWidget(panes);

    m_pFindings = new QListWidget;
    m_pFindings->setObjectName("m_findings");
    m_pCheckDock = new QDockWidget("Check Directory", this);
    m_pCheckDock->setObjectName("m_checkDock");
    m_pCheckDock->setWidget(m_pFindings);
    addDockWidget(Qt::BottomDockWidgetArea, m_pCheckDock);
    m_pCheckDock->hide();

    QMenu* directoryMenu = menuBar()->addMenu("&Directory");
    QAction* check = AddAction(directoryMenu, "ID_CHECK_DIRECTORY", "&Check Directory", QKeySequence(Qt::Key_F7),
                               "List what is wrong with the directory's files");
    QAction* refresh =
        AddAction(directoryMenu, "ID_REFRESH", "&Refresh", QKeySequence::Refresh, "Read the directory again");
    directoryMenu->addSeparator();
    QAction* close = AddAction(directoryMenu, "ID_CLOSE", "C&lose", QKeySequence::Close, "Close this window");
    QMenu* securityMenu = menuBar()->addMenu("&Security");
    m_pUpdate = AddAction(securityMenu, "ID_UPDATE_FROM_FILE", "&Update from File...", QKeySequence("Ctrl+U"),
                          "Add the new days of a price file to the selected security");
    m_pRemove = AddAction(securityMenu, "ID_REMOVE", "&Remove...", QKeySequence::Delete,
                          "Remove the selected security and its files from the directory");
    m_pExport = AddAction(securityMenu, "ID_EXPORT_CSV", "&Export CSV...", QKeySequence("Ctrl+E"),
                          "Save the selected security's records as a CSV file");
    QMenu* viewMenu = menuBar()->addMenu("&View");
    QAction* zoomIn = AddAction(viewMenu, "ID_ZOOM_IN", "Zoom &In", QKeySequence::ZoomIn, "Show fewer days");
    QAction* zoomOut = AddAction(viewMenu, "ID_ZOOM_OUT", "Zoom &Out", QKeySequence::ZoomOut, "Show more days");
    QAction* showAll = AddAction(viewMenu, "ID_SHOW_ALL", "Show &All Dates", QKeySequence("Ctrl+0"),
                                 "Show every record of the security");
    viewMenu->addSeparator();
    QAction* find = AddAction(viewMenu, "ID_FIND", "&Filter Securities", QKeySequence::Find,
                              "Show only the securities that contain a text");
    QAction* findings = m_pCheckDock->toggleViewAction();
    findings->setText("Check &Results");
    viewMenu->addAction(findings);

    const QStyle* style = QApplication::style();
    m_pUpdate->setIcon(style->standardIcon(QStyle::SP_DialogOpenButton));
    m_pRemove->setIcon(style->standardIcon(QStyle::SP_TrashIcon));
    m_pExport->setIcon(style->standardIcon(QStyle::SP_DialogSaveButton));
    check->setIcon(style->standardIcon(QStyle::SP_FileDialogContentsView));
    refresh->setIcon(style->standardIcon(QStyle::SP_BrowserReload));
    QToolBar* toolBar = addToolBar("Directory");
    toolBar->setObjectName("m_toolBar");
    toolBar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    for (QAction* action : {m_pUpdate, m_pRemove, m_pExport, check, refresh})
        toolBar->addAction(action);
    toolBar->addSeparator();
    for (QAction* action : {zoomIn, zoomOut, showAll})
        toolBar->addAction(action);

    connect(check, &QAction::triggered, this, &CDirectoryWindow::OnCheckDirectory);
    connect(refresh, &QAction::triggered, this, &CDirectoryWindow::OnRefresh);
    connect(close, &QAction::triggered, this, &QWidget::close);
    connect(m_pUpdate, &QAction::triggered, this, &CDirectoryWindow::OnUpdateFromFile);
    connect(m_pRemove, &QAction::triggered, this, &CDirectoryWindow::OnRemove);
    connect(m_pExport, &QAction::triggered, this, &CDirectoryWindow::OnExportCsv);
    connect(zoomIn, &QAction::triggered, m_pChart, [this] { m_pChart->ZoomBy(1.5); });
    connect(zoomOut, &QAction::triggered, m_pChart, [this] { m_pChart->ZoomBy(1 / 1.5); });
    connect(showAll, &QAction::triggered, m_pChart, &CPriceChart::ResetZoom);
    connect(find, &QAction::triggered, m_pFilter, [this] {
        m_pFilter->setFocus();
        m_pFilter->selectAll();
    });
    // The selection, not the current row: a click makes the row current before it selects it.
    connect(m_pTable->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &CDirectoryWindow::OnSecurityChanged);
    connect(m_pRecordTable->selectionModel(), &QItemSelectionModel::currentRowChanged, m_pChart,
            [this](const QModelIndex& current) {
                if (current.isValid())
                    m_pChart->ShowRecord(current.row());
            });
    connect(m_pChart, &CPriceChart::RecordClicked, m_pRecordTable, [this](int record) {
        m_pRecordTable->selectRow(record);
        m_pRecordTable->scrollTo(m_pRecords->index(record, 0), QAbstractItemView::PositionAtCenter);
    });
    connect(m_pFindings, &QListWidget::itemActivated, this, &CDirectoryWindow::OnFindingActivated);
    connect(m_pFindings, &QListWidget::currentItemChanged, this, &CDirectoryWindow::OnFindingActivated);

    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    resize(std::min(1180, screen.width() * 9 / 10), std::min(820, screen.height() * 9 / 10));
    Reload(nullptr);
}

CDirectoryWindow::~CDirectoryWindow() = default;

QAction* CDirectoryWindow::AddAction(QMenu* menu, const char* name, const QString& text, const QKeySequence& shortcut,
                                     const QString& tip)
{
    auto* action = new QAction(text, this);
    action->setObjectName(name);
    action->setShortcut(shortcut);
    action->setStatusTip(tip);
    action->setToolTip(QString(text).remove('&').remove("...") + " (" + shortcut.toString(QKeySequence::NativeText) +
                       ")");
    menu->addAction(action);
    return action;
}

const tavrix::Security* CDirectoryWindow::SelectedSecurity() const
{
    const QModelIndex current = m_pTable->selectionModel()->currentIndex();
    if (!current.isValid() || !m_pTable->selectionModel()->isRowSelected(current.row(), QModelIndex()))
        return nullptr;
    return &m_pSecurities->SecurityAt(m_pSorted->mapToSource(current).row());
}

bool CDirectoryWindow::SelectSecurity(const std::string& directory, int fileNumber)
{
    const int row = m_pSecurities->RowOf(directory, fileNumber);
    if (row < 0)
        return false;
    QModelIndex shown = m_pSorted->mapFromSource(m_pSecurities->index(row, 0));
    if (!shown.isValid())
    {
        m_pFilter->clear();
        shown = m_pSorted->mapFromSource(m_pSecurities->index(row, 0));
    }
    m_pTable->selectionModel()->setCurrentIndex(shown, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    m_pTable->scrollTo(shown);
    return true;
}

void CDirectoryWindow::Reload(const tavrix::Security* keep)
{
    // `keep` lives in the model about to be replaced.
    const std::string keepDirectory = keep ? keep->directory : "";
    const int keepNumber = keep ? keep->fileNumber : 0;
    std::vector<tavrix::Security> securities;
    // Read under the directory's shared lock, after a cut-off change is put right: never half a change.
    tavrix::ReadingLock reading;
    const tavrix::JobError locked = reading.Acquire(m_strDirectory);
    const std::string error = locked.Failed()
                                  ? "Cannot read the MASTER file in " + m_strDirectory + ":\n" + locked.Text()
                                  : tavrix::ListSecurities(m_strDirectory, &securities);
    reading.Release();
    {
        const QSignalBlocker blocker(m_pTable->selectionModel());
        m_pSecurities->SetSecurities(m_strDirectory, std::move(securities));
        if (keep)
            SelectSecurity(keepDirectory, keepNumber);
    }
    OnSecurityChanged();
    if (!error.empty())
    {
        statusBar()->showMessage(DisplayText(error).replace('\n', ' '));
        // Once the window is up, so the message has a window to stand over.
        QTimer::singleShot(0, this, [error] { ui::AfxMessageBox(error, ui::Icon::kWarning); });
    }
    else if (!keep)
        statusBar()->showMessage(QString(m_pSecurities->rowCount() == 1 ? "%1 security in %2" : "%1 securities in %2")
                                     .arg(m_pSecurities->rowCount())
                                     .arg(ToQString(m_strDirectory)));
    if (m_pCheckDock->isVisibleTo(this))
        OnCheckDirectory();
}

void CDirectoryWindow::OnRefresh()
{
    Reload(SelectedSecurity());
}

void CDirectoryWindow::OnSecurityChanged()
{
    const tavrix::Security* security = SelectedSecurity();
    UpdateActions();
    if (!security)
    {
        m_pChart->SetCaption({});
        m_pChart->Clear();
        m_pRecords->SetRecords({}, {});
        return;
    }
    tavrix::PriceFileContents contents;
    tavrix::ReadingLock reading;
    const tavrix::JobError locked = reading.Acquire(m_strDirectory);
    const std::string error = locked.Failed() ? locked.Text() : tavrix::ReadSecurityBars(*security, &contents);
    reading.Release();
    if (!error.empty())
        statusBar()->showMessage(Utf8("Cannot read the records of " + SymbolText(*security) + " in " +
                                      security->PriceFilePath() + ": " + error));
    else
        statusBar()->showMessage(QString("%1: %2 records in %3")
                                     .arg(Utf8(SymbolText(*security)))
                                     .arg(contents.bars.size())
                                     .arg(ToQString(security->PriceFilePath())));
    m_pChart->SetCaption(Utf8(SymbolText(*security)));
    m_pChart->SetBars(security->layout, contents.bars);
    m_pRecords->SetRecords(security->layout, std::move(contents.bars));
    // The newest records, as the chart's right edge shows them.
    m_pRecordTable->scrollToBottom();
}

void CDirectoryWindow::UpdateActions()
{
    const tavrix::Security* security = SelectedSecurity();
    m_pUpdate->setEnabled(security != nullptr);
    m_pRemove->setEnabled(security != nullptr);
    m_pExport->setEnabled(security != nullptr);
    m_pUpdate->setStatusTip("Add the new days of a price file to the selected security");
    m_pRemove->setStatusTip("Remove the selected security and its files from the directory");
}

void CDirectoryWindow::OnUpdateFromFile()
{
    const tavrix::Security* security = SelectedSecurity();
    if (!security || !m_pUpdate->isEnabled())
        return;
    const QString path =
        QFileDialog::getOpenFileName(this, "Update " + Utf8(SymbolText(*security)) + " from File", StartFolder(),
                                     "Price files (*.csv *.txt *.tsv *.prn);;All Files (*)");
    if (!path.isEmpty())
        UpdateFromFile(FromQString(path));
}

void CDirectoryWindow::UpdateFromFile(const std::string& input)
{
    const tavrix::Security* selected = SelectedSecurity();
    if (!selected)
        return;
    const tavrix::Security security = *selected;
    tavrix::ConversionSettings settings;
    if (m_pProfileStore)
        settings.Load(*m_pProfileStore);
    settings.m_strPath = JobDirectory(security);
    settings.m_strSymbol = security.symbol;
    // A later run asks nothing an earlier one was answered.
    bool convertOthers = false;
    int dateFormat = tavrix::ConversionJob::kAutoDateFormat;
    int result = 0;
    const auto run = [&](bool replace) {
        auto job = std::make_unique<tavrix::ConversionJob>();
        settings.ApplyToJob(*job, input, dateFormat);
        if (convertOthers)
            job->m_nLeftOutPolicy = tavrix::ConversionJob::kConvertOthers;
        job->m_askConvertOthers = [&convertOthers](const tavrix::PriceLineReport& report, std::size_t kept) {
            convertOthers = ui::AskYesNo(report.Text() + "\n\nAdd the other " + std::to_string(kept) +
                                         (kept == 1 ? " row?" : " rows?"));
            return convertOthers;
        };
        job->m_onWarning = [](const std::string& warning) { ui::AfxMessageBox(warning, ui::Icon::kWarning); };
        QApplication::setOverrideCursor(Qt::WaitCursor);
        result = job->Update(replace);
        QApplication::restoreOverrideCursor();
        return job;
    };
    std::unique_ptr<tavrix::ConversionJob> job = run(false);
    if (const std::vector<int> formats = job->AmbiguousDateFormats(); result != 0 && !formats.empty())
    {
        dateFormat =
            ChooseDateFormat(formats, tavrix::DateFormatCode(settings.m_strDateFormat.c_str()), job->m_error.reason);
        if (dateFormat == 0)
        {
            statusBar()->showMessage("Nothing was changed: no date layout was chosen.");
            return;
        }
        job = run(false);
    }
    if (result != 0 && !job->m_differences.empty())
    {
        if (!ui::AskYesNo(DifferingDays(*job) + "\n\nReplace them with the file's values?", ui::Answer::kNo))
        {
            statusBar()->showMessage("Nothing was changed: the differing days were kept.");
            return;
        }
        job = run(true);
    }
    if (result != 0)
    {
        if (!job->m_error.declined)
            ui::AfxMessageBox(job->m_error.Text(tavrix::Audience::kDesktop));
        statusBar()->showMessage(Utf8("Update failed: " + job->m_error.Headline()));
        return;
    }
    std::string outcome = SymbolText(security) + ": " + job->UpdateSummary();
    outcome += std::string(" (dates read as ") + tavrix::DateFormatName(job->m_nDateFormat) + ")";
    Reload(&security);
    statusBar()->showMessage(Utf8(outcome));
}

int CDirectoryWindow::ChooseDateFormat(const std::vector<int>& formats, int stored, const std::string& example)
{
    QStringList names;
    int current = 0;
    for (const int code : formats)
    {
        if (code == stored)
            current = static_cast<int>(names.size());
        names << tavrix::DateFormatName(code);
    }
    bool chosen = false;
    const QString name = QInputDialog::getItem(
        this, "Date Layout",
        DisplayText("The dates of the file read in more than one way.\n" + example + "\n\nRead them as:"), names,
        current, false, &chosen);
    return chosen ? tavrix::DateFormatCode(FromQString(name).c_str()) : 0;
}

void CDirectoryWindow::OnRemove()
{
    const tavrix::Security* selected = SelectedSecurity();
    if (!selected || !m_pRemove->isEnabled())
        return;
    const tavrix::Security security = *selected;
    const std::string symbol = SymbolText(security);
    const std::string name = platform::Latin1ToUtf8(security.name);
    if (!ui::AskYesNo("Remove " + symbol + (name.empty() || name == symbol ? "" : " (" + name + ")") + " from " +
                          JobDirectory(security) + "?\n\nIts record leaves " +
                          (security.source == tavrix::Security::kXmaster ? "XMASTER" : "MASTER") +
                          ", and its price file " + security.PriceFileName() + " and any layout file F" +
                          std::to_string(security.fileNumber) + ".DOP are deleted.",
                      ui::Answer::kNo))
        return;
    const int row = m_pTable->currentIndex().row();
    tavrix::ConversionJob job;
    job.m_settings.m_strPath = JobDirectory(security);
    job.m_settings.m_strSymbol = security.symbol;
    job.m_onWarning = [](const std::string& warning) { ui::AfxMessageBox(warning, ui::Icon::kWarning); };
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const int result = job.Remove();
    QApplication::restoreOverrideCursor();
    if (result != 0)
    {
        ui::AfxMessageBox(job.m_error.Text(tavrix::Audience::kDesktop));
        statusBar()->showMessage(Utf8("Nothing was removed: " + job.m_error.Headline()));
        return;
    }
    Reload(nullptr);
    // The row that took its place, so that a run of removals needs no clicking in between.
    if (m_pSorted->rowCount() > 0)
        m_pTable->selectRow(std::min(row, m_pSorted->rowCount() - 1));
    statusBar()->showMessage(
        Utf8("Removed " + symbol + " (" + security.PriceFileName() + ") from " + JobDirectory(security)));
}

void CDirectoryWindow::OnExportCsv()
{
    const tavrix::Security* selected = SelectedSecurity();
    if (!selected)
        return;
    const tavrix::Security security = *selected;
    QString suggested = Utf8(SymbolText(security)).trimmed();
    suggested.replace(QRegularExpression("[/\\\\:*?\"<>|\\x00-\\x1f]"), "_");
    const QString path = QFileDialog::getSaveFileName(
        this, "Export CSV", QDir(StartFolder()).filePath(suggested + ".csv"), "CSV files (*.csv);;All Files (*)");
    if (path.isEmpty())
        return;
    std::ostringstream csv;
    if (const std::string error = tavrix::WriteSecurityCsv(security, csv); !error.empty())
    {
        ui::AfxMessageBox("Cannot read the records of " + SymbolText(security) + " in " + security.PriceFilePath() +
                          ":\n" + error);
        return;
    }
    // The whole file or none: a failed export leaves what was there.
    QSaveFile file(path);
    const std::string text = csv.str();
    if (!file.open(QIODevice::WriteOnly) || file.write(text.data(), static_cast<qint64>(text.size())) < 0 ||
        !file.commit())
    {
        ui::AfxMessageBox("Cannot write " + FromQString(path) + ":\n" + FromQString(file.errorString()));
        return;
    }
    statusBar()->showMessage(QString("Exported %1 to %2").arg(Utf8(SymbolText(security)), path));
}

void CDirectoryWindow::OnCheckDirectory()
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    tavrix::ReadingLock reading;
    const tavrix::JobError locked = reading.Acquire(m_strDirectory);
    tavrix::CheckResult result = tavrix::CheckDirectoryTree(m_strDirectory);
    if (locked.Failed())
        result.findings.insert(result.findings.begin(), {false, locked.path, locked.what + " " + locked.reason});
    reading.Release();
    QApplication::restoreOverrideCursor();
    m_findings = result.findings;
    const QSignalBlocker blocker(m_pFindings);
    m_pFindings->clear();
    const QString start = ToQString(m_strDirectory) + "/";
    for (std::size_t i = 0; i < m_findings.size(); ++i)
    {
        const tavrix::CheckFinding& finding = m_findings[i];
        QString file = ToQString(finding.file);
        if (file.startsWith(start))
            file.remove(0, start.size());
        auto* item = new QListWidgetItem(
            style()->standardIcon(finding.note ? QStyle::SP_MessageBoxInformation : QStyle::SP_MessageBoxWarning),
            (finding.note ? "Note: " : "") + file + ": " + DisplayText(finding.text), m_pFindings);
        item->setToolTip(ToQString(finding.file));
        item->setData(Qt::UserRole, static_cast<int>(i));
    }
    const auto count = [](int n, const char* one, const char* many) {
        return QString("%1 %2").arg(n).arg(n == 1 ? one : many);
    };
    const QString summary = count(result.Problems(), "problem", "problems") + " and " +
                            count(result.Notes(), "note", "notes") + " in " +
                            count(result.directories, "directory", "directories") + " holding " +
                            count(result.securities, "security", "securities");
    if (m_findings.empty())
    {
        auto* item = new QListWidgetItem("No problems found: " + summary.section(" in ", 1), m_pFindings);
        item->setData(Qt::UserRole, -1);
    }
    m_pCheckDock->setWindowTitle("Check Directory: " + summary.section(" in ", 0, 0));
    if (!m_pCheckDock->isVisibleTo(this))
    {
        m_pCheckDock->show();
        resizeDocks({m_pCheckDock}, {height() / 6}, Qt::Vertical);
    }
    statusBar()->showMessage("Checked: " + summary);
}

void CDirectoryWindow::OnFindingActivated(QListWidgetItem* item)
{
    const int index = item ? item->data(Qt::UserRole).toInt() : -1;
    if (index < 0 || index >= static_cast<int>(m_findings.size()))
        return;
    const tavrix::CheckFinding& finding = m_findings[static_cast<std::size_t>(index)];
    const int found = SecurityOfFinding(m_pSecurities->Securities(), finding);
    if (found < 0)
    {
        statusBar()->showMessage("No security of the table is concerned: " + ToQString(finding.file));
        return;
    }
    const tavrix::Security& security = m_pSecurities->SecurityAt(found);
    SelectSecurity(security.directory, security.fileNumber);
}
