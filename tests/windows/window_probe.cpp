// Reports what the program's main window shows, as Windows itself sees it, for the start test
// under Wine (start_test.sh). Waits up to 30 s for a visible window titled "Tavi's Newspapers",
// then prints one "key=value" line per fact: the client size and DPI, the menu bar's height and
// the static texts. (Menus and icons are handles of the program's own process, which Wine
// doesn't share; the test looks at those from the X side.) Exits 1 when no such window appears.
#include <windows.h>

#include <cstdio>
#include <string_view>

namespace
{

BOOL CALLBACK ReportStatic(HWND child, LPARAM /*data*/)
{
    constexpr int kSize = 512;
    char kind[kSize] = {}, text[kSize] = {};
    GetClassNameA(child, kind, kSize);
    GetWindowTextA(child, text, kSize);
    if (std::string_view(kind) == "Static" && text[0] != '\0')
        std::printf("static=%s\n", text);
    return TRUE;
}

} // namespace

int main()
{
    HWND window = nullptr;
    for (int i = 0; i < 300 && !window; ++i)
    {
        window = FindWindowW(nullptr, L"Tavi's Newspapers");
        if (!window || !IsWindowVisible(window))
        {
            window = nullptr;
            Sleep(100);
        }
    }
    if (!window)
        return 1;
    RECT client = {};
    GetClientRect(window, &client);
    std::printf("client=%ldx%ld\n", client.right - client.left, client.bottom - client.top);
    std::printf("dpi=%u\n", GetDpiForWindow(window));
    std::printf("menu-height=%d\n", GetSystemMetrics(SM_CYMENU));
    EnumChildWindows(window, ReportStatic, 0);
    std::fflush(stdout);
    return 0;
}
