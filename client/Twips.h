#pragma once

// The windows' places and sizes are designed in twips; 15 twips make a pixel.
inline constexpr int kTwipsPerPixel = 15;
