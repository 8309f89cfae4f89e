// The sizes of window parts on this desktop (what GetSystemMetrics reports and AdjustWindowRectEx adds).
#pragma once

inline constexpr int kBorder = 1;
inline constexpr int kFixedFrame = 3;
inline constexpr int kSizeFrame = 4;
inline constexpr int kClientEdge = 2;
inline constexpr int kCaptionHeight = 23;
inline constexpr int kMenuHeight = 19;
