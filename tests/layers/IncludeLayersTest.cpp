// The layers hold by a check, not by discipline: every quoted include of a source file under src/
// must name a folder at or below its own layer, and no chain of includes may lead a file back to
// itself. The table below is the one place that says who may include whom; docs/architecture.md
// draws the same table.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <algorithm>
#include <functional>
#include <map>
#include <regex>
#include <set>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

// Each layer with the layers it may include directly. What those may include follows by closure.
const std::map<std::string, std::vector<std::string>> &layerTable()
{
    static const std::map<std::string, std::vector<std::string>> table = {
        {"common", {}},
        {"networking", {"common"}},
        {"vpn", {"networking"}},
        {"webcore", {"networking"}},
        {"helper", {"common"}},
        {"uikit", {"networking"}},
        {"app", {"uikit", "vpn"}},
        {"upgrade", {"app"}},
        {"web", {"upgrade", "webcore"}},
        {"home", {"upgrade", "webcore"}},
        {"webmodule", {"settings", "web"}},
        {"login", {"app", "webcore"}},
        {"settings", {"home", "login", "web"}},
        {"ostrel", {"settings", "home", "login", "web", "upgrade", "app", "helper"}},
    };
    return table;
}

std::set<std::string> reachableLayers(const std::string &layer)
{
    std::set<std::string> seen{layer};
    std::vector<std::string> todo{layer};
    while (!todo.empty()) {
        const std::string next = todo.back();
        todo.pop_back();
        const auto it = layerTable().find(next);
        if (it == layerTable().end())
            continue;
        for (const std::string &below : it->second) {
            if (seen.insert(below).second)
                todo.push_back(below);
        }
    }
    return seen;
}

struct SourceFile {
    std::string path;                  // relative to src/, e.g. "home/NBConnectView.cpp"
    std::vector<std::string> includes; // quoted includes as written
};

std::vector<SourceFile> readSources(const fs::path &srcRoot)
{
    static const std::regex includeLine(R"re(^\s*#\s*include\s+"([^"]+)")re");
    std::vector<SourceFile> files;
    for (const auto &entry : fs::recursive_directory_iterator(srcRoot)) {
        const std::string ext = entry.path().extension().string();
        if (!entry.is_regular_file() || (ext != ".cpp" && ext != ".h"))
            continue;
        SourceFile file{fs::relative(entry.path(), srcRoot).generic_string(), {}};
        std::ifstream in(entry.path());
        std::string line;
        std::smatch match;
        while (std::getline(in, line)) {
            if (std::regex_search(line, match, includeLine))
                file.includes.push_back(match[1].str());
        }
        files.push_back(std::move(file));
    }
    return files;
}

std::string layerOf(const std::string &relativePath)
{
    return relativePath.substr(0, relativePath.find('/'));
}

// An include without a folder names a file beside the includer.
std::string resolveInclude(const SourceFile &from, const std::string &include)
{
    if (include.find('/') != std::string::npos)
        return include;
    const std::string dir = fs::path(from.path).parent_path().generic_string();
    return dir.empty() ? include : dir + "/" + include;
}

fs::path srcRoot()
{
    return fs::path(OSTREL_SOURCE_DIR) / "src";
}

} // namespace

TEST(IncludeLayers, EveryFolderUnderSrcIsALayerOfTheTable)
{
    for (const auto &entry : fs::directory_iterator(srcRoot())) {
        if (!entry.is_directory())
            continue;
        const std::string name = entry.path().filename().string();
        EXPECT_TRUE(layerTable().count(name)) << "src/" << name << " is in no layer of the table";
    }
}

TEST(IncludeLayers, NoFileIncludesAHigherOrSiblingLayer)
{
    const std::vector<SourceFile> files = readSources(srcRoot());
    ASSERT_GT(files.size(), 100u);
    std::map<std::string, std::set<std::string>> allowed;
    for (const auto &[layer, below] : layerTable())
        allowed[layer] = reachableLayers(layer);

    for (const SourceFile &file : files) {
        const std::string from = layerOf(file.path);
        for (const std::string &include : file.includes) {
            const std::string target = resolveInclude(file, include);
            if (!fs::exists(srcRoot() / target))
                continue; // a generated or outside header (moc, ui, test support)
            const std::string to = layerOf(target);
            EXPECT_TRUE(allowed[from].count(to))
                << "src/" << file.path << " includes " << include << ": " << from
                << " may not include " << to;
        }
    }
}

// The web pages are a module the client loads on first use: only the module's own files may
// include what it is made of. The one web class the client links itself is the link opener.
static bool isModuleFile(const std::string &path)
{
    return path.rfind("web/", 0) == 0 || path.rfind("webmodule/", 0) == 0 || path.rfind("settings/pages/", 0) == 0
        || path.rfind("settings/message/MessageDetailWebPage", 0) == 0;
}

TEST(IncludeLayers, OnlyTheWebModuleIncludesTheWebPages)
{
    for (const SourceFile &file : readSources(srcRoot())) {
        if (isModuleFile(file.path))
            continue;
        for (const std::string &include : file.includes) {
            const std::string target = resolveInclude(file, include);
            if (!isModuleFile(target) || target.rfind("web/DesktopLinkOpener", 0) == 0)
                continue;
            ADD_FAILURE() << "src/" << file.path << " includes " << include
                          << ", which lives in the web module: reach it through app/WebViews.h or by screen name";
        }
    }
}

TEST(IncludeLayers, NoCycleOfFiles)
{
    const std::vector<SourceFile> files = readSources(srcRoot());
    std::map<std::string, std::vector<std::string>> edges;
    for (const SourceFile &file : files) {
        for (const std::string &include : file.includes) {
            const std::string target = resolveInclude(file, include);
            if (fs::exists(srcRoot() / target))
                edges[file.path].push_back(target);
        }
    }

    // Depth-first search with three colours; a grey node met again closes a cycle.
    enum class Colour { White, Grey, Black };
    std::map<std::string, Colour> colour;
    std::vector<std::string> stack;
    std::vector<std::string> cycles;
    std::function<void(const std::string &)> visit = [&](const std::string &node) {
        colour[node] = Colour::Grey;
        stack.push_back(node);
        for (const std::string &next : edges[node]) {
            if (colour[next] == Colour::Grey) {
                std::string cycle;
                for (auto it = std::find(stack.begin(), stack.end(), next); it != stack.end(); ++it)
                    cycle += *it + " -> ";
                cycles.push_back(cycle + next);
            } else if (colour[next] == Colour::White) {
                visit(next);
            }
        }
        stack.pop_back();
        colour[node] = Colour::Black;
    };
    for (const SourceFile &file : files) {
        if (colour[file.path] == Colour::White)
            visit(file.path);
    }
    for (const std::string &cycle : cycles)
        ADD_FAILURE() << "include cycle: " << cycle;
}
