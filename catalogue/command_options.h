// The option syntax that tnews-server and tnews-catalogue share: "--name value" and
// "--name=value", and flags that take no value.
#pragma once

#include <initializer_list>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace tnews
{

/// One option of a command line.
struct CommandOption
{
    std::string name;                 // "--port"
    std::optional<std::string> value; // none for a flag
};

/// A command line that is not made of the options asked for; what() says why.
class OptionError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

/// The options of `args`, in order. An option named in `withValue` takes its value after "=" or
/// from the argument that follows, even when that starts with "-"; one named in `flags` takes
/// none. Throws OptionError for any other argument, a missing value, or a value given to a flag.
std::vector<CommandOption> ParseOptions(std::span<const std::string_view> args,
                                        std::initializer_list<std::string_view> withValue,
                                        std::initializer_list<std::string_view> flags);

} // namespace tnews
