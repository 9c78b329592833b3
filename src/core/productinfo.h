#pragma once
// Fixed facts about the product, shown by the start dialog, the window caption and the web entry.

namespace ProductInfo {
inline constexpr const char *Name = "Ferrolink";
inline constexpr const char *Release = "Release 1 Version 3";
inline constexpr const char *HomePage = "https://ferrolink.example.org";
} // namespace ProductInfo
