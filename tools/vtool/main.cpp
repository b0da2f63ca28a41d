// vtool: a small command-line driver of the program's libraries, for
// diagnostics and measurements. It is not part of the program.
#include "Command.h"

#include <QCoreApplication>
#include <algorithm>
#include <cstdio>
#include <exception>

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

namespace {

void PrintUsage(std::FILE* to) {
    std::fprintf(to, "usage: vtool COMMAND [ARGS...]   (vtool COMMAND --help for more)\n");
    auto commands = vtool::Commands();
    std::sort(commands.begin(), commands.end(), [](auto& a, auto& b) { return a.name < b.name; });
    for (const auto& c : commands) std::fprintf(to, "  vtool %s %s\n", c.name.c_str(), c.usage.c_str());
}

bool AsksForHelp(const vtool::Args& args) {
    return std::any_of(args.begin(), args.end(), [](const std::string& a) { return a == "--help" || a == "-h"; });
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc < 2) {
        PrintUsage(stderr);
        return 2;
    }
    const std::string name = argv[1];
    if (name == "--help" || name == "-h" || name == "help") {
        PrintUsage(stdout);
        return 0;
    }
    vtool::Args args(argv + 2, argv + argc);
    for (const auto& c : vtool::Commands()) {
        if (c.name != name) continue;
        if (AsksForHelp(args)) {
            std::printf("usage: vtool %s %s\n", c.name.c_str(), c.usage.c_str());
            if (c.help) std::printf("%s", c.help().c_str());
            return 0;
        }
        try {
            return c.run(args);
        } catch (const std::exception& e) {
            std::fflush(stdout);
            std::fprintf(stderr, "vtool %s: %s\n", name.c_str(), e.what());
        } catch (...) {
            std::fflush(stdout);
            std::fprintf(stderr, "vtool %s: unknown error\n", name.c_str());
        }
        return 1;
    }
    std::fprintf(stderr, "vtool: no command \"%s\"\n", name.c_str());
    PrintUsage(stderr);
    return 2;
}
