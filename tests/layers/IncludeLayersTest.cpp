// The layers hold by a check, not by discipline. The one table of who may include whom is the one
// docs/architecture.md prints ("Who may include whom"); this test reads it there. Every include of
// every file under src/, quoted or in angle brackets, is resolved on disk as the compiler does
// (against the includer's folder first, then src/), made canonical, and, when it lands under src/,
// must land in the includer's own node or one its row allows. What the test cannot follow (an
// include through a macro, a file of an unknown kind, a symbolic link) fails. A row may allow only
// what its library links (the build's link graph); every group of classes that include each other
// round in a circle must be one the doc lists; and, read from the built libraries rather than the
// sources, every symbol a library takes from another of ours comes from one its row allows.

#include <gtest/gtest.h>

#include <QProcess>
#include <QString>
#include <QStringList>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include <cxxabi.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

fs::path srcRoot()
{
    return fs::path(OSTREL_SOURCE_DIR) / "src";
}

std::ifstream architectureDoc()
{
    return std::ifstream(fs::path(OSTREL_SOURCE_DIR) / "docs" / "architecture.md");
}

struct Row {
    std::string library;
    std::vector<std::string> mayInclude;
};

// The backquoted names of a line of the doc, in order.
std::vector<std::string> quotedNames(const std::string &text)
{
    static const std::regex quoted("`([^`]*)`");
    std::vector<std::string> names;
    for (auto it = std::sregex_iterator(text.begin(), text.end(), quoted); it != std::sregex_iterator(); ++it)
        names.push_back((*it)[1].str());
    return names;
}

// The lines after a marker of the doc up to the next blank line.
std::vector<std::string> linesAfter(std::istream &in, const std::string &marker)
{
    std::string line;
    while (std::getline(in, line) && line.find(marker) == std::string::npos) {
    }
    std::vector<std::string> lines;
    while (std::getline(in, line) && !line.empty())
        lines.push_back(line);
    return lines;
}

// "| `node` | `library` | `node`, `node` |" between the table's marker and the next blank line.
std::map<std::string, Row> readTable(std::istream &in)
{
    std::map<std::string, Row> table;
    for (const std::string &line : linesAfter(in, "<!-- include-table -->")) {
        std::vector<std::string> cells;
        std::stringstream cellsIn(line);
        std::string cell;
        while (std::getline(cellsIn, cell, '|'))
            cells.push_back(cell);
        if (cells.size() < 4 || cells[1].find('`') == std::string::npos)
            continue; // the heading and its rule
        const std::vector<std::string> node = quotedNames(cells[1]);
        const std::vector<std::string> library = quotedNames(cells[2]);
        if (node.size() == 1 && library.size() == 1)
            table[node[0]] = Row{library[0], quotedNames(cells[3])};
    }
    return table;
}

const std::map<std::string, Row> &layerTable()
{
    static const std::map<std::string, Row> table = [] {
        std::ifstream doc = architectureDoc();
        return readTable(doc);
    }();
    return table;
}

// "- `unit`, `unit`, ...: why" per line after the cycles' marker: the groups still to break.
std::vector<std::set<std::string>> listedCycles()
{
    std::ifstream doc = architectureDoc();
    std::vector<std::set<std::string>> groups;
    for (const std::string &line : linesAfter(doc, "<!-- include-cycles -->")) {
        const std::string names = line.substr(0, line.find(':'));
        const std::vector<std::string> units = quotedNames(names);
        if (line.rfind("- ", 0) == 0 && !units.empty())
            groups.emplace_back(units.begin(), units.end());
    }
    return groups;
}

// "name: item item ..." per line, as the build writes its lists.
std::map<std::string, std::vector<std::string>> readNamedLists(const char *path)
{
    std::map<std::string, std::vector<std::string>> lists;
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
        const auto colon = line.find(':');
        if (colon == std::string::npos)
            continue;
        std::stringstream rest(line.substr(colon + 1));
        std::string item;
        auto &items = lists[line.substr(0, colon)];
        while (rest >> item)
            items.push_back(item);
    }
    return lists;
}

// Every target a target's link lines reach.
std::map<std::string, std::set<std::string>> readLinkGraph()
{
    std::map<std::string, std::set<std::string>> graph;
    for (const auto &[target, reached] : readNamedLists(OSTREL_LINK_GRAPH))
        graph[target].insert(reached.begin(), reached.end());
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

struct SourceTree {
    std::vector<SourceFile> files;
    std::vector<std::string> refusals; // what the guard cannot follow, one message each
};

// The path under root of an existing file, canonical; empty when it lies outside root.
std::string pathUnder(const fs::path &root, const fs::path &file)
{
    std::error_code error;
    const fs::path canonicalRoot = fs::canonical(root, error);
    const fs::path canonicalFile = fs::canonical(file, error);
    if (error)
        return {};
    const fs::path relative = canonicalFile.lexically_relative(canonicalRoot);
    if (relative.empty() || *relative.begin() == "..")
        return {};
    return relative.generic_string();
}

// Where the compiler finds an include: a quoted one beside the includer first, then (quoted or
// not) under src/, a public include root; the first file that exists is the one.
struct Resolved {
    std::string target;  // the file under src/, e.g. "home/X.h"; empty when it lies elsewhere or is not there
    bool outside = false; // it exists, outside src/ and the system's folders (where Qt's headers are)
};

bool inSystemFolders(const fs::path &file)
{
    std::error_code error;
    const std::string path = fs::canonical(file, error).generic_string();
    return !error && path.rfind("/usr/", 0) == 0;
}

Resolved resolveInclude(const fs::path &root, const std::string &includer, char delimiter, const std::string &written)
{
    std::vector<fs::path> candidates;
    if (delimiter == '"')
        candidates.push_back(root / fs::path(includer).parent_path() / written);
    candidates.push_back(root / written);
    for (const fs::path &candidate : candidates) {
        std::error_code error;
        if (!fs::is_regular_file(candidate, error))
            continue;
        const std::string target = pathUnder(root, candidate);
        return Resolved{target, target.empty() && !inSystemFolders(candidate)};
    }
    return {};
}

bool isIdentifierChar(char c)
{
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_';
}

// Whether the R at i opens a raw string: it starts a token, alone or after an encoding prefix.
bool startsRawString(const std::string &text, size_t i)
{
    size_t start = i;
    while (start > 0 && isIdentifierChar(text[start - 1]))
        --start;
    const std::string prefix = text.substr(start, i - start);
    return prefix.empty() || prefix == "u8" || prefix == "u" || prefix == "U" || prefix == "L";
}

// The text with its line splices joined and its comments blanked (strings and characters kept, so
// a "/*" inside one opens nothing); line breaks stay where they were.
std::string withoutComments(const std::string &source)
{
    std::string text;
    for (size_t i = 0; i < source.size(); ++i) {
        if (source[i] == '\\' && i + 1 < source.size() && source[i + 1] == '\n')
            ++i;
        else
            text += source[i];
    }
    std::string out;
    size_t i = 0;
    const auto copyQuoted = [&](char quote) {
        out += text[i++];
        while (i < text.size() && text[i] != quote && text[i] != '\n') {
            if (text[i] == '\\' && i + 1 < text.size())
                out += text[i++];
            out += text[i++];
        }
        if (i < text.size() && text[i] == quote)
            out += text[i++];
    };
    while (i < text.size()) {
        const char c = text[i];
        const char next = i + 1 < text.size() ? text[i + 1] : '\0';
        if (c == '/' && next == '/') {
            while (i < text.size() && text[i] != '\n')
                ++i;
        } else if (c == '/' && next == '*') {
            const size_t end = text.find("*/", i + 2);
            const size_t stop = end == std::string::npos ? text.size() : end + 2;
            out += ' ';
            for (; i < stop; ++i) {
                if (text[i] == '\n')
                    out += '\n';
            }
        } else if (c == 'R' && next == '"' && startsRawString(text, i)) {
            const size_t open = text.find('(', i + 2);
            const std::string close = ")" + text.substr(i + 2, open - i - 2) + "\"";
            const size_t end = open == std::string::npos ? std::string::npos : text.find(close, open);
            const size_t stop = end == std::string::npos ? text.size() : end + close.size();
            out += text.substr(i, stop - i);
            i = stop;
        } else if (c == '"') {
            copyQuoted('"');
        } else if (c == '\'' && (i == 0 || !std::isxdigit(static_cast<unsigned char>(text[i - 1])))) {
            copyQuoted('\''); // not a digit separator (1'000)
        } else {
            out += text[i++];
        }
    }
    return out;
}

// The endings of files the compiler reads; any other file under src/ is refused, so a new kind
// of file is looked at before it can carry an include past the guard.
bool isSourceFile(const fs::path &path)
{
    static const std::set<std::string> endings{".c", ".cc", ".cpp", ".cxx", ".h", ".hh", ".hpp", ".hxx",
                                               ".inc", ".inl", ".ipp", ".tcc", ".tpp"};
    return endings.count(path.extension().string()) > 0;
}

// The text as the compiler reads its lines: without a leading byte-order mark, and with every
// line end (CRLF, or a lone CR) a plain LF, so a line splice and the patterns below see one kind.
std::string withPlainLineEnds(std::string text)
{
    if (text.rfind("\xEF\xBB\xBF", 0) == 0)
        text.erase(0, 3);
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r') {
            out += text[i];
        } else if (i + 1 >= text.size() || text[i + 1] != '\n') {
            out += '\n';
        }
    }
    return out;
}

const char *const kBlanks = " \t\f\v";

// The directives a line may start with; a line that starts like a directive (# or %:) but names
// none of these cannot be read, and might be an include the guard would miss.
bool isKnownDirective(const std::string &name)
{
    static const std::set<std::string> names{"", "include", "include_next", "import", "define", "undef", "if", "ifdef",
                                             "ifndef", "elif", "elifdef", "elifndef", "else", "endif", "pragma", "error",
                                             "warning", "line"};
    return names.count(name) > 0;
}

SourceTree readSources(const fs::path &root)
{
    static const std::regex directive(R"re(^\s*(#|%:)\s*([A-Za-z_]*)(.*)$)re");
    SourceTree tree;
    for (const auto &entry : fs::recursive_directory_iterator(root)) {
        // Lexically: fs::relative would follow a link to where it points.
        const std::string path = entry.path().lexically_relative(root).generic_string();
        if (entry.is_symlink()) {
            tree.refusals.push_back("src/" + path + " is a symbolic link: a file must be where its folder says");
            continue;
        }
        if (entry.is_directory() || entry.path().filename() == "CMakeLists.txt")
            continue;
        if (!entry.is_regular_file() || !isSourceFile(entry.path())) {
            tree.refusals.push_back("src/" + path + " is no source file the guard knows how to read");
            continue;
        }
        SourceFile file{path, {}};
        std::ifstream in(entry.path(), std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        std::stringstream lines(withoutComments(withPlainLineEnds(text.str())));
        std::string line;
        std::smatch match;
        while (std::getline(lines, line)) {
            const size_t first = line.find_first_not_of(kBlanks);
            if (first == std::string::npos || (line[first] != '#' && line.compare(first, 2, "%:") != 0))
                continue;
            if (!std::regex_match(line, match, directive))
                continue;
            const std::string name = match[2].str();
            const std::string after = match[3].str();
            const size_t start = after.find_first_not_of(kBlanks);
            const std::string rest = start == std::string::npos ? std::string() : after.substr(start);
            // A lone # is the null directive.
            if (!isKnownDirective(name) || (name.empty() && !rest.empty())) {
                tree.refusals.push_back("src/" + path + ": \"" + line + "\" is no directive the guard knows");
                continue;
            }
            if (name != "include" && name != "include_next" && name != "import")
                continue;
            const char open = rest.empty() ? '\0' : rest[0];
            const size_t close = open == '"' ? rest.find('"', 1) : open == '<' ? rest.find('>', 1) : std::string::npos;
            if (close == std::string::npos) {
                tree.refusals.push_back("src/" + path + ": \"" + line + "\" names no file in quotes or brackets");
                continue;
            }
            const std::string written = rest.substr(1, close - 1);
            const Resolved resolved = resolveInclude(root, path, open, written);
            if (resolved.outside)
                tree.refusals.push_back("src/" + path + " includes " + rest.substr(0, close + 1)
                                        + ", which lies outside src/: the guard cannot follow it there");
            else if (!resolved.target.empty())
                file.includes.push_back({rest.substr(0, close + 1), resolved.target});
        }
        tree.files.push_back(std::move(file));
    }
    return tree;
}

const SourceTree &productSources()
{
    static const SourceTree tree = readSources(srcRoot());
    return tree;
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

// Every group of two or more classes each of which reaches all the others by includes: the
// strongly connected components of the class graph (Tarjan).
std::vector<std::set<std::string>> classCycles(const std::vector<SourceFile> &files)
{
    std::map<std::string, std::set<std::string>> edges;
    for (const SourceFile &file : files) {
        for (const Include &include : file.includes) {
            if (unitOf(include.target) != unitOf(file.path))
                edges[unitOf(file.path)].insert(unitOf(include.target));
        }
    }
    std::map<std::string, int> index;
    std::map<std::string, int> lowest;
    std::set<std::string> onStack;
    std::vector<std::string> stack;
    std::vector<std::set<std::string>> groups;
    std::function<void(const std::string &)> visit = [&](const std::string &unit) {
        const int mine = int(index.size());
        index[unit] = lowest[unit] = mine;
        stack.push_back(unit);
        onStack.insert(unit);
        for (const std::string &next : edges[unit]) {
            if (!index.count(next)) {
                visit(next);
                lowest[unit] = std::min(lowest[unit], lowest[next]);
            } else if (onStack.count(next)) {
                lowest[unit] = std::min(lowest[unit], index[next]);
            }
        }
        if (lowest[unit] != mine)
            return;
        std::set<std::string> group;
        std::string member;
        do {
            member = stack.back();
            stack.pop_back();
            onStack.erase(member);
            group.insert(member);
        } while (member != unit);
        if (group.size() > 1)
            groups.push_back(std::move(group));
    };
    for (const SourceFile &file : files) {
        if (!index.count(unitOf(file.path)))
            visit(unitOf(file.path));
    }
    return groups;
}

std::string joined(const std::set<std::string> &names)
{
    std::string text;
    for (const std::string &name : names)
        text += (text.empty() ? "" : ", ") + name;
    return text;
}

// --- symbols ---------------------------------------------------------------------------------

std::string demangled(const std::string &symbol)
{
    int status = 0;
    std::unique_ptr<char, void (*)(void *)> name(abi::__cxa_demangle(symbol.c_str(), nullptr, nullptr, &status), std::free);
    return status == 0 && name ? std::string(name.get()) : symbol;
}

// The symbols nm lists for the files with those options, in its portable format ("name type ...").
std::set<std::string> symbols(const std::vector<std::string> &files, const QStringList &options, bool globalOnly)
{
    QStringList arguments = options;
    arguments << QStringLiteral("--portability");
    for (const std::string &file : files)
        arguments << QString::fromStdString(file);
    QProcess nm;
    nm.start(QStringLiteral("nm"), arguments);
    if (!nm.waitForFinished(120000) || nm.exitCode() != 0)
        return {};
    std::set<std::string> names;
    std::stringstream out(nm.readAllStandardOutput().toStdString());
    std::string line;
    while (std::getline(out, line)) {
        std::stringstream fields(line);
        std::string name;
        std::string type;
        if (!(fields >> name >> type) || type.size() != 1 || name.back() == ':')
            continue; // a member's heading
        // Lower case is local to its object (but 'u', a unique global); such a name links nothing.
        if (globalOnly && std::islower(static_cast<unsigned char>(type[0])) && type != "u")
            continue;
        names.insert(name);
    }
    return names;
}

// Every library of src/ and its archive or, for a library of objects, its objects.
std::map<std::string, std::vector<std::string>> readLibraryFiles()
{
    return readNamedLists(OSTREL_LIBRARY_FILES);
}

struct LibrarySymbols {
    std::set<std::string> defined;
    std::set<std::string> undefined;
};

// The symbol rule on built libraries: one message per symbol a library takes from another of the
// table that its rows do not allow. A symbol no library of the table defines is Qt's or the
// system's; one that an allowed library (or the library itself) defines is fine wherever else it
// is defined too (templates and inline functions are).
std::vector<std::string> symbolBreaches(const std::map<std::string, Row> &table,
                                        const std::map<std::string, LibrarySymbols> &libraries)
{
    std::vector<std::string> breaches;
    for (const auto &[library, own] : libraries) {
        std::set<std::string> allowed{library};
        for (const auto &[node, row] : table) {
            if (row.library != library)
                continue;
            for (const std::string &below : reachableNodes(table, node))
                allowed.insert(table.at(below).library);
        }
        for (const std::string &symbol : own.undefined) {
            if (own.defined.count(symbol))
                continue;
            std::set<std::string> owners;
            for (const auto &[other, theirs] : libraries) {
                if (theirs.defined.count(symbol))
                    owners.insert(other);
            }
            const bool fromAllowed = std::any_of(owners.begin(), owners.end(),
                                                 [&](const std::string &owner) { return allowed.count(owner) > 0; });
            if (!owners.empty() && !fromAllowed)
                breaches.push_back(library + " uses " + demangled(symbol) + ", which only " + joined(owners) + " defines");
        }
    }
    return breaches;
}

// A scratch tree under a temporary folder: the given files, each with the given text, paths
// relative to the folder that holds its src/.
struct ScratchSrc {
    fs::path base = fs::temp_directory_path() / ("ostrel-layers-src-" + std::to_string(::getpid()));
    fs::path root = base / "src";
    explicit ScratchSrc(const std::map<std::string, std::string> &files)
    {
        fs::remove_all(base);
        fs::create_directories(root);
        for (const auto &[path, text] : files) {
            fs::create_directories((base / path).parent_path());
            std::ofstream(base / path) << text;
        }
    }
    ~ScratchSrc() { fs::remove_all(base); }
};

const std::map<std::string, Row> kScratchTable = {
    {"common", {"lib_common", {}}},
    {"vpn", {"lib_vpn", {"common"}}},
    {"home", {"lib_home", {"vpn"}}},
};

std::string lines(const std::vector<std::string> &messages)
{
    std::string text;
    for (const std::string &message : messages)
        text += message + "\n";
    return text;
}

std::vector<std::string> from(const std::vector<std::string> &breaches, const std::string &file)
{
    std::vector<std::string> found;
    for (const std::string &breach : breaches) {
        if (breach.rfind("src/" + file + " ", 0) == 0)
            found.push_back(breach);
    }
    return found;
}

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

TEST(IncludeLayers, EveryFileUnderSrcIsASourceFileWhoseIncludesCanBeFollowed)
{
    ASSERT_GT(productSources().files.size(), 100u);
    for (const std::string &refusal : productSources().refusals)
        ADD_FAILURE() << refusal;
}

TEST(IncludeLayers, NoFileIncludesAHigherOrSiblingLayer)
{
    for (const std::string &breach : layerBreaches(layerTable(), productSources().files))
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

// Each group is a cycle to break, not a pattern: the doc lists the ones left, and a group that
// grows, a new one, or a listed one that is gone fails until the list says so.
TEST(IncludeLayers, TheCyclesOfClassesAreExactlyTheGroupsTheDocLists)
{
    const std::vector<std::set<std::string>> listed = listedCycles();
    ASSERT_FALSE(listed.empty()) << "no list of cycles found in docs/architecture.md";
    const std::vector<std::set<std::string>> found = classCycles(productSources().files);
    for (const std::set<std::string> &group : found) {
        if (std::find(listed.begin(), listed.end(), group) == listed.end())
            ADD_FAILURE() << "include cycle not in the doc's list: " << joined(group);
    }
    for (const std::set<std::string> &group : listed) {
        if (std::find(found.begin(), found.end(), group) == found.end())
            ADD_FAILURE() << "the doc lists a cycle the sources no longer have: " << joined(group);
    }
}

// The same rule where the linker looks: whatever road an include took (a macro, a copied
// declaration, a path the reading above missed), a library that uses a layer its row does not
// allow carries an undefined symbol that only that layer defines.
TEST(IncludeLayers, EveryLibraryTakesSymbolsOnlyFromTheLayersItsRowAllows)
{
    const auto files = readLibraryFiles();
    std::map<std::string, LibrarySymbols> libraries;
    for (const auto &[node, row] : layerTable()) {
        if (!files.count(row.library) || libraries.count(row.library))
            continue;
        const std::vector<std::string> &built = files.at(row.library);
        LibrarySymbols &symbolsOf = libraries[row.library];
        symbolsOf.defined = symbols(built, {QStringLiteral("--defined-only")}, true);
        symbolsOf.undefined = symbols(built, {QStringLiteral("--undefined-only")}, false);
        EXPECT_FALSE(symbolsOf.defined.empty()) << row.library << ": nm read nothing from its files";
    }
    ASSERT_GT(libraries.size(), 20u) << "the libraries of the table were not found in " << OSTREL_LIBRARY_FILES;
    for (const std::string &breach : symbolBreaches(layerTable(), libraries))
        ADD_FAILURE() << breach;
}

// The symbol rule's reading: a library may take from the layers below it, not from one above.
TEST(IncludeLayers, TheSymbolRuleTellsALayerBelowFromOneAbove)
{
    std::map<std::string, LibrarySymbols> libraries;
    libraries["lib_common"] = {{"_Z4basev", "_Z6inlinev"}, {"_Z3qtv"}};
    libraries["lib_vpn"] = {{"_Z4roadv", "_Z6inlinev"}, {"_Z4basev", "_Z6screenv", "_Z6inlinev", "_Z3qtv"}};
    libraries["lib_home"] = {{"_Z6screenv", "_Z6inlinev"}, {"_Z4roadv", "_Z4basev", "_Z6inlinev"}};
    const std::vector<std::string> breaches = symbolBreaches(kScratchTable, libraries);
    ASSERT_EQ(breaches.size(), 1u);
    EXPECT_EQ(breaches[0], "lib_vpn uses screen(), which only lib_home defines");
}

// Includes that leave src/ and come back in are src/'s: the path is resolved on disk first.
TEST(IncludeLayers, APathThatLeavesSrcAndComesBackIsHeldToTheRule)
{
    const ScratchSrc tree({
        {"src/common/Base.h", "#pragma once\n"},
        {"src/home/Screen.h", "#pragma once\n"},
        {"src/vpn/Up.cpp", "#include \"../../src/home/Screen.h\"\n"},
        {"src/vpn/Bracket.cpp", "#include <../src/home/Screen.h>\n"},
        {"src/vpn/Side.cpp", "#include \"../home/Screen.h\"\n"},
        {"src/vpn/Down.cpp", "#include \"../common/Base.h\"\n#include \"../../outside/Other.h\"\n#include <QString>\n"},
        {"outside/Other.h", "#pragma once\n#include \"../src/home/Screen.h\"\n"},
    });
    const SourceTree read = readSources(tree.root);
    const std::vector<std::string> breaches = layerBreaches(kScratchTable, read.files);
    EXPECT_EQ(breaches.size(), 3u);
    EXPECT_EQ(from(breaches, "vpn/Up.cpp").size(), 1u);
    // The one that stays outside is refused (AnIncludeThatLandsOutsideSrcIsRefused).
    ASSERT_EQ(read.refusals.size(), 1u) << lines(read.refusals);
    EXPECT_NE(read.refusals[0].find("src/vpn/Down.cpp"), std::string::npos) << read.refusals[0];
    EXPECT_EQ(from(breaches, "vpn/Bracket.cpp").size(), 1u);
    EXPECT_EQ(from(breaches, "vpn/Side.cpp").size(), 1u);
}

TEST(IncludeLayers, EverySourceFileIsReadWhateverItsEnding)
{
    const ScratchSrc tree({
        {"src/home/Screen.h", "#pragma once\n"},
        {"src/vpn/Road.cpp", "#include \"Bits.inc\"\n#include \"vpn/Bits.hpp\"\n"},
        {"src/vpn/Bits.inc", "#include \"home/Screen.h\"\n"},
        {"src/vpn/Bits.hpp", "#pragma once\n#include <home/Screen.h>\n"},
        {"src/vpn/Hidden.cpp", "#/* a comment */include \"home/Screen.h\"\n"},
        {"src/vpn/Split.cpp", "#include \\\n\"home/Screen.h\"\n"},
        {"src/vpn/Quiet.cpp", "/*\n#include \"home/Screen.h\"\n*/\nconst char *s = \"/*\";\n#include \"home/Screen.h\"\n"},
    });
    const std::vector<std::string> breaches = layerBreaches(kScratchTable, readSources(tree.root).files);
    EXPECT_EQ(from(breaches, "vpn/Bits.inc").size(), 1u);
    EXPECT_EQ(from(breaches, "vpn/Bits.hpp").size(), 1u);
    EXPECT_EQ(from(breaches, "vpn/Hidden.cpp").size(), 1u);
    EXPECT_EQ(from(breaches, "vpn/Split.cpp").size(), 1u);
    EXPECT_EQ(from(breaches, "vpn/Quiet.cpp").size(), 1u);
    EXPECT_EQ(from(breaches, "vpn/Road.cpp").size(), 0u);
}

// Every kind of line end the compiler reads (CRLF, a lone CR, a CRLF line splice) and a byte-order
// mark before the first line: each include is read as in a file of plain LF lines.
TEST(IncludeLayers, EveryLineEndAndAByteOrderMarkAreRead)
{
    const ScratchSrc tree({
        {"src/home/Screen.h", "#pragma once\n"},
        {"src/vpn/Crlf.cpp", "#pragma once\r\n#include \"home/Screen.h\"\r\nint x;\r\n"},
        {"src/vpn/Cr.cpp", "int x;\r#include <home/Screen.h>\rint y;\r"},
        {"src/vpn/Splice.cpp", "#include \\\r\n\"home/Screen.h\"\r\n"},
        {"src/vpn/Bom.cpp", "\xEF\xBB\xBF#include \"home/Screen.h\"\n"},
        {"src/vpn/BomCrlf.h", "\xEF\xBB\xBF#pragma once\r\n#include \"../home/Screen.h\"\r\n"},
    });
    const SourceTree read = readSources(tree.root);
    EXPECT_TRUE(read.refusals.empty()) << lines(read.refusals);
    const std::vector<std::string> breaches = layerBreaches(kScratchTable, read.files);
    for (const char *file : {"vpn/Crlf.cpp", "vpn/Cr.cpp", "vpn/Splice.cpp", "vpn/Bom.cpp", "vpn/BomCrlf.h"})
        EXPECT_EQ(from(breaches, file).size(), 1u) << file;
}

// The tree's own files keep LF ends whatever a contributor's checkout writes, so the guard and the
// compiler read the same lines everywhere; binary files are left as they are.
TEST(IncludeLayers, TheTreeKeepsOneKindOfLineEnd)
{
    const auto git = [](const QStringList &arguments) {
        QProcess process;
        process.start(QStringLiteral("git"), QStringList{QStringLiteral("-C"), QStringLiteral(OSTREL_SOURCE_DIR)} + arguments);
        process.waitForFinished(20000);
        return process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0
                   ? QString::fromUtf8(process.readAllStandardOutput())
                   : QString();
    };
    if (git({QStringLiteral("rev-parse"), QStringLiteral("--is-inside-work-tree")}).trimmed() != QLatin1String("true"))
        GTEST_SKIP() << "the sources are no git work tree";
    const QString attributes = git({QStringLiteral("check-attr"), QStringLiteral("text"), QStringLiteral("eol"), QStringLiteral("--"),
                                    QStringLiteral("src/vpn/New.cpp"), QStringLiteral("resources/New.png")});
    EXPECT_TRUE(attributes.contains(QStringLiteral("src/vpn/New.cpp: text: auto\n"))) << attributes.toStdString();
    EXPECT_TRUE(attributes.contains(QStringLiteral("src/vpn/New.cpp: eol: lf\n"))) << attributes.toStdString();
    EXPECT_TRUE(attributes.contains(QStringLiteral("resources/New.png: text: unset\n"))) << attributes.toStdString();
}

// A line that starts as a directive but is none the guard knows is refused rather than skipped:
// whatever the guard cannot read might be an include.
TEST(IncludeLayers, ALineThatLooksLikeADirectiveButIsNoneKnownIsRefused)
{
    const ScratchSrc tree({
        {"src/home/Screen.h", "#pragma once\n"},
        {"src/vpn/Odd.cpp", "#inculde \"home/Screen.h\"\n"},
        {"src/vpn/Known.cpp", "#pragma once\n#\n# define A 1\n#if A\n#elif B\n#else\n#endif\n#ifndef C\n#endif\n"
                              "#undef A\n#line 3\n#error no\n#warning no\n%:define D\nconst char *s = \"#not\";\n"},
    });
    const std::vector<std::string> refusals = readSources(tree.root).refusals;
    ASSERT_EQ(refusals.size(), 1u) << lines(refusals);
    EXPECT_NE(refusals[0].find("src/vpn/Odd.cpp"), std::string::npos) << refusals[0];
}

// An include that lands outside src/ (and outside the system's folders, where Qt's headers are)
// is refused: the guard reads src/ only, so the file could include anything for it.
TEST(IncludeLayers, AnIncludeThatLandsOutsideSrcIsRefused)
{
    const ScratchSrc tree({
        {"src/home/Screen.h", "#pragma once\n"},
        {"src/vpn/Relay.cpp", "#include \"../../outside/Relay.h\"\n"},
        {"src/vpn/Bracket.cpp", "#include <../outside/Relay.h>\n"},
        {"src/vpn/System.cpp", "#include <QString>\n#include \"/usr/include/stdio.h\"\n#include \"moc_Generated.cpp\"\n"},
        {"outside/Relay.h", "#pragma once\n#include \"../src/home/Screen.h\"\n"},
    });
    std::vector<std::string> refusals = readSources(tree.root).refusals;
    std::sort(refusals.begin(), refusals.end());
    ASSERT_EQ(refusals.size(), 2u) << lines(refusals);
    EXPECT_NE(refusals[0].find("src/vpn/Bracket.cpp"), std::string::npos) << refusals[0];
    EXPECT_NE(refusals[1].find("src/vpn/Relay.cpp"), std::string::npos) << refusals[1];
}

// What the guard cannot follow is refused outright: an include through a macro, a file it does not
// know how to read, a link that could lead anywhere.
TEST(IncludeLayers, WhatTheGuardCannotFollowIsRefused)
{
    const ScratchSrc tree({
        {"src/home/Screen.h", "#pragma once\n"},
        {"src/vpn/Macro.cpp", "#define SCREEN \"home/Screen.h\"\n#include SCREEN\n"},
        {"src/vpn/Notes.page", "#include \"home/Screen.h\"\n"},
        {"src/vpn/Fine.cpp", "#include <QString>\n"},
    });
    fs::create_directory_symlink("../home", tree.root / "vpn" / "screens");
    std::vector<std::string> refusals = readSources(tree.root).refusals;
    std::sort(refusals.begin(), refusals.end());
    ASSERT_EQ(refusals.size(), 3u);
    EXPECT_NE(refusals[0].find("src/vpn/Macro.cpp"), std::string::npos) << refusals[0];
    EXPECT_NE(refusals[1].find("src/vpn/Notes.page"), std::string::npos) << refusals[1];
    EXPECT_NE(refusals[2].find("src/vpn/screens"), std::string::npos) << refusals[2];
}

// A cycle that runs through a group already known is one group with it, never a second one the
// known group hides.
TEST(IncludeLayers, EveryCyclicGroupOfClassesIsReportedWhole)
{
    const ScratchSrc tree({
        {"src/home/A.h", "#pragma once\n"},
        {"src/home/A.cpp", "#include \"A.h\"\n#include \"B.h\"\n#include \"home/C.h\"\n"},
        {"src/home/B.h", "#pragma once\n"},
        {"src/home/B.cpp", "#include \"home/B.h\"\n#include \"home/A.h\"\n"},
        {"src/home/C.h", "#pragma once\n"},
        {"src/home/C.cpp", "#include \"C.h\"\n#include \"B.h\"\n"},
        {"src/home/D.h", "#pragma once\n#include \"E.h\"\n"},
        {"src/home/E.h", "#pragma once\n"},
        {"src/home/E.cpp", "#include \"E.h\"\n#include \"D.h\"\n"},
        {"src/home/F.cpp", "#include \"A.h\"\n#include \"D.h\"\n"},
    });
    std::vector<std::set<std::string>> groups = classCycles(readSources(tree.root).files);
    std::sort(groups.begin(), groups.end());
    const std::vector<std::set<std::string>> expected{{"home/A", "home/B", "home/C"}, {"home/D", "home/E"}};
    EXPECT_EQ(groups, expected);
}
