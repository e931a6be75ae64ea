// The program as a user starts it (its application class, main window and web engine) for the
// directory server named on its command line rather than the built-in one, with the start and
// help pages of the build; the monkey (monkey.cpp) drives it. Addresses for the default browser
// are refused every other time, so both of the pane's answers to them are met and no browser
// starts.
//   gui_monkey_program <host:port>
#include "app/app.h"
#include "app/form1.h"

#include <memory>
#include <string>

namespace
{

class MonkeyProgram : public tnews::TnewsApp
{
public:
    bool OnInit() override
    {
        if (argc != 2)
            return false;
        m_host = argv[1].ToStdString();
        return TnewsApp::OnInit();
    }

protected:
    void Start() override
    {
        tnews::Form1Options options;
        options.programFolder = TNEWS_PROGRAM_FOLDER;
        options.host = m_host;
        auto launches = std::make_shared<int>(0);
        options.makePane =
            [host = m_host, launches](wxWindow* parent, const tnews::TwipsRect& bounds)
        {
            return tnews::MakeEnginePane(parent, bounds, host,
                                         [launches](const std::string&)
                                         { return ++*launches % 2 == 0; });
        };
        (new tnews::Form1(std::move(options)))->Show();
    }

private:
    std::string m_host;
};

} // namespace

wxIMPLEMENT_APP(MonkeyProgram);
