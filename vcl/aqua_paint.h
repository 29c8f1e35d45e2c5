#pragma once
// The drawing behind the "Aqua" look: glossy gel shapes painted pixel by
// pixel with smooth edges into an off-screen bitmap, which is then copied to
// the screen in one piece (no flicker, crisp at 96 DPI).
#include <windows.h>

#include <cstdint>

namespace aqua {

struct Rgb {
    float r, g, b;
};
Rgb From_Colorref(COLORREF c);
constexpr Rgb Hex(uint32_t rgb)
{
    return {float((rgb >> 16) & 0xFF), float((rgb >> 8) & 0xFF), float(rgb & 0xFF)};
}
Rgb Mix(Rgb a, Rgb b, float t);

class Canvas {
public:
    Canvas(HDC target, int width, int height);
    ~Canvas();
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    int Width() const { return width_; }
    int Height() const { return height_; }
    HDC Dc() const { return dc_; }
    void Fill(Rgb color);
    void Fill_Rect(int left, int top, int right, int bottom, Rgb color);
    void Blend(int x, int y, Rgb color, float alpha);
    void Copy_To(HDC target, int x, int y) const;

private:
    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ old_ = nullptr;
    uint32_t* bits_ = nullptr;
    int width_, height_;
};

// How much of the pixel whose top-left corner is (x, y) a rounded rectangle covers, 0..1.
float Round_Rect_Coverage(int x, int y, float left, float top, float right, float bottom, float radius);

// A gel: a rim, a body shading from top through middle to bottom, and a
// gloss on its upper half.
struct Gel {
    Rgb rim;
    Rgb top;
    Rgb middle;
    Rgb bottom;
    float gloss; // opacity of the white highlight
};
void Paint_Gel(Canvas& canvas, float left, float top, float right, float bottom, float radius, const Gel& gel);
// A soft ring around a shape, as the focused control shows.
void Paint_Glow(Canvas& canvas, float left, float top, float right, float bottom, float radius, Rgb color,
                float width);
// A flat rounded shape, for the small glyphs.
void Paint_Shape(Canvas& canvas, float left, float top, float right, float bottom, float radius, Rgb color,
                 float alpha);

} // namespace aqua
