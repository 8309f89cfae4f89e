// The graphics calls of the library's public face that the game makes: draw targets, images, shapes,
// blending, screen mode and capture. Coordinates are screen pixels of the current draw target.
#pragma once

#include <cstdint>

#include "platform/kernel/win_types.h"

// Draw targets that are not graphics.
constexpr int kDrawTargetBackBuffer = -2;
constexpr int kDrawTargetFrontScreen = -4;

// Blend modes as the game uses them.
constexpr int kBlendNone = 0;
constexpr int kBlendAlpha = 1;
constexpr int kBlendAdd = 2;

// Image types of SaveDrawScreen.
constexpr int kSaveImageBmp = 0;
constexpr int kSaveImageJpeg = 1;
constexpr int kSaveImagePng = 2;

int SetScreenMode(int width, int height, int colorBits, int refreshRate);
int SetTransparentColour(int red, int green, int blue);
int SetGraphicCreateOption(int flag);

int LoadGraphFile(const char* fileName, int flag);
int MakeDrawTarget(int width, int height, int alpha);
int FreeGraphic(int graphic, int flag);
int FreeAllGraphics(int flag);

int SelectDrawTarget(int target);
int SetClipRect(int x1, int y1, int x2, int y2);
// area null clears the whole draw target.
int ClearDrawTarget(const RECT* area);
int FlipFrameDefault();

int SetBlend(int mode, int param);
int SetBright(int red, int green, int blue);
uint32_t PackColor(int red, int green, int blue);

int DrawImageAt(int x, int y, int graphic, int transparent);
int DrawImagePart(int x, int y, int srcX, int srcY, int width, int height, int graphic, int transparent,
                  int turn);
int DrawImagePartRotated(int x, int y, int srcX, int srcY, int width, int height, double scale, double angle,
                         int graphic, int transparent, int turn);
int DrawImageStretched(int x1, int y1, int x2, int y2, int graphic, int transparent);
// Reversed corners mirror the graphic.
int DrawImageStretchedF(float x1, float y1, float x2, float y2, int graphic, int transparent);
int DrawImageRotated(int centerX, int centerY, double scale, double angle, int graphic, int transparent,
                     int turn);
// The graphic mirrored left to right at (x, y).
int DrawImageTurned(int x, int y, int graphic, int transparent);
// Corners: top left, top right, bottom right, bottom left of the graphic.
int DrawImageQuad(float x1, float y1, float x2, float y2, float x3, float y3, float x4, float y4, int graphic,
                  int transparent, int blendQuad);
int DrawImageQuadF(float x1, float y1, float x2, float y2, float x3, float y3, float x4, float y4,
                   int graphic, int transparent);
int DrawImagePartStretchedF(float x1, float y1, float x2, float y2, int srcX, int srcY, int width, int height,
                            int graphic, int transparent);
// Graphic -5 draws untextured. Vertices are 20 bytes: x, y, u, v as floats and colour B, G, R, A.
int DrawVertexArray2D(const void* vertices, int count, int primitiveType, int graphic, int transparent,
                      int mapToGraphic);
// Vertices in the device's 28-byte layout (x, y, z, rhw, colour, u, v).
int DrawFilterRect(const void* vertices, int count, int primitiveType, int graphic, int transparent);
// Fills the whole graphic with one colour; each channel is clamped to 0..255.
int FillGraphicRect(int graphic, int red, int green, int blue, int alpha, int relaxedLookup);

int DrawBoxShape(int x1, int y1, int x2, int y2, uint32_t color, int fill);
int DrawCircleShape(int x, int y, int radius, uint32_t color, int fill);
int DrawLineShape(int x1, int y1, int x2, int y2, uint32_t color, int thickness);
int DrawThickLine(int x1, int y1, int x2, int y2, int thickness, uint32_t color);
int FillBox(int x1, int y1, int x2, int y2, uint32_t color);
int OutlineBox(int x1, int y1, int x2, int y2, uint32_t color);

int SaveDrawScreen(int x1, int y1, int x2, int y2, const char* fileName, int imageType, int jpegQuality,
                   int jpegSample2x1, int pngCompressLevel);
