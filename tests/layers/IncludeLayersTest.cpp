// The layers hold by a check, not by discipline. The one table of who may include whom is the one
// docs/architecture.md prints ("Who may include whom"); this test reads it there. Every include of
// a source file under src/, quoted or in angle brackets, is resolved as the compiler does (against
// the includer's folder first, then src/) and must land in the includer's own node or one its row
// allows; a row may allow only what its library links (the build's link graph); and no chain of
// includes between classes (a header with its source file) leads back to where it started.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include <unistd.h>

namespace fs = std::filesystem;

namespace {

fs::path srcRoot()
{
    return fs::path(OSTREL_SOURCE_DIR) / "src";
}

struct Row {
    std::string library;
    std::vector<std::string> mayInclude;
};

// "| `node` | `library` | `node`, `node` |" between the table's marker and the next blank line.
std::map<std::string, Row> readTable(std::istream &in)
{
    static const std::regex quoted("`([^`]*)`");
    std::map<std::string, Row> table;
    std::string line;
    while (std::getline(in, line) && line.find("<!-- include-table -->") == std::string::npos) {
    }
    while (std::getline(in, line) && !line.empty()) {
        std::vector<std::string> cells;
        std::stringstream cellsIn(line);
        std::string cell;
        while (std::getline(cellsIn, cell, '|'))
            cells.push_back(cell);
        if (cells.size() < 4 || cells[1].find('`') == std::string::npos)
            continue; // the heading and its rule
        std::vector<std::string> names[3];
        for (int column = 0; column < 3; ++column) {
            for (auto it = std::sregex_iterator(cells[column + 1].begin(), cells[column + 1].end(), quoted);
                 it != std::sregex_iterator(); ++it)
                names[column].push_back((*it)[1].str());
        }
        if (names[0].size() == 1 && names[1].size() == 1)
            table[names[0][0]] = Row{names[1][0], names[2]};
    }
    return table;
}

const std::map<std::string, Row> &layerTable()
{
    static const std::map<std::string, Row> table = [] {
        std::ifstream doc(fs::path(OSTREL_SOURCE_DIR) / "docs" / "architecture.md");
        return readTable(doc);
    }();
    return table;
}

// "target: target target ..." per line: every target a target's link lines reach.
std::map<std::string, std::set<std::string>> readLinkGraph()
{
    std::map<std::string, std::set<std::string>> graph;
    std::ifstream in(OSTREL_LINK_GRAPH);
    std::string line;
    while (std::getline(in, line)) {
        const auto colon = line.find(':');
        if (colon == std::string::npos)
            continue;
        std::stringstream rest(line.substr(colon + 1));
        std::string target;
        auto &reached = graph[line.substr(0, colon)];
        while (rest >> target)
            reached.insert(target);
    }
    return graph;
}

std::set<std::string> reachableNodes(const std::map<std::string, Row> &table, const std::string &node)
{
    std::set<std::string> seen{node};
    std::vector<std::string> todo{node};
    while (!todo.empty()) {
        const std::string next = todo.back();
        todo.pop_back();
        const auto it = table.find(next);
        if (it == table.end())
            continue;
        for (const std::string &below : it->second.mayInclude) {
            if (seen.insert(below).second)
                todo.push_back(below);
        }
    }
    return seen;
}

// The node of a file: the longest name of the table that is its folder or its class.
std::string nodeOf(const std::map<std::string, Row> &table, const std::string &path)
{
    std::string best;
    for (const auto &[node, row] : table) {
        const bool folder = path.rfind(node + "/", 0) == 0;
        const bool unit = path.rfind(node + ".", 0) == 0 && path.find('/', node.size()) == std::string::npos;
        if ((folder || unit) && node.size() > best.size())
            best = node;
    }
    return best;
}

struct Include {
    std::string written; // as in the source, e.g. "../home/X.h" or <home/X.h>
    std::string target;  // the file under src/ it resolves to, e.g. "home/X.h"
};

struct SourceFile {
    std::string path; // relative to src/, e.g. "home/NBConnectView.cpp"
    std::vector<Include> includes;
};

// Where the compiler finds an include: a quoted one beside the includer first, then (quoted or
// not) under src/, a public include root. Empty when it is none of ours (Qt, the system, moc).
std::string resolveInclude(const fs::path &root, const std::string &includer, char delimiter, const std::string &written)
{
    std::vector<fs::path> candidates;
    if (delimiter == '"')
        candidates.push_back(fs::path(includer).parent_path() / written);
    candidates.push_back(fs::path(written));
    for (const fs::path &candidate : candidates) {
        const std::string normal = candidate.lexically_normal().generic_string();
        if (normal.rfind("..", 0) != 0 && fs::is_regular_file(root / normal))
            return normal;
    }
    return {};
}

std::vector<SourceFile> readSources(const fs::path &root)
{
    static const std::regex includeLine(R"re(^\s*#\s*include\s*([<"])([^">]+)[">])re");
    std::vector<SourceFile> files;
    for (const auto &entry : fs::recursive_directory_iterator(root)) {
        const std::string ext = entry.path().extension().string();
        if (!entry.is_regular_file() || (ext != ".cpp" && ext != ".h"))
            continue;
        SourceFile file{fs::relative(entry.path(), root).generic_string(), {}};
        std::ifstream in(entry.path());
        std::string line;
        std::smatch match;
        while (std::getline(in, line)) {
            if (!std::regex_search(line, match, includeLine))
                continue;
            const std::string target = resolveInclude(root, file.path, match[1].str()[0], match[2].str());
            if (!target.empty())
                file.includes.push_back({match[1].str() + match[2].str() + (match[1].str() == "<" ? ">" : "\""), target});
        }
        files.push_back(std::move(file));
    }
    return files;
}

// The layer rule on a tree: one message per include that leaves what its node may include.
std::vector<std::string> layerBreaches(const std::map<std::string, Row> &table, const std::vector<SourceFile> &files)
{
    std::vector<std::string> breaches;
    for (const SourceFile &file : files) {
        const std::string from = nodeOf(table, file.path);
        const std::set<std::string> allowed = reachableNodes(table, from);
        for (const Include &include : file.includes) {
            const std::string to = nodeOf(table, include.target);
            if (!allowed.count(to))
                breaches.push_back("src/" + file.path + " includes " + include.written + ": " + from + " may not include " + to);
        }
    }
    return breaches;
}

// A class is its header with its source file: "a.cpp includes b.h, b.cpp includes a.h" is a cycle.
std::string unitOf(const std::string &path)
{
    return fs::path(path).replace_extension().generic_string();
}

std::vector<std::string> unitCycles(const std::vector<SourceFile> &files)
{
    std::map<std::string, std::set<std::string>> edges;
    for (const SourceFile &file : files) {
        for (const Include &include : file.includes) {
            if (unitOf(include.target) != unitOf(file.path))
                edges[unitOf(file.path)].insert(unitOf(include.target));
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
    for (const auto &[unit, targets] : edges) {
        if (colour[unit] == Colour::White)
            visit(unit);
    }
    return cycles;
}

// Pairs of classes whose source files still include each other's headers (docs/architecture.md
// lists them). Each is a cycle to break, not a pattern: any other cycle fails.
bool isKnownCycle(const std::string &cycle)
{
    static const std::vector<std::set<std::string>> known = {
        {"networking/OONetWork", "networking/OOHostSafeAdpter"},
        {"networking/OONetWorkTool", "networking/OORequestLogReporter"},
        {"vpn/HLLConnection", "vpn/SSLocalConfigBuilder"},
        {"uikit/NBBaseViewController", "uikit/DialogSheetAnimator"},
        {"uikit/NBBaseViewController", "uikit/NBModeAndSheetAnimation"},
        {"uikit/NBBaseViewController", "uikit/WindowInUse"},
        {"home/NBHomeViewController", "home/NoticePopupPresenter"},
        {"home/unreached/NBLinesViewController", "home/unreached/NBLinesHeaderView"},
    };
    std::set<std::string> units;
    std::stringstream in(cycle);
    std::string unit;
    while (in >> unit) {
        if (unit != "->")
            units.insert(unit);
    }
    return std::find(known.begin(), known.end(), units) != known.end();
}

// A scratch tree under a temporary folder: the given files, each with the given text.
struct ScratchTree {
    fs::path root = fs::temp_directory_path() / ("ostrel-layers-" + std::to_string(::getpid()));
    explicit ScratchTree(const std::map<std::string, std::string> &files)
    {
        fs::remove_all(root);
        for (const auto &[path, text] : files) {
            fs::create_directories((root / path).parent_path());
            std::ofstream(root / path) << text;
        }
    }
    ~ScratchTree() { fs::remove_all(root); }
};

} // namespace

TEST(IncludeLayers, TheTableIsReadAndEveryFolderUnderSrcIsANodeOfIt)
{
    ASSERT_GT(layerTable().size(), 10u) << "no include table found in docs/architecture.md";
    for (const auto &entry : fs::recursive_directory_iterator(srcRoot())) {
        if (!entry.is_directory())
            continue;
        const std::string path = fs::relative(entry.path(), srcRoot()).generic_string();
        if (path.find('/') != std::string::npos && entry.path().filename() != "unreached")
            continue;
        EXPECT_TRUE(layerTable().count(path)) << "src/" << path << " is in no row of the table";
    }
    for (const auto &[node, row] : layerTable()) {
        for (const std::string &below : row.mayInclude)
            EXPECT_TRUE(layerTable().count(below)) << node << " names " << below << ", which has no row";
    }
}

TEST(IncludeLayers, NoFileIncludesAHigherOrSiblingLayer)
{
    const std::vector<SourceFile> files = readSources(srcRoot());
    ASSERT_GT(files.size(), 100u);
    for (const std::string &breach : layerBreaches(layerTable(), files))
        ADD_FAILURE() << breach;
}

// The web module links only the layers below the pages, and the client links none of the classes
// no program creates: a row that allowed more would let an include compile that fails to load.
TEST(IncludeLayers, EveryRowAllowsOnlyWhatItsLibraryLinks)
{
    const auto graph = readLinkGraph();
    ASSERT_TRUE(graph.count("ostrel_common")) << "no link graph at " << OSTREL_LINK_GRAPH;
    for (const auto &[node, row] : layerTable()) {
        ASSERT_TRUE(graph.count(row.library)) << node << ": no target " << row.library;
        for (const std::string &below : reachableNodes(layerTable(), node)) {
            const std::string &library = layerTable().at(below).library;
            EXPECT_TRUE(library == row.library || graph.at(row.library).count(library))
                << node << " may include " << below << ", but " << row.library << " does not link " << library;
        }
    }
}

TEST(IncludeLayers, NoCycleOfClasses)
{
    for (const std::string &cycle : unitCycles(readSources(srcRoot()))) {
        if (!isKnownCycle(cycle))
            ADD_FAILURE() << "include cycle: " << cycle;
    }
}

// The rules hold against the ways round them that compile.
TEST(IncludeLayers, TheRulesSeeThroughPathsBracketsAndSourceFiles)
{
    const ScratchTree tree({
        {"common/Base.h", "#pragma once\n"},
        {"vpn/Road.cpp", "#include \"../home/Screen.h\"\n"},
        {"vpn/Other.cpp", "#include <home/Screen.h>\n#include <QString>\n"},
        {"home/Screen.h", "#pragma once\n#include \"common/Base.h\"\n"},
        {"home/A.h", "#pragma once\n"},
        {"home/A.cpp", "#include \"A.h\"\n#include \"B.h\"\n"},
        {"home/B.h", "#pragma once\n"},
        {"home/B.cpp", "#include \"home/B.h\"\n#include \"home/A.h\"\n"},
    });
    const std::map<std::string, Row> table = {
        {"common", {"lib_common", {}}},
        {"vpn", {"lib_vpn", {"common"}}},
        {"home", {"lib_home", {"vpn"}}},
    };
    const std::vector<SourceFile> files = readSources(tree.root);
    const std::vector<std::string> breaches = layerBreaches(table, files);
    ASSERT_EQ(breaches.size(), 2u);
    EXPECT_NE(breaches[0].find("vpn may not include home"), std::string::npos) << breaches[0];
    EXPECT_NE(breaches[1].find("vpn may not include home"), std::string::npos) << breaches[1];
    const std::vector<std::string> cycles = unitCycles(files);
    ASSERT_EQ(cycles.size(), 1u);
    EXPECT_NE(cycles[0].find("home/A"), std::string::npos);
    EXPECT_NE(cycles[0].find("home/B"), std::string::npos);
}
