// Placeholder for the fonts and movies subsystem until it lands: the movie handle type is only marked
// registered and no movie ever plays; text is not drawn. The fonts and movies subsystem
// deletes this file.
#include "engine/text_movie/font_handles.h"
#include "engine/text_movie/fonts.h"
#include "engine/text_movie/movie_services.h"

namespace {

int movieTypeRegistered = 0;

}  // namespace

int RegisterMovieHandleType() {
    movieTypeRegistered = 1;
    return 0;
}
int EndMovieHandleType() {
    if (!movieTypeRegistered) return -1;
    movieTypeRegistered = 0;
    return 0;
}
int CheckMovieTypeInit() {
    return movieTypeRegistered ? 0 : -1;
}
int PauseAllMovies() {
    return 0;
}
int ResumeAllMovies() {
    return 0;
}

int DrawStringWithFont(int, int, const char* text, uint32_t, int font, uint32_t, int) {
    return text != nullptr && GetFontRecord(font) != nullptr ? 0 : -1;
}
