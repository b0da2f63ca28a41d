// vtool: a small command-line driver of the program's libraries, for
// diagnostics and measurements. It is not part of the program.
#include "Command.h"

#include <QCoreApplication>
#include <algorithm>
#include <cstdio>

namespace vtool {

std::vector<Command>& Commands() {
    static std::vector<Command> commands;
    return commands;
}

std::string Option(const Args& args, const std::string& flag, const std::string& fallback) {
    for (size_t i = 0; i + 1 < args.size(); ++i)
        if (args[i] == flag) return args[i + 1];
    return fallback;
}

bool HasFlag(const Args& args, const std::string& flag) {
    return std::find(args.begin(), args.end(), flag) != args.end();
}

std::vector<std::string> Options(const Args& args, const std::string& flag) {
    std::vector<std::string> values;
    for (size_t i = 0; i + 1 < args.size(); ++i)
        if (args[i] == flag) values.push_back(args[++i]);
    return values;
}

std::vector<std::string> Positional(const Args& args, const std::vector<std::string>& valued) {
    std::vector<std::string> out;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i].rfind("--", 0) == 0) {
            if (std::find(valued.begin(), valued.end(), args[i]) != valued.end()) ++i;
            continue;
        }
        out.push_back(args[i]);
    }
    return out;
}

} // namespace vtool

static int usage() {
    std::fprintf(stderr, "usage: vtool COMMAND [ARGS...]\n");
    auto commands = vtool::Commands();
    std::sort(commands.begin(), commands.end(), [](auto& a, auto& b) { return a.name < b.name; });
    for (const auto& c : commands) std::fprintf(stderr, "  vtool %s %s\n", c.name.c_str(), c.usage.c_str());
    return 2;
}

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc < 2) return usage();
    const std::string name = argv[1];
    vtool::Args args(argv + 2, argv + argc);
    for (const auto& c : vtool::Commands())
        if (c.name == name) return c.run(args);
    return usage();
}
