// The reset of the draw settings to their defaults at graphics init: blending, bright, fog, mask,
// draw target and area, the default light, projection and material. The lighting block survives.
#pragma once

// 0.
int ResetDrawSettings();
