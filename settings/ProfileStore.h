#pragma once

#include "platform/Registry.h"
#include "platform/WinTypes.h"

#include <memory>
#include <string>

namespace tavrix {
using platform::BOOL;
using platform::DWORD;
using platform::HKEY;

// The application title, which names the base key and the first-run INI file.
constexpr const char* kApplicationTitle = "Tavrix";

// All persistent settings, organised like an INI file: a section is a subkey of the base key, an
// entry a value in it, and every value text. Reads fall back to the caller's default; writes
// report FALSE when nothing was kept. No key handle is held between operations.
class ProfileStore
{
public:
    ProfileStore();
    virtual ~ProfileStore();
    ProfileStore(const ProfileStore&) = delete;
    ProfileStore& operator=(const ProfileStore&) = delete;

    // Binds the store to root\path (whatever the outcome), then creates or opens that key for
    // writing. On TRUE the caller owns *key and must close it; *disposition tells new from existing.
    BOOL OpenBaseKey(HKEY* key, DWORD* disposition, HKEY root, std::string path);

    // Copies the sections and entries of <windows directory>/<title>.INI below `baseKey`.
    void ImportIniFile(HKEY baseKey);

    int ReadInt(const char* section, const char* entry, int defaultValue);
    BOOL WriteInt(const char* section, const char* entry, int value);
    std::string ReadString(const char* section, const char* entry, const char* defaultValue);
    BOOL WriteString(const char* section, const char* entry, const char* text);

    const std::string& BasePath() const { return m_strBasePath; }
    // Why the latest write kept nothing ("" after a write that succeeded), naming the settings file.
    const std::string& LastWriteError() const { return m_strWriteError; }
    HKEY RootKey() const { return m_hRootKey; }

private:
    // The stored bytes of an entry when they fit the 260-byte read buffer.
    bool Query(const char* section, const char* entry, std::string* bytes);
    BOOL Write(const char* section, const char* entry, const std::string& text);
    std::string SectionPath(const char* section) const;
    static std::string WriteErrorText(long status);

    std::string m_strBasePath;
    HKEY m_hRootKey;
    std::string m_strWriteError;
};

// Start-up: creates the store, binds it to Software\Corvanta\<title> below HKEY_LOCAL_MACHINE
// and imports the INI file only when that key was new. Start-up goes on when the key cannot be
// opened: reads then give what an existing key holds, or the defaults.
std::unique_ptr<ProfileStore> CreateProfileStore();
} // namespace tavrix
