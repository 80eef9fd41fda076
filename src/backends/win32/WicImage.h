#pragma once
#include <windows.h>

#include <string_view>

namespace zorv {

// Decodes encoded images (PNG, and whatever else the Windows Imaging Component reads) into 32-bit
// top-down DIB sections with premultiplied alpha, the form menus draw with transparency.
class TWicImage {
public:
    TWicImage() = delete;
    // The image scaled to fit a square of `size` pixels, proportions kept and centred; drawn in
    // grey at half opacity when `disabled`. Null when the bytes are no image it can decode. The
    // caller owns the bitmap.
    static HBITMAP DecodeToBitmap(std::string_view bytes, int size, bool disabled);
};

}  // namespace zorv
