#pragma once
// Subcommands of vtool register themselves with a static VToolCommand object
// in their own file, so adding one touches no other file.

#include <functional>
#include <string>
#include <vector>

namespace vtool {

using Args = std::vector<std::string>;
// Answers the exit code: 0 done, 1 failed, 2 wrong arguments. An exception
// that escapes is reported by main in one line, with exit code 1.
using Handler = std::function<int(const Args& args)>;

struct Command {
    std::string name;
    std::string usage;                  // the arguments, in one line
    Handler run;
    std::function<std::string()> help;  // more text for `vtool NAME --help`; may be empty
};

std::vector<Command>& Commands();

struct Register {
    Register(std::string name, std::string usage, Handler run, std::function<std::string()> help = {}) {
        Commands().push_back({std::move(name), std::move(usage), std::move(run), std::move(help)});
    }
};

// Small argument helpers: the value after `--flag`, or `fallback`.
std::string Option(const Args& args, const std::string& flag, const std::string& fallback = {});
bool HasFlag(const Args& args, const std::string& flag);
// Every value given after repeated `--flag` options.
std::vector<std::string> Options(const Args& args, const std::string& flag);
// Arguments that are neither flags nor their values; `valued` lists the flags that take a value.
std::vector<std::string> Positional(const Args& args, const std::vector<std::string>& valued);

} // namespace vtool
