// Under Wine: what one check of the message queue costs, the way the scan
// loop's pump makes it once a block, by kind of check; with nothing drawn
// since the last check, and with a progress-bar-sized area drawn before
// each (the pending drawing reaches the display inside the check).
//   queue_check_bench.exe [CHECKS per round [KIND]]
// With KIND (0 to 4) only that kind is run, e.g. under strace -c.
// Exits non-zero when its window cannot be made.
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>

#include <algorithm>
#include <vector>

namespace {

double Seconds()
{
    static LARGE_INTEGER frequency = {};
    if (!frequency.QuadPart)
        QueryPerformanceFrequency(&frequency);
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return (double)now.QuadPart / (double)frequency.QuadPart;
}

bool GetQueueStatusCheck() { return HIWORD(GetQueueStatus(QS_ALLINPUT)) != 0; }
bool PeekNoRemove()
{
    MSG msg;
    return PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_NOYIELD) != 0;
}
bool PeekNoRemoveInput()
{
    MSG msg;
    return PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_NOYIELD | PM_QS_INPUT | PM_QS_POSTMESSAGE |
                                                 PM_QS_SENDMESSAGE) != 0;
}
// Taking the message, if there is one, in the same look.
bool PeekRemove()
{
    MSG msg;
    return PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE | PM_NOYIELD) != 0;
}
bool InputState() { return GetInputState() != 0; }

void Drain()
{
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageA(&msg);
}

// A bar of 456 x 21 pixels, filled anew before each check when `draw`.
double PerCall(HWND window, bool (*check)(), int checks, bool draw)
{
    Drain();
    HDC dc = GetDC(window);
    HBRUSH brushes[2] = {CreateSolidBrush(0x964B00), CreateSolidBrush(0xD2B496)};
    double total = 0;
    for (int i = 0; i < checks; ++i) {
        if (draw) {
            RECT bar = {10, 10, 10 + 456, 31};
            FillRect(dc, &bar, brushes[i & 1]);
        }
        const double t0 = Seconds();
        check();
        total += Seconds() - t0;
    }
    DeleteObject(brushes[0]);
    DeleteObject(brushes[1]);
    ReleaseDC(window, dc);
    return total / checks * 1e6;
}

}  // namespace

int main(int argc, char** argv)
{
    const int checks = argc > 1 ? atoi(argv[1]) : 400;
    HWND window = CreateWindowA("STATIC", "queue check", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 600, 200,
                                nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    if (!window || checks <= 0) {
        fprintf(stderr, "queue_check_bench: no window\n");
        return 1;
    }
    UpdateWindow(window);
    const struct {
        const char* name;
        bool (*check)();
    } kinds[] = {{"GetQueueStatus(QS_ALLINPUT)", GetQueueStatusCheck},
                 {"PeekMessage(PM_NOREMOVE)", PeekNoRemove},
                 {"PeekMessage(PM_NOREMOVE|PM_QS_*)", PeekNoRemoveInput},
                 {"PeekMessage(PM_REMOVE)", PeekRemove},
                 {"GetInputState", InputState}};
    // The kinds take turns, round after round, and each reports its median
    // round: the machine is shared and its load comes in bursts.
    const int kinds_count = sizeof kinds / sizeof kinds[0];
    if (argc > 2) {
        const int only = atoi(argv[2]);
        if (only < 0 || only >= kinds_count)
            return 2;
        printf("%s: %.1f us/call\n", kinds[only].name, PerCall(window, kinds[only].check, checks, true));
        DestroyWindow(window);
        return 0;
    }
    const int rounds = 15;
    std::vector<double> idle[8], drawn[8];
    for (int r = 0; r < rounds; ++r)
        for (int k = 0; k < kinds_count; ++k) {
            idle[k].push_back(PerCall(window, kinds[k].check, checks, false));
            drawn[k].push_back(PerCall(window, kinds[k].check, checks, true));
        }
    printf("%-34s %14s %14s\n", "check", "idle us/call", "drawn us/call");
    for (int k = 0; k < kinds_count; ++k) {
        std::sort(idle[k].begin(), idle[k].end());
        std::sort(drawn[k].begin(), drawn[k].end());
        printf("%-34s %14.1f %14.1f\n", kinds[k].name, idle[k][rounds / 2], drawn[k][rounds / 2]);
    }
    DestroyWindow(window);
    return 0;
}
