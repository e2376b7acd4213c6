#pragma once
// Where the About area's links lead: the product's home page and its
// feedback address, kept here and nowhere else.

inline constexpr wchar_t kWebsiteUrl[] = L"https://www.brindora.example/pro/";
inline constexpr wchar_t kFeedbackUrl[] = L"mailto:feedback@brindora.example?subject=[Brindora-Pro]";
