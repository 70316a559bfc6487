#pragma once
// The maker's web page and help line, and how the page is opened: the browser by name, its
// result not looked at.

namespace lenzora::platform {

inline constexpr const char* kMakerWebAddress = "https://lenzora.example/";
inline constexpr const char* kMakerHelpLine = "400-000-0000";
inline constexpr const char* kBrowserPath = "C:\\Program Files\\Internet Explorer\\IEXPLORE.EXE";

// Asks the shell to start the browser with the maker's address; the result is not looked at.
void openMakerWebPage();

}  // namespace lenzora::platform
