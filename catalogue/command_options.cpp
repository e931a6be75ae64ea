#include "command_options.h"

#include <algorithm>

namespace tnews
{

std::vector<CommandOption> ParseOptions(std::span<const std::string_view> args,
                                        std::initializer_list<std::string_view> withValue,
                                        std::initializer_list<std::string_view> flags)
{
    std::vector<CommandOption> options;
    for (std::size_t i = 0; i < args.size(); ++i)
    {
        std::string_view name = args[i];
        std::optional<std::string> value;
        if (const std::size_t equals = name.find('='); equals != std::string_view::npos)
        {
            value = std::string(name.substr(equals + 1));
            name = name.substr(0, equals);
        }
        if (std::ranges::find(flags, name) != flags.end())
        {
            if (value)
                throw OptionError(std::string(name) + " takes no value");
        }
        else if (std::ranges::find(withValue, name) != withValue.end())
        {
            if (!value && i + 1 == args.size())
                throw OptionError(std::string(name) + " needs a value");
            if (!value)
                value = std::string(args[++i]);
        }
        else
        {
            throw OptionError("unknown option \"" + std::string(args[i]) + "\"");
        }
        options.push_back(CommandOption{std::string(name), std::move(value)});
    }
    return options;
}

} // namespace tnews
