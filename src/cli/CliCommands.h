// The subcommands of zubrik-cli. Each takes the arguments after its name and
// returns the exit code; failures travel as XCliExit.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace NSZubrikCli {

using TArguments = std::vector<std::string>;

int RunInfo(const TArguments& arguments);
int RunSlice(const TArguments& arguments);
int RunConvert(const TArguments& arguments);
int RunSave(const TArguments& arguments);
int RunProcess(const TArguments& arguments);
int RunRender(const TArguments& arguments);
int RunPlay(const TArguments& arguments);
int RunExport(const TArguments& arguments);
int RunDemo(const TArguments& arguments);

// The help of one subcommand ("" for the overview); false for an unknown one.
bool PrintHelp(const std::string& subcommand, std::ostream& out);

// Text for JSON output: quoted, with the characters JSON requires escaped.
std::string JsonString(const std::string& text);

} // namespace NSZubrikCli
