#pragma once

#include "engine/ConversionJob.h"
#include "platform/Clock.h"
#include "support/MasterFiles.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <functional>
#include <sys/wait.h>
#include <unistd.h>

namespace testing_support {
// A temporary output directory and the conversion day fixed at 6 December 2026. Restores the
// working directory, which a test may change to try relative paths.
class JobFixture : public ::testing::Test
{
protected:
    JobFixture()
    {
        char cwd[4096];
        m_cwd = ::getcwd(cwd, sizeof cwd) ? cwd : "/";
        m_oldDate = platform::SetDateSource([] { return platform::CalendarDate{2026, 12, 6}; });
        MakeDir(m_out);
    }
    ~JobFixture() override
    {
        platform::SetDateSource(m_oldDate);
        if (::chdir(m_cwd.c_str()) != 0)
            ADD_FAILURE() << "cannot go back to " << m_cwd;
    }

    // A job with every field on in columns 1 to 7, comma delimiter and the given date layout.
    std::unique_ptr<tavrix::ConversionJob> MakeJob(const std::string& input, bool newMaster, int dateFormat = 3,
                                                   const std::string& symbol = "ACME")
    {
        auto job = std::make_unique<tavrix::ConversionJob>();
        job->m_strInputPath = input;
        job->m_settings.m_strPath = m_out;
        job->m_settings.m_strSymbol = symbol;
        job->m_settings.m_strName = "ACME CORP";
        job->m_settings.m_nExist = newMaster ? tavrix::MasterChoice::kMakeNew : tavrix::MasterChoice::kUseExisting;
        job->m_nDateFormat = dateFormat;
        job->m_nLeftOutPolicy = tavrix::ConversionJob::kConvertOthers;
        return job;
    }

    std::string Input(const std::string& text)
    {
        const std::string path = m_dir / ("input" + std::to_string(++m_inputs) + ".txt");
        WriteText(path, text);
        return path;
    }

    std::string Out(const std::string& name) const { return m_out + "/" + name; }

    // A step hook that kills the process at `step`, as kill -9 or a crash would.
    static std::function<bool(const std::string&)> KillAt(std::string step)
    {
        return [step](const std::string& s) { return s != step || ::raise(SIGKILL) != 0; };
    }
    // Runs `run` in a child process; true when the child was killed.
    static bool KilledInChild(const std::function<void()>& run)
    {
        const pid_t child = ::fork();
        if (child == 0)
        {
            run();
            ::_exit(0);
        }
        int status = 0;
        return child > 0 && ::waitpid(child, &status, 0) == child && WIFSIGNALED(status);
    }
    void EmptyOut()
    {
        std::filesystem::remove_all(m_out);
        MakeDir(m_out);
    }

    TempDir m_dir;
    std::string m_out = m_dir / "out";

private:
    std::string m_cwd;
    platform::DateSource m_oldDate;
    int m_inputs = 0;
};
} // namespace testing_support
