#include "settings/ProfileStore.h"

#include "platform/FileOps.h"
#include "platform/Strings.h"

#include <cctype>
#include <climits>
#include <cstring>

namespace tavrix {
namespace {
constexpr DWORD kReadBufferSize = 260;
constexpr int kIniLineSize = 520;

// "%d" without its undefined overflow: white space, a sign, digits; nothing else counts.
bool ParseInt(const char* text, int* value)
{
    while (std::isspace(static_cast<unsigned char>(*text)))
        ++text;
    bool negative = false;
    if (*text == '+' || *text == '-')
        negative = *text++ == '-';
    if (!std::isdigit(static_cast<unsigned char>(*text)))
        return false;
    long long number = 0;
    for (; std::isdigit(static_cast<unsigned char>(*text)); ++text)
        if (number <= static_cast<long long>(INT_MAX) + 1)
            number = number * 10 + (*text - '0');
    number = negative ? -number : number;
    *value = static_cast<int>(number < INT_MIN ? INT_MIN : (number > INT_MAX ? INT_MAX : number));
    return true;
}

void TrimBoth(char* text)
{
    const std::string trimmed = platform::TrimWhite(text);
    std::memcpy(text, trimmed.c_str(), trimmed.size() + 1);
}
} // namespace

ProfileStore::ProfileStore() : m_hRootKey(platform::HKEY_LOCAL_MACHINE) {}

ProfileStore::~ProfileStore() = default;

BOOL ProfileStore::OpenBaseKey(HKEY* key, DWORD* disposition, HKEY root, std::string path)
{
    m_hRootKey = root;
    m_strBasePath = std::move(path);
    const platform::LONG status =
        platform::RegCreateKeyExA(root, m_strBasePath.c_str(), 0, nullptr, platform::REG_OPTION_NON_VOLATILE,
                                  platform::KEY_WRITE, nullptr, key, disposition);
    return status == platform::ERROR_SUCCESS ? platform::TRUE : platform::FALSE;
}

void ProfileStore::ImportIniFile(HKEY baseKey)
{
    char line[kIniLineSize];
    const unsigned length = platform::GetWindowsDirectoryA(line, kReadBufferSize);
    if (length == 0 || length >= kReadBufferSize)
        return;
    const std::string fileName = std::string(line) + platform::kPathSeparator + kApplicationTitle + ".INI";
    platform::FilePtr file = platform::OpenFile(fileName, "r");
    if (!file)
        return;

    HKEY section = nullptr;
    while (std::fgets(line, sizeof line, file.get()))
    {
        TrimBoth(line);
        const char* open = std::strchr(line, '[');
        const char* close = std::strchr(line, ']');
        if (open && close && close - open + 1 == static_cast<long>(std::strlen(line)))
        {
            if (section)
                platform::RegCloseKey(section);
            section = nullptr;
            line[open - line] = ' ';
            line[close - line] = ' ';
            TrimBoth(line);
            if (platform::RegCreateKeyExA(baseKey, line, 0, nullptr, platform::REG_OPTION_NON_VOLATILE,
                                          platform::KEY_WRITE, nullptr, &section, nullptr) != platform::ERROR_SUCCESS)
            {
                section = nullptr;
                break; // what was written before stays
            }
            continue;
        }
        char* equals = std::strchr(line, '=');
        if (!equals || !section)
            continue;
        *equals = '\0';
        const char* value = equals + 1;
        platform::RegSetValueExA(section, line, 0, platform::REG_SZ, reinterpret_cast<const platform::BYTE*>(value),
                                 static_cast<DWORD>(std::strlen(value) + 1));
    }
    if (section)
        platform::RegCloseKey(section);
}

int ProfileStore::ReadInt(const char* section, const char* entry, int defaultValue)
{
    std::string bytes;
    int value = 0;
    if (!Query(section, entry, &bytes) || !ParseInt(bytes.c_str(), &value))
        return defaultValue;
    return value;
}

BOOL ProfileStore::WriteInt(const char* section, const char* entry, int value)
{
    return Write(section, entry, std::to_string(value));
}

std::string ProfileStore::ReadString(const char* section, const char* entry, const char* defaultValue)
{
    std::string bytes;
    if (!Query(section, entry, &bytes))
        return defaultValue ? defaultValue : "";
    return bytes.c_str(); // up to the first zero byte
}

BOOL ProfileStore::WriteString(const char* section, const char* entry, const char* text)
{
    return Write(section, entry, text ? text : "");
}

bool ProfileStore::Query(const char* section, const char* entry, std::string* bytes)
{
    HKEY key = nullptr;
    if (platform::RegOpenKeyExA(m_hRootKey, SectionPath(section).c_str(), 0, platform::KEY_READ, &key) !=
        platform::ERROR_SUCCESS)
        return false;
    char buffer[kReadBufferSize + 1] = {};
    DWORD size = kReadBufferSize;
    DWORD type = 0;
    const platform::LONG status =
        platform::RegQueryValueExA(key, entry, nullptr, &type, reinterpret_cast<platform::BYTE*>(buffer), &size);
    platform::RegCloseKey(key);
    if (status != platform::ERROR_SUCCESS)
        return false;
    // The type is not looked at: whatever bytes are stored read as text.
    bytes->assign(buffer, size);
    return true;
}

BOOL ProfileStore::Write(const char* section, const char* entry, const std::string& text)
{
    HKEY key = nullptr;
    platform::LONG status =
        platform::RegCreateKeyExA(m_hRootKey, SectionPath(section).c_str(), 0, nullptr,
                                  platform::REG_OPTION_NON_VOLATILE, platform::KEY_WRITE, nullptr, &key, nullptr);
    if (status == platform::ERROR_SUCCESS)
    {
        status = platform::RegSetValueExA(key, entry, 0, platform::REG_SZ,
                                          reinterpret_cast<const platform::BYTE*>(text.c_str()),
                                          static_cast<DWORD>(text.size() + 1));
        platform::RegCloseKey(key);
    }
    m_strWriteError = status == platform::ERROR_SUCCESS ? "" : WriteErrorText(status);
    return status == platform::ERROR_SUCCESS ? platform::TRUE : platform::FALSE;
}

std::string ProfileStore::WriteErrorText(long status)
{
    const char* reason = status == platform::ERROR_BADDB           ? "it cannot be read as a settings file"
                         : status == platform::ERROR_ACCESS_DENIED ? "it cannot be written"
                                                                   : "the entry was refused";
    return "The settings were not saved:\n" + platform::HivePath() + "\n" + reason + ".";
}

std::string ProfileStore::SectionPath(const char* section) const
{
    return m_strBasePath + "\\" + (section ? section : "");
}

std::unique_ptr<ProfileStore> CreateProfileStore()
{
    auto store = std::make_unique<ProfileStore>();
    HKEY key = nullptr;
    DWORD disposition = 0;
    if (store->OpenBaseKey(&key, &disposition, platform::HKEY_LOCAL_MACHINE,
                           std::string("Software\\Corvanta\\") + kApplicationTitle))
    {
        if (disposition == platform::REG_CREATED_NEW_KEY)
            store->ImportIniFile(key);
        platform::RegCloseKey(key);
    }
    return store;
}
} // namespace tavrix
