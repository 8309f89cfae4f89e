// Graphics that show a rectangle of another graphic, sharing its image block.
#pragma once

// A new graphic of (x, y, width, height) of the source, cut at the source's right and bottom edges.
// Handle or -1.
int DeriveGraphic(int x, int y, int width, int height, int source);
// sourceMayBeLoading 1: the source may still be filled by a load job.
int DeriveGraphicEx(int x, int y, int width, int height, int source, int sourceMayBeLoading);
// Makes `handle` that view. 0 or -1.
int DeriveGraphicCore(int handle, int x, int y, int width, int height, int source, int relaxed);
