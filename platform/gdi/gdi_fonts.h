// The font object behind an HFONT: the logical font, the FreeType face it was given at its pixel size,
// the metrics GDI reports for it and the styles it imitates (a one-pixel overstrike for a bold weight on
// a face without bold, a slant for italic on an upright face).
#pragma once

#include <memory>

#include "platform/gdi/font_faces.h"
#include "platform/gdi/gdi32.h"
#include "platform/gdi/gdi_objects.h"

// The opened face; closed (under the font engine's lock) when the last user lets go.
struct FontInstance {
    ~FontInstance();
    FontFaceSource source;
    FT_Face face = nullptr;
    LOGFONTA logical{};
    TEXTMETRICA metrics{};
    bool emboldened = false;
    bool slanted = false;
};

struct FontObject : GdiObject {
    explicit FontObject(std::shared_ptr<FontInstance> font_instance)
        : GdiObject(GdiObjectKind::kFont), instance(std::move(font_instance)) {}
    int Describe(int size, void* buffer) const override;
    std::shared_ptr<FontInstance> instance;
};

// The font selected into a device context (the default font when none is); null for a bad context.
std::shared_ptr<FontInstance> SelectedFontInstance(HDC dc);
