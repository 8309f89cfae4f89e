// The graphics calls the font cache makes: its cache textures (made with the font's own format choice),
// the edge layer's half as a derived graphic, the fill, the glyph uploads and the deletion, and whether
// drawing goes through Direct3D.
#pragma once

// Installs them for the font system; graphics init calls it once the graphics system has started.
void InstallGraphicsFontEnvironment();
