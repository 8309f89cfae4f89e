#include "game/scenes/logo_lines.h"

#include "engine/graphics/graphics.h"

namespace {

constexpr double kLineSpeed = 8.0;
constexpr double kEase = 0.5;
constexpr double kSlowFromX = 160.0;

}  // namespace

void LogoLines::SlideIn() {
    if (firstX > kSlowFromX) {
        firstSpeed = -kLineSpeed;
        secondSpeed = kLineSpeed;
    } else if (firstSpeed < 0.0) {
        firstSpeed += kEase;
        secondSpeed -= kEase;
        if (firstSpeed >= 0.0) firstSpeed = secondSpeed = 0.0;
    }
}

void LogoLines::SlideOut() {
    if (firstSpeed > -kLineSpeed) {
        firstSpeed -= kEase;
        secondSpeed += kEase;
    }
}

void LogoLines::Move() {
    firstX += firstSpeed;
    secondX += secondSpeed;
}

void LogoLines::Draw(int graphic, int secondLineY) const {
    DrawImagePart(static_cast<int>(firstX), 80, 0, kLogoFirstLineY, 160, 40, graphic, 1, 0);
    DrawImagePart(static_cast<int>(secondX), 140, 0, secondLineY, 160, 40, graphic, 1, 0);
}

void DrawAreaDigit(int graphic, int kind, double scale, int centreX, int centreY) {
    if (kind < 1 || kind > 4) return;
    DrawImagePartRotated(centreX, centreY, 40 * kind - 40, kLogoDigitY, 40, 60, scale, 0.0, graphic, 1, 0);
}
