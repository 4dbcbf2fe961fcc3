// The command line's argument and settings parsing, fed arbitrary argument
// lists: every input must end in parsed settings or a usage refusal.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "cli/CliOptions.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // Arguments are separated by NUL bytes, as the system hands them over.
    std::vector<std::string> arguments(1);
    for (size_t i = 0; i < size; ++i) {
        if (data[i] == 0)
            arguments.emplace_back();
        else
            arguments.back().push_back(static_cast<char>(data[i]));
    }
    NSZubrikCli::SFlagSet flags = NSZubrikCli::CommonFlags();
    NSZubrikCli::AddSettingsFlags(flags);
    flags.fValued.insert("--output");
    try {
        NSZubrikCli::CArguments parsed(arguments, flags);
        NSZubrikCli::ParseSettings(parsed);
        parsed.Integer("--output", 0, 10);
    } catch (const NSZubrikCli::XCliExit&) {
    }
    return 0;
}
