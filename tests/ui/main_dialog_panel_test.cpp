// The progress panel as it reaches the screen: the bevel drawn at WM_PAINT
// and the bar repainted by the progress command, read back from the
// dialog's window.
#include "main_dialog_fixture.h"

namespace {

const COLORREF kDone = RGB(0x00, 0x4B, 0x96);   // 0x964B00 as a COLORREF
const COLORREF kRest = RGB(0x96, 0xB4, 0xD2);   // 0xD2B496

struct Bar {
    int left, top, width, height;
};

// Where the bar belongs in a client area of this size.
Bar BarOf(const RECT& client)
{
    const int w = client.right, h = client.bottom;
    return Bar{int(0.31 * w), int(0.88 * h), int(0.54 * w), 21};
}

class MainDialogPanel : public MainDialogTest {
protected:
    RECT client = {};
    std::vector<COLORREF> pixels;

    void ShowDialog()
    {
        ShowWindow(dialog, SW_SHOW);
        SetWindowPos(dialog, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
        UpdateWindow(dialog);
        PumpPending();
        GetClientRect(dialog, &client);
    }
    void Progress(uint32_t percent, uint32_t bytes)
    {
        s.settings.progressPercent = percent;
        s.settings.progressBytes = bytes;
        Press(IDM_REPAINT_PROGRESS);
        Capture();
    }
    // The client area as the display holds it.
    void Capture()
    {
        HDC window = GetDC(dialog);
        HDC memory = CreateCompatibleDC(window);
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = client.right;
        info.bmiHeader.biHeight = -client.bottom;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        void* bits = nullptr;
        HBITMAP bitmap = CreateDIBSection(window, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        HGDIOBJ old = SelectObject(memory, bitmap);
        BitBlt(memory, 0, 0, client.right, client.bottom, window, 0, 0, SRCCOPY);
        GdiFlush();
        const uint32_t* p = static_cast<const uint32_t*>(bits);
        pixels.assign(size_t(client.right) * client.bottom, 0);
        for (size_t i = 0; i < pixels.size(); ++i)   // 0x00RRGGBB to a COLORREF
            pixels[i] = RGB((p[i] >> 16) & 0xFF, (p[i] >> 8) & 0xFF, p[i] & 0xFF);
        SelectObject(memory, old);
        DeleteObject(bitmap);
        DeleteDC(memory);
        ReleaseDC(dialog, window);
    }
    COLORREF At(int x, int y) const { return pixels[size_t(y) * client.right + x]; }
    // How many pixels of `colour` lie in the rows of the bar's text between x0 and x1.
    int CountIn(int x0, int x1, COLORREF colour) const
    {
        const Bar bar = BarOf(client);
        int n = 0;
        for (int y = bar.top + 3; y < bar.top + bar.height; ++y)
            for (int x = x0; x < x1; ++x)
                n += At(x, y) == colour;
        return n;
    }
};

COLORREF Grey(int g) { return RGB(g, g, g); }

TEST_F(MainDialogPanel, TheBarFollowsTheProgressInsideAnUntouchedBevel)
{
    Open("");
    ASSERT_TRUE(dialog);
    ShowDialog();
    const Bar bar = BarOf(client);
    const int midY = client.bottom / 2, midX = client.right / 2;

    Progress(40, 15850000);
    const int split = bar.left + bar.width * 40 / 100;
    const int under = bar.top + bar.height - 1;   // the bottom row holds no text
    EXPECT_EQ(kDone, At(bar.left, under));
    EXPECT_EQ(kDone, At(split - 1, under));
    EXPECT_EQ(kRest, At(split, under));
    EXPECT_EQ(kRest, At(bar.left + bar.width - 1, under));
    // "15850K" in the light colour, all of it over the done part.
    EXPECT_GT(CountIn(bar.left + 10, split, kRest), 20);
    EXPECT_EQ(0, CountIn(split, bar.left + bar.width, kDone));

    // Many blocks later, and then a new scan from nothing: the bar shows
    // only the last state, the text now dark over the open part.
    for (uint32_t p = 41; p <= 100; ++p)
        Progress(p, p * 400000);
    Progress(0, 1000);
    EXPECT_EQ(kRest, At(bar.left, under));
    EXPECT_EQ(kRest, At(split - 1, under));
    EXPECT_GT(CountIn(bar.left + 10, bar.left + bar.width, kDone), 10);

    // The bevel: seven lines from the outside in, light over the top and
    // left (180 + -20, 70, ...), dark under the bottom and right.
    const int shade[] = {-20, 70, 40, 10, -10, -40, -70};
    for (int k = 0; k < 7; ++k) {
        EXPECT_EQ(Grey(180 + shade[k]), At(k, midY)) << "left line " << k;
        EXPECT_EQ(Grey(180 + shade[k]), At(midX, k)) << "top line " << k;
        EXPECT_EQ(Grey(180 - shade[k]), At(client.right - 1 - k, midY)) << "right line " << k;
        EXPECT_EQ(Grey(180 - shade[k]), At(midX, client.bottom - 1 - k)) << "bottom line " << k;
    }
    // Outside the bar the progress command paints nothing.
    EXPECT_NE(kDone, At(bar.left - 1, under));
    EXPECT_NE(kRest, At(bar.left + bar.width, under));
}

}  // namespace
