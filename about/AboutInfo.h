#pragma once

// Who made the program; the About box shows it. Kept in this one place.
namespace about {
constexpr const char* kAuthorName = "Tavrix Developers";
constexpr const char* kCopyright = "Copyright \u00A9 1998-2026";
} // namespace about
