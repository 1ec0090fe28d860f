#pragma once

#include "platform/Registry.h"
#include "support/TempDir.h"

namespace testing_support {
// Points the registry hive and the Windows directory into a temporary directory for its lifetime.
class HiveSandbox
{
public:
    HiveSandbox()
        : m_oldHive(platform::SetHivePath(m_dir / "config/Corvanta/registry")),
          m_oldWindows(platform::SetWindowsDirectory(m_dir / "etc"))
    {
        MakeDir(m_dir / "etc");
    }
    ~HiveSandbox()
    {
        platform::SetHivePath(m_oldHive);
        platform::SetWindowsDirectory(m_oldWindows);
    }
    HiveSandbox(const HiveSandbox&) = delete;
    HiveSandbox& operator=(const HiveSandbox&) = delete;

    std::string HiveFile() const { return m_dir / "config/Corvanta/registry"; }
    std::string IniFile() const { return m_dir / "etc/Tavrix.INI"; }
    const TempDir& dir() const { return m_dir; }

private:
    TempDir m_dir;
    std::string m_oldHive;
    std::string m_oldWindows;
};
} // namespace testing_support
