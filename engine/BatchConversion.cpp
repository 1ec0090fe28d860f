#include "engine/BatchConversion.h"

#include "engine/DirectoryChange.h"
#include "engine/DirectoryEdit.h"
#include "platform/DirectoryLock.h"
#include "platform/FileOps.h"
#include "platform/Strings.h"
#include "settings/SettingsRules.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <memory>
#include <sys/stat.h>

namespace tavrix {
std::string SymbolOfFile(const std::string& path)
{
    std::string name = path.substr(path.find_last_of('/') + 1);
    const auto dot = name.find_last_of('.');
    if (dot != std::string::npos && dot > 0)
        name.resize(dot);
    return platform::UpperLatin1(name);
}

int BatchConversion::Converted() const
{
    return static_cast<int>(
        std::count_if(m_outcomes.begin(), m_outcomes.end(), [](const BatchOutcome& o) { return o.converted; }));
}

std::string BatchOutcome::ConvertedText() const
{
    if (leftOut.leftOut == 0)
        return "converted";
    return "converted; " + std::to_string(leftOut.leftOut) + " of " + std::to_string(leftOut.rows) + " rows left out";
}

std::string BatchConversion::SharedReading() const
{
    std::string shared;
    int read = 0;
    for (const BatchOutcome& outcome : m_outcomes)
        if (!outcome.readAs.empty())
        {
            if (read++ > 0 && outcome.readAs != shared)
                return "";
            shared = outcome.readAs;
        }
    return read > 1 ? shared : ""; // one file's reading is said under its name
}

int BatchConversion::Run()
{
    m_outcomes.assign(m_files.size(), BatchOutcome{});
    m_error = {};
    // Every file is read first, without the lock: a slow input keeps no one waiting.
    std::vector<std::unique_ptr<ConversionJob>> jobs(m_files.size());
    for (std::size_t i = 0; i < m_files.size(); ++i)
    {
        const BatchFile& file = m_files[i];
        if (m_onProgress)
            m_onProgress(i, m_files.size(), file.input);
        BatchOutcome& outcome = m_outcomes[i];
        outcome.input = file.input;
        outcome.symbol = file.symbol;
        ConversionSettings settings = m_settings;
        settings.m_strSymbol = file.symbol;
        settings.m_strName = file.name;
        if (const std::string problem = rules::CheckSettings(settings); !problem.empty())
        {
            outcome.error.what = problem;
            outcome.skipped = true;
            continue;
        }
        outcome.symbol = settings.m_strSymbol;
        auto job = std::make_unique<ConversionJob>();
        settings.ApplyToJob(*job, file.input, m_nDateFormat);
        job->m_nLeftOutPolicy = m_nLeftOutPolicy;
        job->m_bFileSaysFirst = m_bFileSaysFirst;
        job->m_onWarning = m_onWarning;
        const bool read = job->Inspect() == 0;
        outcome.readAs = job->ReadAs();
        if (!read)
        {
            outcome.error = job->m_error;
            outcome.leftOut = job->m_leftOut;
            continue;
        }
        jobs[i] = std::move(job);
    }

    // One lock, one read of the master files, one commit for every file that goes in.
    char resolved[PATH_MAX];
    if (std::none_of(jobs.begin(), jobs.end(), [](const auto& job) { return job != nullptr; }))
    {
        // Nothing to add: the directory is neither made nor touched.
        m_strPath = ::realpath(m_settings.m_strPath.c_str(), resolved) ? resolved : m_settings.m_strPath;
        return m_files.empty() ? 0 : 1;
    }
    if (m_settings.m_nExist != MasterChoice::kUseExisting && !::realpath(m_settings.m_strPath.c_str(), resolved))
        ::mkdir(m_settings.m_strPath.c_str(), 0777);
    m_strPath = ::realpath(m_settings.m_strPath.c_str(), resolved) ? resolved : m_settings.m_strPath;
    platform::DirectoryLock lock;
    if (!lock.Acquire(m_strPath, m_onWaitForLock))
        m_error = FileError("Cannot use the output directory", m_strPath, lock.Error());
    if (!m_error.Failed())
        m_error = DirectoryChange(m_strPath).Recover();
    const std::string masterName = platform::FindNameNoCase(m_strPath, kMasterFileName);
    const bool makeNew = m_settings.m_nExist == MasterChoice::kMakeNew ||
                         (m_settings.m_nExist != MasterChoice::kUseExisting && masterName.empty());
    if (!m_error.Failed() && !makeNew && masterName.empty())
    {
        m_error.what = msg::kNoMasterFile;
        m_error.path = m_strPath;
        m_error.desktopAdvice = "\"Make New Master\" creates one.";
        m_error.commandLineAdvice = "--new-master makes one.";
    }
    if (!m_error.Failed() && makeNew && !masterName.empty())
    {
        m_error.what = msg::kMasterExists;
        m_error.path = platform::JoinPath(m_strPath, masterName);
        m_error.commandLineAdvice = "Leave out --new-master to add to it.";
    }
    DirectoryEdit edit(m_strPath);
    edit.m_stepHook = m_stepHook;
    if (!m_error.Failed())
        m_error = edit.Load(masterName.empty() ? kMasterFileName : masterName, makeNew);
    if (!m_error.Failed() && m_onWarning && !edit.EmasterWarning().empty())
        m_onWarning(edit.EmasterWarning());

    bool staged = false;
    for (std::size_t i = 0; i < jobs.size() && !m_error.Failed(); ++i)
    {
        if (!jobs[i])
            continue;
        ConversionJob& job = *jobs[i];
        BatchOutcome& outcome = m_outcomes[i];
        job.m_settings.m_strPath = m_strPath;
        job.m_pSharedEdit = &edit;
        job.m_bLockHeldByCaller = true;
        const bool added = job.Run() == 0;
        outcome.leftOut = job.m_leftOut;
        outcome.error = job.m_error;
        if (added)
        {
            staged = true;
            outcome.converted = true;
            outcome.records = job.m_nLineCount;
            outcome.firstDay = job.m_nFirstDay;
            outcome.lastDay = job.m_nLastDay;
        }
    }
    if (!m_error.Failed() && staged)
        m_error = edit.Commit();
    if (m_error.Failed())
        for (BatchOutcome& outcome : m_outcomes)
            if (outcome.converted)
            {
                outcome.converted = false;
                outcome.error = m_error;
            }
    return Converted() == static_cast<int>(m_files.size()) ? 0 : 1;
}
} // namespace tavrix
