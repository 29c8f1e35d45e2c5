#include "vcl/aqua_paint.h"

#include <algorithm>
#include <cmath>

namespace aqua {

Rgb From_Colorref(COLORREF c) { return {float(GetRValue(c)), float(GetGValue(c)), float(GetBValue(c))}; }

Rgb Mix(Rgb a, Rgb b, float t) { return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t}; }

Canvas::Canvas(HDC target, int width, int height) : width_(std::max(width, 1)), height_(std::max(height, 1))
{
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width_;
    info.bmiHeader.biHeight = -height_; // top-down rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    dc_ = CreateCompatibleDC(target);
    bitmap_ = CreateDIBSection(target, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    bits_ = static_cast<uint32_t*>(bits);
    if (dc_ && bitmap_) old_ = SelectObject(dc_, bitmap_);
}

Canvas::~Canvas()
{
    if (old_) SelectObject(dc_, old_);
    if (bitmap_) DeleteObject(bitmap_);
    if (dc_) DeleteDC(dc_);
}

static uint32_t Pack(Rgb c)
{
    auto channel = [](float v) { return uint32_t(std::clamp(std::lround(v), 0L, 255L)); };
    return (channel(c.r) << 16) | (channel(c.g) << 8) | channel(c.b);
}

static Rgb Unpack(uint32_t p) { return Hex(p & 0xFFFFFF); }

void Canvas::Fill(Rgb color) { Fill_Rect(0, 0, width_, height_, color); }

void Canvas::Fill_Rect(int left, int top, int right, int bottom, Rgb color)
{
    if (!bits_) return;
    GdiFlush();
    uint32_t packed = Pack(color);
    left = std::max(left, 0);
    right = std::min(right, width_);
    if (left >= right) return;
    for (int y = std::max(top, 0); y < std::min(bottom, height_); ++y)
        std::fill(bits_ + y * width_ + left, bits_ + y * width_ + right, packed);
}

void Canvas::Blend(int x, int y, Rgb color, float alpha)
{
    if (!bits_ || x < 0 || y < 0 || x >= width_ || y >= height_ || alpha <= 0.0f) return;
    uint32_t& pixel = bits_[y * width_ + x];
    pixel = Pack(Mix(Unpack(pixel), color, std::min(alpha, 1.0f)));
}

void Canvas::Copy_To(HDC target, int x, int y) const
{
    if (bits_) BitBlt(target, x, y, width_, height_, dc_, 0, 0, SRCCOPY);
}

// Signed distance from the pixel's centre to the edge of a rounded rectangle
// (negative inside).
static float Round_Rect_Distance(int x, int y, float left, float top, float right, float bottom, float radius)
{
    float px = x + 0.5f, py = y + 0.5f;
    float cx = (left + right) / 2, cy = (top + bottom) / 2;
    float hx = (right - left) / 2 - radius, hy = (bottom - top) / 2 - radius;
    float qx = std::fabs(px - cx) - hx, qy = std::fabs(py - cy) - hy;
    float outside = std::hypot(std::max(qx, 0.0f), std::max(qy, 0.0f));
    return outside + std::min(std::max(qx, qy), 0.0f) - radius;
}

float Round_Rect_Coverage(int x, int y, float left, float top, float right, float bottom, float radius)
{
    return std::clamp(0.5f - Round_Rect_Distance(x, y, left, top, right, bottom, radius), 0.0f, 1.0f);
}

template <class Shade>
static void For_Pixels(Canvas& canvas, float left, float top, float right, float bottom, Shade shade)
{
    GdiFlush();
    int x0 = std::max(int(std::floor(left)) - 1, 0), x1 = std::min(int(std::ceil(right)) + 1, canvas.Width());
    int y0 = std::max(int(std::floor(top)) - 1, 0), y1 = std::min(int(std::ceil(bottom)) + 1, canvas.Height());
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) shade(x, y);
}

void Paint_Gel(Canvas& canvas, float left, float top, float right, float bottom, float radius, const Gel& gel)
{
    float height = bottom - top;
    // The gloss: a paler rounded band over the upper half, fading downwards.
    float gloss_left = left + radius * 0.45f + 1, gloss_right = right - radius * 0.45f - 1;
    float gloss_top = top + 1.5f, gloss_bottom = top + height * 0.5f;
    float gloss_radius = std::min(radius * 0.8f, (gloss_bottom - gloss_top) / 2);
    For_Pixels(canvas, left, top, right, bottom, [&](int x, int y) {
        float outer = Round_Rect_Coverage(x, y, left, top, right, bottom, radius);
        if (outer <= 0) return;
        float inner = Round_Rect_Coverage(x, y, left + 1, top + 1, right - 1, bottom - 1, std::max(radius - 1, 0.0f));
        float t = std::clamp((y + 0.5f - top) / height, 0.0f, 1.0f);
        // Usually darkest in the middle and light at the bottom: the light passes through the gel.
        Rgb body = t < 0.5f ? Mix(gel.top, gel.middle, t / 0.5f) : Mix(gel.middle, gel.bottom, (t - 0.5f) / 0.5f);
        canvas.Blend(x, y, gel.rim, outer);
        canvas.Blend(x, y, body, inner);
        float shine = Round_Rect_Coverage(x, y, gloss_left, gloss_top, gloss_right, gloss_bottom, gloss_radius);
        if (shine > 0) {
            float fade = 1.0f - (y + 0.5f - gloss_top) / (gloss_bottom - gloss_top);
            canvas.Blend(x, y, Hex(0xFFFFFF), shine * gel.gloss * (0.35f + 0.65f * fade));
        }
    });
}

void Paint_Glow(Canvas& canvas, float left, float top, float right, float bottom, float radius, Rgb color,
                float width)
{
    For_Pixels(canvas, left - width, top - width, right + width, bottom + width, [&](int x, int y) {
        float d = Round_Rect_Distance(x, y, left, top, right, bottom, radius);
        if (d <= -0.5f || d >= width + 0.5f) return;
        float fade = std::clamp(1.0f - d / (width + 0.5f), 0.0f, 1.0f);
        canvas.Blend(x, y, color, fade * fade);
    });
}

void Paint_Shape(Canvas& canvas, float left, float top, float right, float bottom, float radius, Rgb color,
                 float alpha)
{
    For_Pixels(canvas, left, top, right, bottom, [&](int x, int y) {
        canvas.Blend(x, y, color, alpha * Round_Rect_Coverage(x, y, left, top, right, bottom, radius));
    });
}

} // namespace aqua
