// Reports what a running program's main window shows, as Windows itself sees it, for the start
// test under Wine (start_test.sh):
//   window_probe <window title> [seconds to wait]
// Waits for a top-level window with that title, then prints one "key=value" line per fact: the
// client size and DPI, the menu bar's height, whether the window is topmost, the captions of
// one-character buttons, the enabled state of the keyword box, the drop-down's entry count and
// static texts. (Menus, fonts and icons are handles of the program's own process, which Wine
// doesn't share; the test looks at those from the X side.) Exits 1 when no such window appears
// in time.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

namespace
{

std::string Utf8(const std::wstring& text)
{
    if (text.empty())
        return {};
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                         nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size,
                        nullptr, nullptr);
    return out;
}

std::wstring WindowText(HWND window)
{
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(window, text.data(),
                                                        static_cast<int>(text.size()))));
    return text;
}

std::wstring ClassName(HWND window)
{
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    return name;
}

std::string Hex(wchar_t c)
{
    char code[16];
    std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(c));
    return code;
}

BOOL CALLBACK ReportChild(HWND child, LPARAM /*data*/)
{
    const std::wstring kind = ClassName(child);
    const std::wstring text = WindowText(child);
    if (kind == L"Button" && text.size() == 1)
        std::printf("symbol-button=%s\n", Hex(text[0]).c_str());
    else if (kind == L"Edit")
        std::printf("edit-enabled=%s\n", IsWindowEnabled(child) ? "yes" : "no");
    else if (kind == L"ComboBox")
        std::printf("combo-count=%d\n", static_cast<int>(SendMessageW(child, CB_GETCOUNT, 0, 0)));
    else if (kind == L"Static" && !text.empty())
        std::printf("static=%s\n", Utf8(text).c_str());
    return TRUE;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2)
    {
        std::fprintf(stderr, "usage: window_probe <window title> [seconds]\n");
        return 2;
    }
    const std::string title8 = argv[1];
    std::wstring title(title8.size() + 1, L'\0');
    title.resize(static_cast<std::size_t>(MultiByteToWideChar(
        CP_UTF8, 0, title8.c_str(), -1, title.data(), static_cast<int>(title.size())) - 1));
    const int seconds = argc > 2 ? std::atoi(argv[2]) : 30;

    HWND window = nullptr;
    for (int i = 0; i < seconds * 10 && !window; ++i)
    {
        window = FindWindowW(nullptr, title.c_str());
        if (!window || !IsWindowVisible(window))
        {
            window = nullptr;
            Sleep(100);
        }
    }
    if (!window)
    {
        std::fprintf(stderr, "window_probe: no visible window titled \"%s\"\n", title8.c_str());
        return 1;
    }

    RECT client = {};
    GetClientRect(window, &client);
    std::printf("client=%ldx%ld\n", client.right - client.left, client.bottom - client.top);
    std::printf("dpi=%u\n", GetDpiForWindow(window));
    std::printf("menu-height=%d\n", GetSystemMetrics(SM_CYMENU));
    std::printf("topmost=%s\n",
                GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_TOPMOST ? "yes" : "no");
    EnumChildWindows(window, ReportChild, 0);
    std::fflush(stdout);
    return 0;
}
