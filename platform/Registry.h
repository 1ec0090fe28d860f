#pragma once

#include "platform/WinTypes.h"

#include <string>

namespace platform {
struct RegistryKey;
using HKEY = RegistryKey*;

// The one predefined root the program uses.
extern const HKEY HKEY_LOCAL_MACHINE;

constexpr LONG ERROR_SUCCESS = 0;
constexpr LONG ERROR_FILE_NOT_FOUND = 2;
constexpr LONG ERROR_ACCESS_DENIED = 5;
constexpr LONG ERROR_INVALID_HANDLE = 6;
constexpr LONG ERROR_INVALID_PARAMETER = 87;
constexpr LONG ERROR_MORE_DATA = 234;
constexpr LONG ERROR_BADDB = 1009; // the hive file cannot be parsed

constexpr DWORD REG_NONE = 0;
constexpr DWORD REG_SZ = 1;
constexpr DWORD REG_BINARY = 3;
constexpr DWORD REG_DWORD = 4;

constexpr DWORD REG_OPTION_NON_VOLATILE = 0;
constexpr DWORD KEY_READ = 0x20019;
constexpr DWORD KEY_WRITE = 0x20006;
constexpr DWORD REG_CREATED_NEW_KEY = 1;
constexpr DWORD REG_OPENED_EXISTING_KEY = 2;

// Creates `subKey` (one or more levels, '\'-separated) below `key`, or opens it, for the access
// asked. Writing access needs a writable hive: ERROR_ACCESS_DENIED otherwise, ERROR_BADDB when
// the hive file cannot be parsed.
LONG RegCreateKeyExA(HKEY key, const char* subKey, DWORD reserved, char* keyClass, DWORD options, DWORD access,
                     const void* security, HKEY* result, DWORD* disposition);
// Opens an existing key; ERROR_FILE_NOT_FOUND when it is missing.
LONG RegOpenKeyExA(HKEY key, const char* subKey, DWORD options, DWORD access, HKEY* result);
// Copies a value's raw bytes into data (*size bytes of room). ERROR_MORE_DATA with *size set to
// the size needed when they do not fit; data may be null to ask for the size alone.
LONG RegQueryValueExA(HKEY key, const char* name, DWORD* reserved, DWORD* type, BYTE* data, DWORD* size);
// Sets a value of any type with exactly `size` bytes; a null or empty name is the unnamed value.
LONG RegSetValueExA(HKEY key, const char* name, DWORD reserved, DWORD type, const BYTE* data, DWORD size);
LONG RegCloseKey(HKEY key);

// The hive file: $XDG_CONFIG_HOME/Corvanta/registry, or ~/.config/Corvanta/registry.
std::string DefaultHivePath();
std::string HivePath();
// Points the registry at another hive file (tests); "" goes back to the default. Returns the old.
std::string SetHivePath(const std::string& path);

// Answers the system configuration directory, /etc/xdg, where an administrator places defaults.
// Returns the length, or the size needed (with the zero) when the buffer is too small.
unsigned GetWindowsDirectoryA(char* buffer, unsigned size);
// Replaces the answer of GetWindowsDirectoryA (tests); "" goes back to /etc/xdg. Returns the old.
std::string SetWindowsDirectory(const std::string& directory);
} // namespace platform
