#pragma once

// Who made the program and where to reach them: the About box shows these, and its e-mail link
// recognises an address by its marker. Kept in this one place.
namespace about {
constexpr const char* kAuthorName = "Tavrix Developers";
constexpr const char* kAuthorEmail = "tavrix@example.org";
constexpr const char* kWebAddress = "https://www.example.org/tavrix/";
// The e-mail address's local part and "@": a link target holding it opens as "mailto:".
constexpr const char* kEmailMarker = "tavrix@";
constexpr const char* kCopyright = "Copyright \u00A9 1998-2026";
} // namespace about
