// The movie and colour-table calls that the library's frame makes at init, at end and when the main
// window is deactivated or the display changes.
#pragma once

int InitYuvToRgbTables();
int RegisterMovieHandleType();
int EndMovieHandleType();  // -1 when never registered
int CheckMovieTypeInit();  // 0 when the movie type is registered
int PauseAllMovies();
int ResumeAllMovies();
