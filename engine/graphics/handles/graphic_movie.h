// Graphics that show a movie: a file that no image reader takes is opened as a movie that plays into the
// graphic, whose frames are written into the graphic's textures or software image.
#pragma once

struct MovieRecord;

// Opens the file as a movie and sizes the graphic for its frames (half the width when the movie keeps
// its alpha beside the picture). 0 or -1 (logged).
int LoadMovieFileToGraphic(int widthHint, int graphic, const char* fileName, int options);
int LoadMovieFileToGraphicCore(int widthHint, int graphic, const char* fileName, int options, int relaxed);
// The movie's frame callback: its current frame into the graphic passed as the parameter.
void MovieFrameToGraphic(MovieRecord* movie, void* graphic);
// 1 when the file opens through the file layer.
int FileOpens(const char* path);
