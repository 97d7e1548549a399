// The preview area inside the stand-in main dialog (template 101): drags by
// real mouse messages, the region scan, and painting read back pixel by
// pixel from a memory device context.
#include <gtest/gtest.h>
#include <windows.h>

#include <vector>

#include "box_responder.h"
#include "main_dialog_stub.h"
#include "pipeline/dib.h"
#include "pipeline/preview_area.h"
#include "res/resource.h"

namespace {

const COLORREF kBackground = 0xD2B496, kRuler = 0xB4967F, kBlack = 0;

class PreviewArea : public DigitizerSessionTest {
protected:
    std::vector<uint8_t> dib;
    RECT f = {};  // the frame: the untouched selection
    HDC memory = nullptr;
    HBITMAP surface = nullptr;

    void SetUp() override
    {
        Open(nullptr);
        ASSERT_FALSE(HasFatalFailure());
        f = {s.area.selection[0], s.area.selection[1], s.area.selection[2], s.area.selection[3]};
        s.image.previewActive = 1;
        s.settings.units = 1;
    }
    void TearDown() override
    {
        if (memory)
            DeleteDC(memory);
        if (surface)
            DeleteObject(surface);
        DigitizerSessionTest::TearDown();
    }
    // An 8-bit grey prescan of one grey level; at 20 dpi over prescan
    // sizes equal to the drawn image, both scales are 200 (20 px an inch).
    void PlacePrescan(int width, int height, uint8_t grey, int drawnWidth, int drawnHeight)
    {
        const int row = (width + 3) & ~3;
        dib.assign(kDibGreyHeaderBytes + row * height, grey);
        DibInfoHeader* h = reinterpret_cast<DibInfoHeader*>(dib.data());
        *h = DibInfoHeader{kDibInfoHeaderSize, width, height, 1, 8, 0, 0, 0, 0, 256, 0};
        DibRgbQuad* table = reinterpret_cast<DibRgbQuad*>(dib.data() + kDibInfoHeaderSize);
        for (int i = 0; i < 256; ++i)
            table[i] = DibRgbQuad{uint8_t(i), uint8_t(i), uint8_t(i), 0};
        s.settings.prescanInfo = dib.data();
        s.settings.prescanBits = dib.data() + kDibGreyHeaderBytes;
        s.area.previewDpi = 20;
        s.area.prescanPixels = drawnWidth;
        s.area.prescanLines = drawnHeight;
    }
    void PlaceFramePrescan() { PlacePrescan(f.right - f.left, f.bottom - f.top, 0x40, f.right - f.left, f.bottom - f.top); }
    void Paint()
    {
        RECT client;
        GetClientRect(main, &client);
        BITMAPINFO bi = {};
        bi.bmiHeader = {sizeof(BITMAPINFOHEADER), client.right, -client.bottom, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        void* bits = nullptr;
        memory = CreateCompatibleDC(nullptr);
        surface = CreateDIBSection(memory, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
        SelectObject(memory, surface);
        PaintPreview(main, memory, &s.ds);
    }
    void Mouse(UINT message, int x, int y) { SendMessageA(main, message, 0, MAKELPARAM(x, y)); }
    void Drag(int x1, int y1, int x2, int y2)
    {
        Mouse(WM_LBUTTONDOWN, x1, y1);
        Mouse(WM_MOUSEMOVE, x2, y2);
        Mouse(WM_LBUTTONUP, x2, y2);
    }
    void Scan() { SendMessageA(main, WM_COMMAND, MAKEWPARAM(IDC_SCAN, BN_CLICKED), 0); PumpPending(); }
    std::vector<std::string> SelectionTexts()
    {
        std::vector<std::string> t;
        for (int id : {IDC_SEL_X1, IDC_SEL_Y1, IDC_SEL_X2, IDC_SEL_Y2, IDC_SEL_WIDTH, IDC_SEL_HEIGHT})
            t.push_back(DialogText(main, id));
        return t;
    }
};

TEST_F(PreviewArea, DragFromBottomRightScansTheRegionInInches)
{
    PlaceFramePrescan();
    Paint();
    const int bottomRow = f.bottom - 1;
    Mouse(WM_LBUTTONDOWN, f.left + 100, bottomRow - 20);
    Mouse(WM_MOUSEMOVE, f.left + 40, bottomRow - 60);
    EXPECT_EQ(DialogText(main, IDC_POINTER_X), "X:   2.00 in");
    EXPECT_EQ(DialogText(main, IDC_POINTER_Y), "Y:   3.00 in");
    Mouse(WM_LBUTTONUP, f.left - 30, bottomRow - 60);  // left of the frame: held at its edge
    EXPECT_EQ(SelectionTexts(), (std::vector<std::string>{"X1:   5.00 in", "Y1:   1.00 in", "X2:   0.00 in",
                                                          "Y2:   3.00 in", "W:   5.00 in", "H:   2.00 in"}));
    EXPECT_EQ(s.area.selection[0], f.left + 100);
    EXPECT_EQ(s.area.selection[1], bottomRow - 20);
    EXPECT_EQ(s.area.selection[2], f.left);
    EXPECT_EQ(s.area.selection[3], bottomRow - 60);

    Scan();
    EXPECT_EQ(BoxResponderMessageBoxes().size(), 0u);
    EXPECT_EQ(StubCommandsReceived(IDM_SCAN_REGION), 1);
    EXPECT_EQ(s.settings.selectionFlags & 1, 0);
    EXPECT_EQ(s.area.prescanMode, 0u);
    // What the Selection texts showed is what is scanned: Y1 and Y2 are
    // inches from the film's leading edge, the preview's bottom row.
    EXPECT_NEAR(s.area.left, 0.0f, 1e-5);
    EXPECT_NEAR(s.area.right, 5.0f, 1e-5);
    EXPECT_NEAR(s.area.top, 1.0f, 1e-4);
    EXPECT_NEAR(s.area.bottom, 3.0f, 1e-4);

    s.settings.units = 3;
    s.settings.resolution = 150;
    Drag(f.left + 20, f.top + 10, f.left + 60, f.top + 50);
    EXPECT_EQ(DialogText(main, IDC_SEL_WIDTH), "W: 300");  // 2 inches of a 150 dpi scan
    Mouse(WM_RBUTTONDOWN, f.left + 5, f.top + 5);
    EXPECT_EQ(SelectionTexts(), std::vector<std::string>(6, ""));
    EXPECT_EQ(s.area.selection[2], f.right);
    EXPECT_EQ(s.area.selection[3], f.bottom);
}

TEST_F(PreviewArea, APressOnTheFrameEdgeStartsASelectionOnePixelOutsideDoesNot)
{
    PlaceFramePrescan();
    Paint();
    const int midX = (f.left + f.right) / 2, midY = (f.top + f.bottom) / 2;
    const struct { int x, y, outX, outY; } edges[] = {
        {f.left, midY, f.left - 1, midY}, {f.right, midY, f.right + 1, midY},
        {midX, f.top, midX, f.top - 1}, {midX, f.bottom, midX, f.bottom + 1},
    };
    for (const auto& e : edges) {
        SCOPED_TRACE(testing::Message() << "edge point " << e.x << "," << e.y);
        Mouse(WM_RBUTTONDOWN, midX, midY);  // back to the whole frame
        Mouse(WM_LBUTTONDOWN, e.outX, e.outY);
        Mouse(WM_LBUTTONUP, e.outX, e.outY);
        EXPECT_EQ(s.area.selection[0], f.left);
        EXPECT_EQ(s.area.selection[1], f.top);
        EXPECT_EQ(SelectionTexts(), std::vector<std::string>(6, ""));
        Mouse(WM_LBUTTONDOWN, e.x, e.y);
        EXPECT_EQ(s.area.selection[0], e.x);
        EXPECT_EQ(s.area.selection[1], e.y);
        EXPECT_NE(DialogText(main, IDC_SEL_X1), "");
        Mouse(WM_LBUTTONUP, e.x, e.y);
    }
}

TEST_F(PreviewArea, ScanRefusalsAndTheUntouchedSelection)
{
    s.settings.selectionFlags = 0;
    Scan();  // the whole frame: no cut, nothing converted
    EXPECT_EQ(s.settings.selectionFlags & 1, 1);
    EXPECT_EQ(StubCommandsReceived(IDM_SCAN_REGION), 1);

    Drag(f.left + 10, f.top + 10, f.left + 50, f.top + 50);
    Scan();  // no prescan on screen
    EXPECT_EQ(BoxResponderLines(), std::vector<std::string>{"ERROR|Bad image size.|" + std::to_string(BOX_ICON_STOP)});
    EXPECT_EQ(StubCommandsReceived(IDM_SCAN_REGION), 1);

    BoxResponderClear();
    const int fw = f.right - f.left, fh = f.bottom - f.top;
    PlacePrescan(fw / 2, fh, 0x80, fw / 2, fh);  // a margin of a quarter each side
    Paint();
    Drag(f.left + 5, f.top + 50, f.left + 2, f.top + 10);
    Scan();
    EXPECT_EQ(BoxResponderLines(), std::vector<std::string>{"WARNING|The scan area you selected is outside the film.|" +
                                                            std::to_string(BOX_ICON_EXCLAMATION)});
    EXPECT_EQ(StubCommandsReceived(IDM_SCAN_REGION), 1);
    EXPECT_EQ(s.area.selection[1], f.top + 10);  // left normalised
}

// Only a selection that is the frame on all four edges skips the cut: one
// pixel in from any single edge is a region, converted before the scan.
TEST_F(PreviewArea, ASelectionOnePixelInsideAnyFrameEdgeIsARegion)
{
    PlaceFramePrescan();  // the image fills the frame at 20 px an inch
    Paint();
    const float width = float(f.right - f.left) / 20;
    Drag(f.left, f.top, f.right + 10, f.bottom + 10);  // held at the frame's far corner
    s.area.left = s.area.right = -1.0f;
    Scan();
    EXPECT_EQ(s.settings.selectionFlags & 1, 1);
    EXPECT_EQ(s.area.left, -1.0f) << "the whole frame is not converted";
    const struct { int left, top, right, bottom; float inchLeft, inchRight; } inside[] = {
        {f.left + 1, f.top, f.right, f.bottom, 0.05f, width},
        {f.left, f.top + 1, f.right, f.bottom, 0.0f, width},
        {f.left, f.top, f.right - 1, f.bottom, 0.0f, width - 0.05f},
        {f.left, f.top, f.right, f.bottom - 1, 0.0f, width},
    };
    int scans = 1;
    for (const auto& e : inside) {
        SCOPED_TRACE(testing::Message() << "selection " << e.left << "," << e.top << " " << e.right << "," << e.bottom);
        s.settings.selectionFlags = 1;
        s.area.prescanMode = 1;
        Drag(e.left, e.top, e.right, e.bottom);
        Scan();
        EXPECT_EQ(s.settings.selectionFlags & 1, 0);
        EXPECT_EQ(s.area.prescanMode, 0u);
        EXPECT_EQ(StubCommandsReceived(IDM_SCAN_REGION), ++scans);
        EXPECT_NEAR(s.area.left, e.inchLeft, 1e-4);
        EXPECT_NEAR(s.area.right, e.inchRight, 1e-4);
    }
    EXPECT_EQ(BoxResponderMessageBoxes().size(), 0u);
}

TEST_F(PreviewArea, PaintShowsBackgroundImageAndRulerTicks)
{
    Paint();
    EXPECT_EQ(GetPixel(memory, (f.left + f.right) / 2, (f.top + f.bottom) / 2), kBackground);

    PlaceFramePrescan();
    PaintPreview(main, memory, &s.ds);
    EXPECT_EQ(GetPixel(memory, f.left + 50, f.top + 50), RGB(0x40, 0x40, 0x40));
    // Horizontal strip above the frame: a tick every 10 px, every 2nd long.
    const int lowRow = f.top - 3, highRow = f.top - 6;
    EXPECT_EQ(GetPixel(memory, f.left + 20, lowRow), kBlack);
    EXPECT_EQ(GetPixel(memory, f.left + 10, lowRow), kRuler);
    EXPECT_EQ(GetPixel(memory, f.left + 10, highRow), kBlack);
    EXPECT_EQ(GetPixel(memory, f.left + 15, highRow), kRuler);
    // Vertical strip: counted upward from the image's last row.
    const int innerColumn = f.left - 3, outerColumn = f.left - 6, last = f.bottom - 1;
    EXPECT_EQ(GetPixel(memory, innerColumn, last - 20), kBlack);
    EXPECT_EQ(GetPixel(memory, innerColumn, last - 10), kRuler);
    EXPECT_EQ(GetPixel(memory, outerColumn, last - 10), kBlack);
    EXPECT_EQ(GetPixel(memory, outerColumn, last - 15), kRuler);

    // A scale below 2 has no tick step: the strip alone, and the call returns.
    DrawRuler(memory, 10, 10, 200, 17, 1, 1, 50, &s.ds);
    DrawRuler(memory, 10, 30, 17, 200, -1, 2, 150, &s.ds);
    for (int x = 11; x < 199; ++x)
        ASSERT_EQ(GetPixel(memory, x, 12), kRuler) << x;
    for (int y = 31; y < 199; ++y)
        ASSERT_EQ(GetPixel(memory, 13, y), kRuler) << y;
}

}  // namespace
