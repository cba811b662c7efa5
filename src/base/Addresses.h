#pragma once

namespace vistarel {

// The names and addresses the program shows or opens.
inline constexpr char16_t kProductName[] = u"Vistarel";
inline constexpr char16_t kHomePage[] = u"https://quorvane.example/vistarel";
inline constexpr char16_t kContactPage[] = u"https://quorvane.example/contact";
inline constexpr char16_t kSupportEmail[] = u"support@quorvane.example";

}  // namespace vistarel
