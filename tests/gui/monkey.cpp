// The monkey: sends the program's real window random input for a given time, through the display
// server as a user's mouse and keyboard give it (xdotool), while the directory server in front
// of it answers, stalls, refuses or cuts its answers short at random. It fails when the program
// ends, reports a sanitizer finding, or leaves its window's ping (the one window managers send)
// unanswered for 2 s, not counting the time a busy machine kept it waiting for a processor; at
// the end it closes the window, and the program must end with status 0.
//   gui_monkey <gui_monkey_program> <seconds> [seed]
// Each action is printed as it is sent, so a failing run shows what led to the failure; the seed
// replays the same input.
#include "challenging_server.h"
#include "test_server.h"

#include "app/form1_design.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <functional>
#include <map>
#include <optional>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace tnews
{
namespace
{

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;
using Args = std::vector<std::string>;

constexpr auto kAnswerLimit = 2s;
constexpr char kTitle[] = "Tavi's Newspapers";

// Starts `args` with its output going to `output` (-1: this process's); returns its id.
pid_t Spawn(const Args& args, int output)
{
    std::vector<char*> argv;
    for (const std::string& arg : args)
        argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (output >= 0)
    {
        posix_spawn_file_actions_adddup2(&actions, output, STDOUT_FILENO);
        posix_spawn_file_actions_adddup2(&actions, output, STDERR_FILENO);
    }
    pid_t pid = 0;
    const int error = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    return error == 0 ? pid : -1;
}

// Runs `args`, waits for it and returns what it printed.
std::string Output(const Args& args)
{
    int out[2];
    if (pipe(out) != 0)
        return {};
    const pid_t pid = Spawn(args, out[1]);
    close(out[1]);
    std::string text;
    char buffer[512];
    for (ssize_t n; (n = read(out[0], buffer, sizeof buffer)) > 0;)
        text.append(buffer, static_cast<std::size_t>(n));
    close(out[0]);
    if (pid > 0)
        waitpid(pid, nullptr, 0);
    return text;
}

std::string Xdotool(Args args)
{
    args.insert(args.begin(), "xdotool");
    return Output(args);
}

// The first visible window of process `pid` whose name matches `name`; empty when none.
std::string FindWindow(pid_t pid, const std::string& name)
{
    const std::string found =
        Xdotool({"search", "--all", "--onlyvisible", "--pid", std::to_string(pid), "--name", name});
    return found.substr(0, found.find('\n'));
}

struct Geometry
{
    int x = 0, y = 0, width = 0, height = 0;
};

// What the monkey asks of windows as a window manager does: where they are, to close, and
// whether they still answer (the _NET_WM_PING protocol, which window managers use to tell a hung
// program and the toolkit answers from its event loop).
class WindowManager
{
public:
    WindowManager() : m_display(XOpenDisplay(nullptr))
    {
        if (!m_display)
            throw std::runtime_error("no display: run under scripts/with-display");
        // A window that has gone away is the program's failure to report, not the monkey's.
        XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
        m_root = DefaultRootWindow(m_display);
        m_protocols = XInternAtom(m_display, "WM_PROTOCOLS", False);
        m_ping = XInternAtom(m_display, "_NET_WM_PING", False);
        m_delete = XInternAtom(m_display, "WM_DELETE_WINDOW", False);
        XSelectInput(m_display, m_root, SubstructureNotifyMask); // where the answers go
    }
    ~WindowManager() { XCloseDisplay(m_display); }

    /// How long `window` took to answer, not counting `waited`, the time its program spent
    /// waiting for a processor; nothing when that exceeded `limit`.
    std::optional<Clock::duration> Ping(Window window, Clock::duration limit,
                                        const std::function<Clock::duration()>& waited)
    {
        const long stamp = ++m_stamp;
        const auto sent = Clock::now();
        const auto waitedBefore = waited();
        Send(window, m_ping, stamp);
        for (auto own = Clock::duration{}; own < limit;
             own = Clock::now() - sent - (waited() - waitedBefore))
        {
            while (XPending(m_display))
            {
                XEvent event;
                XNextEvent(m_display, &event);
                const XClientMessageEvent& message = event.xclient;
                if (event.type == ClientMessage && message.message_type == m_protocols &&
                    static_cast<Atom>(message.data.l[0]) == m_ping && message.data.l[1] == stamp)
                    return Clock::now() - sent - (waited() - waitedBefore);
            }
            pollfd fd{ConnectionNumber(m_display), POLLIN, 0};
            poll(&fd, 1, 10);
        }
        return std::nullopt;
    }

    /// Asks `window` to close, as its close button does.
    void Close(Window window) { Send(window, m_delete, CurrentTime); }

    /// Where `window` is on the screen, and its size.
    Geometry Where(Window window)
    {
        XWindowAttributes attributes{};
        Window child = 0;
        Geometry g;
        XGetWindowAttributes(m_display, window, &attributes);
        XTranslateCoordinates(m_display, window, m_root, 0, 0, &g.x, &g.y, &child);
        g.width = attributes.width;
        g.height = attributes.height;
        return g;
    }

private:
    void Send(Window window, Atom protocol, long stamp)
    {
        XEvent event{};
        event.xclient.type = ClientMessage;
        event.xclient.window = window;
        event.xclient.message_type = m_protocols;
        event.xclient.format = 32;
        event.xclient.data.l[0] = static_cast<long>(protocol);
        event.xclient.data.l[1] = stamp;
        event.xclient.data.l[2] = static_cast<long>(window);
        XSendEvent(m_display, window, False, NoEventMask, &event);
        XFlush(m_display);
    }

    Display* m_display;
    Window m_root;
    Atom m_protocols, m_ping, m_delete;
    long m_stamp = 0;
};

// Text for the keyword box: words, characters a URL would bend, letters beyond ASCII (two
// bytes, three, four) and 1,000 characters at once.
std::string RandomText(std::minstd_rand& random)
{
    static const std::array<const char*, 12> pieces = {
        "dallas",
        "fish&chips",
        "C# a+b 100%",
        "  ",
        "Z\xC3\xBCrich",
        "S\xC3\xA9n\xC3\xA9gal",
        "\xD0\x9C\xD0\xBE\xD1\x81\xD0\xBA\xD0\xB2\xD0\xB0",
        "\xE6\x9D\xB1\xE4\xBA\xAC",
        "\xF0\x9F\x93\xB0",
        "<b>'\"?#/\\",
        "times",
        "new york"};
    if (random() % 8 == 0)
    {
        std::string long_text;
        while (long_text.size() < 1000)
            long_text += static_cast<char>('a' + random() % 26);
        return long_text;
    }
    std::string text;
    for (auto n = 1 + random() % 3; n > 0; --n)
        text += pieces[random() % pieces.size()];
    return text;
}

class Monkey
{
public:
    Monkey(std::string program, std::chrono::seconds duration, unsigned seed)
        : m_program(std::move(program)), m_duration(duration), m_seed(seed), m_random(seed),
          m_upstream(
              server::testing::TestServerOptions{.catalogue = server::testing::RealCataloguePath()})
    {
        StartServer();
        m_port = m_front->Port();
    }

    int Run()
    {
        // A window that stops answering gets SIGABRT, on which the sanitizer prints its stack.
        const char* asan = getenv("ASAN_OPTIONS");
        setenv("ASAN_OPTIONS", (std::string(asan ? asan : "") + ":handle_abort=1").c_str(), 1);
        char logName[] = "/tmp/tnews-monkey-XXXXXX";
        const int log = mkstemp(logName);
        m_logName = logName;
        m_pid = Spawn({m_program, "127.0.0.1:" + std::to_string(m_port)}, log);
        close(log);
        if (m_pid <= 0)
            return Fail("can't start " + m_program);
        const auto shown = Clock::now();
        while (m_window.empty() && Clock::now() - shown < 60s && Alive())
        {
            std::this_thread::sleep_for(100ms);
            m_window = FindWindow(m_pid, std::string("^") + kTitle + "$");
        }
        if (m_window.empty())
            return Fail("no window titled \"" + std::string(kTitle) + "\" within 60 s");
        std::this_thread::sleep_for(1s); // the start page
        // The window starts rolled down; the rest of its height is the menu bar.
        m_menuHeight = m_windows.Where(std::stoul(m_window)).height -
                       TwipsToDip(form1::ClientHeightFor(form1::kRolledDownHeight));
        std::printf("monkey: seed %u, %lld s, program %s, log %s\n", m_seed,
                    static_cast<long long>(m_duration.count()), m_program.c_str(),
                    m_logName.c_str());

        const auto end = Clock::now() + m_duration;
        while (Clock::now() < end)
        {
            ShakeServer();
            Act();
            if (!Alive())
                return Fail("the program ended during the run");
            const auto pinged = Clock::now();
            const auto answer =
                m_windows.Ping(std::stoul(m_window), kAnswerLimit, [this] { return Waited(); });
            m_slowestWall = std::max(m_slowestWall, Clock::now() - pinged);
            if (!answer && !Alive())
                return Fail("the program ended during the run");
            if (!answer)
            {
                // The main thread's stack, where the sanitizer's handler prints it.
                syscall(SYS_tgkill, m_pid, m_pid, SIGABRT);
                return Fail("the window did not answer for 2 s");
            }
            if (*answer > m_slowest)
                m_slowest = *answer, m_slowestAfter = m_last;
            std::this_thread::sleep_for(std::chrono::milliseconds(m_random() % 200));
        }
        return Finish();
    }

private:
    // The window's client area, where the design's twips are measured from.
    struct Point
    {
        int x, y;
    };
    Point Client(const TwipsRect& r, double fx = 0.5, double fy = 0.5)
    {
        const Geometry g = m_windows.Where(std::stoul(m_window));
        return {g.x + TwipsToDip(r.left + r.width * fx),
                g.y + m_menuHeight + TwipsToDip(r.top + r.height * fy)};
    }
    double Fraction() { return static_cast<double>(m_random() % 1000) / 1000; }
    template <typename T> const T& Pick(const std::vector<T>& choices)
    {
        return choices[m_random() % choices.size()];
    }

    void Send(const std::string& what, Args args)
    {
        m_last = what;
        std::printf("%6d %s\n", ++m_actions, what.c_str());
        std::fflush(stdout);
        if (!args.empty())
            Xdotool(std::move(args));
    }
    void Click(const std::string& what, Point at, Args then = {})
    {
        Args args = {"mousemove", std::to_string(at.x), std::to_string(at.y), "click", "1"};
        args.insert(args.end(), then.begin(), then.end());
        Send(what, args);
    }

    // The top row after start-up's layout (form1.cpp), in twips.
    static constexpr TwipsRect kCombo = {0, 0, form1::kCombo1Width, form1::kCombo1.height};
    static constexpr TwipsRect kText = {form1::kCombo1Width + form1::kText1Gap, form1::kText1Top,
                                        form1::kText1Width, form1::kText1.height};
    static constexpr TwipsRect kSearch = {form1::kWidth - form1::kKSearchFromRight, 0,
                                          form1::kKSearchWidth, form1::kKSearch.height};
    static constexpr TwipsRect kRollUp = {form1::kRollUp.left, 0, form1::kRollButtonSize,
                                          form1::kRollButtonSize};
    static constexpr TwipsRect kRollDown = {form1::kRollDown.left, 0, form1::kRollButtonSize,
                                            form1::kRollButtonSize};
    static constexpr TwipsRect kPane = {0, form1::kCombo1.height + form1::kPaneGap,
                                        form1::kWebBrowser1.width, form1::kWebBrowser1.height};

    void Act()
    {
        using Action = std::pair<int, std::function<void()>>; // weight, action
        const std::vector<Action> actions = {
            {10,
             [this] {
                 Menu("r", Pick<std::string>({"c", "u", "i", "Down Down Return", "Escape"}));
             }},
            {4,
             [this] {
                 Menu("h", Pick<std::string>({"h", "u", "t", "Escape"}));
             }},
            {1, [this] { Menu("f", "Escape"); }},
            {2, [this] { MenuByMouse(); }},
            {8, [this] { ComboByMouse(); }},
            {8, [this] { ComboByKeys(); }},
            {6, [this] { Type(); }},
            {4, [this] { Click("Search", Client(kSearch)); }},
            {3,
             [this] {
                 Click("Enter in the keyword box", Client(kText), {"key", "Return"});
             }},
            {3, [this] { Click("roll up", Client(kRollUp)); }},
            {3, [this] { Click("roll down", Client(kRollDown)); }},
            {12, [this] { ClickPane(); }},
            {8, [this] { PaneKeys(); }},
            {3, [this] { About(); }},
            {4, [this] { Focus(); }},
            {2, [this] { Resize(); }},
        };
        int total = 0;
        for (const Action& action : actions)
            total += action.first;
        int draw = static_cast<int>(m_random() % total);
        for (const Action& action : actions)
            if ((draw -= action.first) < 0)
                return action.second();
    }

    void Menu(const std::string& mnemonic, const std::string& item)
    {
        // Mostly to the main window, sometimes to whichever window has the focus.
        Args args = {"key", "alt+" + mnemonic, "sleep", "0.2", "key"};
        if (m_random() % 4 != 0)
            args.insert(args.begin(), {"windowactivate", m_window, "sleep", "0.1"});
        std::istringstream keys(item);
        for (std::string key; keys >> key;)
            args.push_back(key);
        Send("menu alt+" + mnemonic + " " + item, args);
    }
    void MenuByMouse()
    {
        const Geometry g = m_windows.Where(std::stoul(m_window));
        // Region and Help, never File, whose Exit would end the run.
        const Point bar{g.x + 40 + static_cast<int>(m_random() % 110), g.y + m_menuHeight / 2};
        Click("menu bar at x " + std::to_string(bar.x - g.x), bar,
              {"sleep", "0.2", "mousemove", "--", std::to_string(bar.x),
               std::to_string(bar.y + 10 + static_cast<int>(m_random() % 140)), "click", "1"});
    }
    void ComboByMouse()
    {
        // The list opens over the drop-down, the chosen entry on it; somewhere on it, or beside.
        const Point combo = Client(kCombo);
        const int dy = static_cast<int>(m_random() % 600) - 300;
        Click("drop-down, then " + std::to_string(dy) + " px from it", combo,
              {"sleep", "0.3", "mousemove", "--", std::to_string(combo.x),
               std::to_string(combo.y + dy), "click", "1"});
    }
    void ComboByKeys()
    {
        Args keys = {"sleep", "0.2", "key", "Escape"};
        for (auto n = 1 + m_random() % 4; n > 0; --n)
            keys.push_back(Pick<std::string>({"Down", "Up", "Page_Down", "Home", "End"}));
        std::string what = "drop-down keys";
        for (std::size_t i = 4; i < keys.size(); ++i)
            what += " " + keys[i];
        Click(what, Client(kCombo), keys);
    }
    void Type()
    {
        const std::string text = RandomText(m_random);
        const bool enter = m_random() % 2;
        // Whatever follows "--" is typed, so Enter goes in the text: xdotool types a newline as
        // the Return key.
        Args then = {"type", "--delay", "2", "--", enter ? text + "\n" : text};
        if (m_random() % 3 == 0)
            then.insert(then.begin(), {"key", "ctrl+a", "BackSpace"});
        Click("type " + (text.size() > 40 ? std::to_string(text.size()) + " bytes" : text) +
                  (enter ? ", Enter" : ""),
              Client(kText), then);
    }
    void ClickPane()
    {
        // Links sit mostly near the top: the letter index, "Try again", the first papers.
        const double fy = m_random() % 2 ? Fraction() * 0.3 : Fraction();
        const double fx = Fraction();
        Click("pane at " + std::to_string(static_cast<int>(fx * 100)) + "%, " +
                  std::to_string(static_cast<int>(fy * 100)) + "%",
              Client(kPane, fx, fy));
    }
    void PaneKeys()
    {
        // Into the page, then through its links: the first is "Try again" on the program's
        // own page, a letter of the index on a long listing.
        Args keys = {"key"};
        for (auto n = m_random() % 4; n > 0; --n)
            keys.push_back("Tab");
        keys.push_back(Pick<std::string>({"Return", "Return", "space", "Page_Down", "shift+Tab"}));
        std::string what = "pane keys";
        for (std::size_t i = 1; i < keys.size(); ++i)
            what += " " + keys[i];
        keys.insert(keys.begin(), {"sleep", "0.1"});
        Click(what, Client(kPane, 0.98, 0.98), keys);
    }
    void About()
    {
        std::string box = FindWindow(m_pid, "^About ");
        if (box.empty())
            return Menu("h", "a");
        const Geometry g = m_windows.Where(std::stoul(box));
        switch (m_random() % 6)
        {
        case 0: // its Ok button, as about_box.cpp places it
            return Click("About box Ok",
                         {g.x + TwipsToDip(120 + 495 / 2), g.y + TwipsToDip(1920 + 375 / 2)});
        case 1:
            return Send("About box keys",
                        {"windowactivate", box, "sleep", "0.1", "key",
                         Pick<std::string>({"Return", "Escape", "space", "alt+o", "Tab"})});
        case 2:
            return Send("About box moved", {"windowmove", box, std::to_string(m_random() % 800),
                                            std::to_string(m_random() % 700)});
        case 3:
            Send("About box closed", {});
            return m_windows.Close(std::stoul(box));
        default:
            return Menu("h", "a");
        }
    }
    void Focus()
    {
        switch (m_random() % 4)
        {
        case 0:
            return Send("Tab", {"key", Pick<std::string>({"Tab", "shift+Tab", "ctrl+Tab"})});
        case 1: // the desktop beside the window
            return Send("click the desktop", {"mousemove", "20", "1000", "click", "1"});
        case 2:
            return Send("minimize and back",
                        {"windowminimize", m_window, "sleep", "0.3", "windowactivate", m_window});
        default:
            return Send("activate", {"windowactivate", m_window});
        }
    }
    void Resize()
    {
        if (m_random() % 2)
            return Send("move", {"windowmove", m_window, std::to_string(m_random() % 800),
                                 std::to_string(m_random() % 800)});
        Send("resize", {"windowsize", m_window, std::to_string(100 + m_random() % 900),
                        std::to_string(30 + m_random() % 600)});
    }

    // Now and then the server stops listening for a few seconds: connections are refused.
    void StartServer()
    {
        m_front.emplace(m_port);
        m_front->SetUpstream(m_upstream.Host());
        m_front->SetMode(ChallengingServer::Mode::Mixed);
    }
    void ShakeServer()
    {
        if (m_front && m_random() % 40 == 0)
        {
            Count(m_front->Requests());
            m_front.reset();
            ++m_refusals;
            m_upAgain = Clock::now() + std::chrono::milliseconds(500 + m_random() % 3500);
            std::printf("       (the server refuses connections)\n");
        }
        else if (!m_front && Clock::now() > m_upAgain)
        {
            StartServer();
            std::printf("       (the server listens again)\n");
        }
    }
    void Count(const std::vector<ChallengingServer::Request>& requests)
    {
        for (const auto& request : requests)
            ++m_met[request.met];
    }

    // How long the program's main thread, which answers for the window, has waited for a
    // processor: the time a machine busy with other work adds to every answer.
    Clock::duration Waited() const
    {
        std::ifstream stat("/proc/" + std::to_string(m_pid) + "/task/" + std::to_string(m_pid) +
                           "/schedstat");
        long long running = 0, waiting = 0;
        stat >> running >> waiting;
        return std::chrono::nanoseconds(waiting);
    }

    bool Alive()
    {
        int status = 0;
        if (m_pid <= 0)
            return false;
        if (waitpid(m_pid, &status, WNOHANG) == 0)
            return true;
        m_status = status;
        m_pid = -1;
        return false;
    }

    // Closes the window as its close button does; the program must end with status 0 and no
    // sanitizer report.
    int Finish()
    {
        // An open menu holds the toolkit's grab, which keeps the window from closing, as it
        // keeps a user's click on the close button from doing so; a click beside it ends that.
        const auto closed = Clock::now();
        while (Alive() && Clock::now() - closed < 60s)
        {
            Xdotool({"mousemove", "20", "1000", "click", "1", "key", "Escape"});
            m_windows.Close(std::stoul(m_window));
            for (int i = 0; i < 60 && Alive(); ++i)
                std::this_thread::sleep_for(50ms);
        }
        if (m_pid > 0)
            return Fail("the program did not end within 60 s of closing its window");
        if (!WIFEXITED(m_status) || WEXITSTATUS(m_status) != 0)
            return Fail("the program ended badly after its window was closed");
        if (!SanitizerReport().empty())
            return Fail("a sanitizer report");
        if (m_front)
            Count(m_front->Requests());
        const auto ms = [](Clock::duration d)
        {
            return static_cast<long long>(
                std::chrono::duration_cast<std::chrono::milliseconds>(d).count());
        };
        std::printf("monkey: %d actions in %lld s, seed %u: 0 crashes, 0 sanitizer reports; "
                    "slowest answer %lld ms, after \"%s\" (%lld ms with the waits for a "
                    "processor)\n",
                    m_actions, static_cast<long long>(m_duration.count()), m_seed, ms(m_slowest),
                    m_slowestAfter.c_str(), ms(m_slowestWall));
        using Mode = ChallengingServer::Mode;
        std::printf("monkey: the server answered %d requests, stalled %d, cut %d short, and "
                    "refused connections %d times\n",
                    m_met[Mode::Answer], m_met[Mode::Stall], m_met[Mode::CutShort], m_refusals);
        unlink(m_logName.c_str());
        return 0;
    }

    std::string SanitizerReport()
    {
        std::ifstream log(m_logName);
        std::string line, report;
        while (std::getline(log, line))
            if (!report.empty() || line.find("Sanitizer") != std::string::npos ||
                line.find("runtime error:") != std::string::npos)
                report += line + "\n";
        return report;
    }

    int Fail(const std::string& why)
    {
        // What the display showed, beside the program's output.
        Output({"import", "-window", "root", m_logName + ".png"});
        if (m_pid > 0)
        {
            std::this_thread::sleep_for(3s); // for the sanitizer's report, when there is one
            kill(m_pid, SIGKILL);
            waitpid(m_pid, &m_status, 0);
            m_pid = -1;
        }
        std::printf("monkey: FAILED after %d actions (seed %u), the last \"%s\": %s\n", m_actions,
                    m_seed, m_last.c_str(), why.c_str());
        if (WIFSIGNALED(m_status))
            std::printf("monkey: the program ended on signal %d\n", WTERMSIG(m_status));
        else if (WIFEXITED(m_status))
            std::printf("monkey: the program ended with status %d\n", WEXITSTATUS(m_status));
        std::ifstream log(m_logName);
        std::printf("monkey: the display at the failure: %s.png; the program's output (%s):\n%s\n",
                    m_logName.c_str(), m_logName.c_str(),
                    std::string(std::istreambuf_iterator<char>(log), {}).c_str());
        return 1;
    }

    const std::string m_program;
    const std::chrono::seconds m_duration;
    const unsigned m_seed;
    std::minstd_rand m_random;
    server::testing::TestServer m_upstream;
    std::optional<ChallengingServer> m_front;
    int m_port = 0;
    Clock::time_point m_upAgain;
    int m_refusals = 0;
    std::map<ChallengingServer::Mode, int> m_met;

    WindowManager m_windows;
    std::string m_logName;
    pid_t m_pid = -1;
    int m_status = 0;
    std::string m_window;
    int m_menuHeight = 0;
    int m_actions = 0;
    std::string m_last = "(none)";
    Clock::duration m_slowest{}; // of the program's own time
    std::string m_slowestAfter;
    Clock::duration m_slowestWall{};
};

} // namespace
} // namespace tnews

int main(int argc, char** argv)
{
    if (argc < 3)
    {
        std::fprintf(stderr, "usage: %s <gui_monkey_program> <seconds> [seed]\n", argv[0]);
        return 2;
    }
    const unsigned seed = argc > 3 ? static_cast<unsigned>(std::stoul(argv[3]))
                                   : static_cast<unsigned>(std::random_device{}());
    try
    {
        return tnews::Monkey(argv[1], std::chrono::seconds(std::atoi(argv[2])), seed).Run();
    }
    catch (const std::exception& e)
    {
        std::fprintf(stderr, "gui_monkey: %s\n", e.what());
        return 1;
    }
}
