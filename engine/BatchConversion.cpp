#include "engine/BatchConversion.h"

#include "platform/DirectoryLock.h"
#include "platform/Strings.h"
#include "settings/SettingsRules.h"

#include <algorithm>
#include <climits>
#include <cstdlib>

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

int BatchConversion::Run()
{
    m_outcomes.clear();
    m_error = {};
    char resolved[PATH_MAX];
    m_strPath = ::realpath(m_settings.m_strPath.c_str(), resolved) ? resolved : m_settings.m_strPath;
    platform::DirectoryLock lock;
    if (!lock.Acquire(m_strPath, m_onWaitForLock))
    {
        m_error = FileError("Cannot use the output directory", m_strPath, lock.Error());
        return 1;
    }
    // A new MASTER is made once, by the first file that goes in; the others add to it.
    bool newMaster = m_settings.m_nExist == MasterChoice::kMakeNew;
    for (std::size_t i = 0; i < m_files.size(); ++i)
    {
        const BatchFile& file = m_files[i];
        if (m_onProgress)
            m_onProgress(i, m_files.size(), file.input);
        BatchOutcome outcome;
        outcome.input = file.input;
        outcome.symbol = file.symbol;
        ConversionSettings settings = m_settings;
        settings.m_strPath = m_strPath;
        settings.m_strSymbol = file.symbol;
        settings.m_strName = file.name;
        settings.m_nExist = newMaster ? MasterChoice::kMakeNew : MasterChoice::kUseExisting;
        if (const std::string problem = rules::CheckSettings(settings); !problem.empty())
        {
            outcome.error.what = problem;
            outcome.skipped = true;
            m_outcomes.push_back(outcome);
            continue;
        }
        outcome.symbol = settings.m_strSymbol;
        ConversionJob job;
        settings.ApplyToJob(job, file.input, m_nDateFormat);
        job.m_nLeftOutPolicy = m_nLeftOutPolicy;
        job.m_onWarning = m_onWarning;
        job.m_bLockHeldByCaller = true;
        outcome.converted = job.Run() == 0;
        outcome.leftOut = job.m_leftOut;
        outcome.error = job.m_error;
        if (outcome.converted)
        {
            newMaster = false;
            outcome.records = job.m_nLineCount;
            outcome.firstDay = job.m_nFirstDay;
            outcome.lastDay = job.m_nLastDay;
        }
        m_outcomes.push_back(outcome);
    }
    return Converted() == static_cast<int>(m_files.size()) ? 0 : 1;
}
} // namespace tavrix
