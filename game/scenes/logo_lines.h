// The two lines of "./data/graphics/logo.png" that slide across the stage start and stage clear cards:
// the first line from the right, the second from the left; they overshoot and settle at x 100 and 140.
#pragma once

// Rectangles of the logo graphic.
constexpr int kLogoFirstLineY = 0;
constexpr int kLogoClearLineY = 40;
constexpr int kLogoStartLineY = 80;
constexpr int kLogoDigitY = 120;

struct LogoLines {
    double firstX = 400.0, secondX = -160.0;
    double firstSpeed = 0.0, secondSpeed = 0.0;

    // Full speed while the first line is right of x 160, then easing to a stop.
    void SlideIn();
    // Speeds up again toward -8 (and +8), carrying the lines out of view.
    void SlideOut();
    // Adds the speeds to the positions; once per frame.
    void Move();
    // The first line at y 80 and the second line (its rectangle's source y) at y 140.
    void Draw(int graphic, int secondLineY) const;
};

// The area digit (kind 1-4) of the logo graphic, scaled about its centre.
void DrawAreaDigit(int graphic, int kind, double scale, int centreX, int centreY);
