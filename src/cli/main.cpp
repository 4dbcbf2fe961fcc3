// zubrik-cli: Zubrik's document jobs without a display. Each subcommand
// drives the same document commands, processing and export flow as the
// window does, with the console answering for the dialogs.
#include <algorithm>
#include <cstring>
#include <iostream>
#include <new>

#include "cli/CliCommands.h"
#include "cli/CliOptions.h"
#include "app/ProductInfo.h"

using namespace NSZubrikCli;

namespace {

using TRunner = int (*)(const TArguments&);

struct SSubcommand {
    const char* fName;
    TRunner fRun;
};

constexpr SSubcommand kSubcommands[] = {
    {"info", RunInfo},       {"slice", RunSlice},   {"convert", RunConvert},
    {"save", RunSave},       {"render", RunRender}, {"export", RunExport},
    {"process", RunProcess}, {"play", RunPlay},     {"demo", RunDemo},
};

int Fail(int code, const std::string& message)
{
    if (!message.empty())
        std::cerr << "zubrik-cli: " << message << '\n';
    return code;
}

} // namespace

int main(int argc, char** argv)
{
    const TArguments all(argv + 1, argv + argc);
    if (all.size() == 1 && all[0] == "--version") {
        std::cout << "zubrik-cli " << NSZubrik::ProductVersion() << '\n';
        return kExitSuccess;
    }
    if (all.empty() || all[0] == "--help" || all[0] == "-h" || all[0] == "help") {
        const bool asked = !all.empty() && all.size() < 2;
        if (all.size() >= 2 && PrintHelp(all[1], std::cout))
            return kExitSuccess;
        PrintHelp("", asked ? std::cout : std::cerr);
        return asked ? kExitSuccess : kExitUsage;
    }
    const std::string name = all[0];
    const TArguments arguments(all.begin() + 1, all.end());
    for (const SSubcommand& subcommand : kSubcommands) {
        if (name != subcommand.fName)
            continue;
        if (std::find(arguments.begin(), arguments.end(), "--help") != arguments.end()) {
            PrintHelp(name, std::cout);
            return kExitSuccess;
        }
        try {
            return subcommand.fRun(arguments);
        } catch (const XCliExit& exit) {
            return Fail(exit.GetCode(), exit.GetMessage());
        } catch (const std::bad_alloc&) {
            return Fail(kExitBadInput, "not enough memory");
        } catch (const std::exception& failure) {
            return Fail(kExitBadInput, std::string("unexpected failure: ") + failure.what());
        }
    }
    return Fail(kExitUsage, "unknown subcommand \"" + name + "\" (see zubrik-cli --help)");
}
