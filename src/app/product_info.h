#pragma once
// The product's name and the addresses the program opens.

namespace quillon::app {

inline constexpr const char* kProductName = "Quillon";
inline constexpr const char* kHomePageUrl = "https://quillon.example.org/";
inline constexpr const char* kDownloadUrl = "https://quillon.example.org/download/";
inline constexpr const char* kUpdatesUrl = "https://quillon.example.org/updates/";
inline constexpr const char* kSupportMail = "mailto:support@quillon.example.org";
inline constexpr const char* kTellAFriendMail =
    "mailto:?subject=Quillon%20media%20converter"
    "&body=Quillon%20converts%20video%20and%20audio%20files:%20https://quillon.example.org/";

}  // namespace quillon::app
