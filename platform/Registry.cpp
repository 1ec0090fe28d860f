#include "platform/Registry.h"

#include "platform/FileOps.h"
#include "platform/HiveFile.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace platform {
struct RegistryKey
{
    std::string path; // '\'-joined names below HKEY_LOCAL_MACHINE
    bool writable;
    bool predefined;
};

namespace {
RegistryKey g_localMachine{"", true, true};

std::string& HivePathOverride()
{
    static std::string path;
    return path;
}

std::string& WindowsDirectoryOverride()
{
    static std::string directory;
    return directory;
}

std::string ParentOf(const std::string& path)
{
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? "." : (slash == 0 ? "/" : path.substr(0, slash));
}

bool MakeDirectories(const std::string& path)
{
    struct stat st
    {
    };
    if (::stat(path.c_str(), &st) == 0)
        return S_ISDIR(st.st_mode);
    if (path != ParentOf(path) && !MakeDirectories(ParentOf(path)))
        return false;
    return ::mkdir(path.c_str(), 0755) == 0 || errno == EEXIST;
}

// Reads and parses the hive. A missing file is an empty hive; anything unreadable or unparsable
// is ERROR_BADDB or ERROR_ACCESS_DENIED, so a damaged file is never taken for an empty one.
LONG LoadHive(Hive* hive)
{
    const std::string path = HivePath();
    FilePtr file = OpenFile(path, "rb");
    if (!file)
    {
        if (errno == ENOENT || errno == ENOTDIR)
        {
            *hive = Hive();
            return ERROR_SUCCESS;
        }
        return ERROR_ACCESS_DENIED;
    }
    std::string text;
    char chunk[8192];
    std::size_t got = 0;
    while ((got = std::fread(chunk, 1, sizeof chunk, file.get())) > 0)
        text.append(chunk, got);
    if (std::ferror(file.get()))
        return ERROR_ACCESS_DENIED;
    return hive->Parse(text) ? ERROR_SUCCESS : ERROR_BADDB;
}

// Holds the hive's advisory lock; every change re-reads the file under it, so two running copies
// of the program never lose each other's entries.
class HiveLock
{
public:
    HiveLock()
    {
        const std::string path = HivePath();
        if (!MakeDirectories(ParentOf(path)))
            return;
        m_fd = ::open((path + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
        if (m_fd >= 0 && ::flock(m_fd, LOCK_EX) != 0)
        {
            ::close(m_fd);
            m_fd = -1;
        }
    }
    ~HiveLock()
    {
        if (m_fd >= 0)
            ::close(m_fd); // closing releases the lock
    }
    HiveLock(const HiveLock&) = delete;
    HiveLock& operator=(const HiveLock&) = delete;

    bool Held() const { return m_fd >= 0; }

private:
    int m_fd = -1;
};

LONG StoreHive(const Hive& hive)
{
    return ReplaceFileContents(HivePath(), hive.Serialize()) ? ERROR_SUCCESS : ERROR_ACCESS_DENIED;
}

// Re-reads the hive under its lock, applies `change` and stores the result when it changed
// something, so every change starts from what other running copies have written.
template <typename Change> LONG ChangeHive(Change change)
{
    HiveLock lock;
    if (!lock.Held())
        return ERROR_ACCESS_DENIED;
    Hive hive;
    if (const LONG status = LoadHive(&hive); status != ERROR_SUCCESS)
        return status;
    return change(hive) ? StoreHive(hive) : ERROR_SUCCESS;
}

std::string Join(const std::string& base, const char* subKey)
{
    std::string path = base;
    for (const auto& name : Hive::SplitPath(subKey ? subKey : ""))
        path += (path.empty() ? "" : "\\") + name;
    return path;
}

bool Valid(HKEY key)
{
    return key != nullptr;
}

// KEY_SET_VALUE or KEY_CREATE_SUB_KEY; KEY_READ holds neither.
bool WantsWrite(DWORD access)
{
    return (access & 0x0006) != 0;
}
} // namespace

const HKEY HKEY_LOCAL_MACHINE = &g_localMachine;

LONG RegCreateKeyExA(HKEY key, const char* subKey, DWORD, char*, DWORD, DWORD access, const void*, HKEY* result,
                     DWORD* disposition)
{
    if (!Valid(key) || !result)
        return ERROR_INVALID_PARAMETER;
    const std::string path = Join(key->path, subKey);
    bool created = false;
    const LONG status = ChangeHive([&](Hive& hive) {
        hive.Create(path, &created);
        return created;
    });
    if (status != ERROR_SUCCESS)
        return status;
    if (disposition)
        *disposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
    *result = new RegistryKey{path, WantsWrite(access), false};
    return ERROR_SUCCESS;
}

LONG RegOpenKeyExA(HKEY key, const char* subKey, DWORD, DWORD access, HKEY* result)
{
    if (!Valid(key) || !result)
        return ERROR_INVALID_PARAMETER;
    const std::string path = Join(key->path, subKey);
    Hive hive;
    if (const LONG status = LoadHive(&hive); status != ERROR_SUCCESS)
        return status;
    if (!path.empty() && !hive.Find(path))
        return ERROR_FILE_NOT_FOUND;
    *result = new RegistryKey{path, WantsWrite(access), false};
    return ERROR_SUCCESS;
}

LONG RegQueryValueExA(HKEY key, const char* name, DWORD*, DWORD* type, BYTE* data, DWORD* size)
{
    if (!Valid(key))
        return ERROR_INVALID_HANDLE;
    Hive hive;
    if (const LONG status = LoadHive(&hive); status != ERROR_SUCCESS)
        return status;
    HiveKey* found = hive.Find(key->path);
    HiveValue* value = found ? Hive::FindValue(*found, name ? name : "") : nullptr;
    if (!value)
        return ERROR_FILE_NOT_FOUND;
    if (type)
        *type = value->type;
    const auto needed = static_cast<DWORD>(value->data.size());
    if (!size)
        return data ? ERROR_INVALID_PARAMETER : ERROR_SUCCESS;
    if (data && *size < needed)
    {
        *size = needed;
        return ERROR_MORE_DATA;
    }
    if (data)
        std::memcpy(data, value->data.data(), needed);
    *size = needed;
    return ERROR_SUCCESS;
}

LONG RegSetValueExA(HKEY key, const char* name, DWORD, DWORD type, const BYTE* data, DWORD size)
{
    if (!Valid(key) || (!data && size > 0))
        return ERROR_INVALID_PARAMETER;
    if (!key->writable)
        return ERROR_ACCESS_DENIED;
    return ChangeHive([&](Hive& hive) {
        Hive::SetValue(hive.Create(key->path, nullptr), name ? name : "", type,
                       std::string(reinterpret_cast<const char*>(data), size));
        return true;
    });
}

LONG RegCloseKey(HKEY key)
{
    if (!Valid(key))
        return ERROR_INVALID_HANDLE;
    if (!key->predefined)
        delete key;
    return ERROR_SUCCESS;
}

std::string DefaultHivePath()
{
    const char* config = std::getenv("XDG_CONFIG_HOME");
    std::string base;
    if (config && *config == '/')
        base = config;
    else
    {
        const char* home = std::getenv("HOME");
        base = std::string(home && *home ? home : ".") + "/.config";
    }
    return base + "/Corvanta/registry";
}

std::string HivePath()
{
    return HivePathOverride().empty() ? DefaultHivePath() : HivePathOverride();
}

std::string SetHivePath(const std::string& path)
{
    return std::exchange(HivePathOverride(), path);
}

unsigned GetWindowsDirectoryA(char* buffer, unsigned size)
{
    const std::string directory = WindowsDirectoryOverride().empty() ? "/etc/xdg" : WindowsDirectoryOverride();
    if (!buffer || directory.size() >= size)
        return static_cast<unsigned>(directory.size() + 1);
    std::memcpy(buffer, directory.c_str(), directory.size() + 1);
    return static_cast<unsigned>(directory.size());
}

std::string SetWindowsDirectory(const std::string& directory)
{
    return std::exchange(WindowsDirectoryOverride(), directory);
}
} // namespace platform
