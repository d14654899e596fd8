// Checks the include structure of the source tree (run by ctest on the
// native build):
//
//  - Layers: a subsystem includes only itself and the subsystems beneath it,
//    foundation < dsp < plugin < modulation < effect < clap, with the GUI
//    toolkit above the foundation only and the editors above the toolkit and
//    the model they show. The clap adapter stays free of the GUI: its
//    editor host (clap/editor/) sits above the adapter and the editor, the
//    product's module (clap/module/) above everything. tools/, bench/ and
//    fuzz/ may include anything;
//    a subsystem's tests/ folder may also include tools/ (test support), and
//    the modulation editor's tests the effect (their model).
//  - Libraries: the DEPS of each subsystem's varnel_library(...) in its
//    CMakeLists.txt name only subsystems it may include (the editors: gui <
//    editor < modulation_editor < effect_editor < clap, with editor above
//    plugin, modulation_editor above modulation, effect_editor above effect).
//  - Cycles: units (a header with its source file of the same name) must not
//    include each other in a cycle. The cycles that were there when the
//    check came are listed in tools/layering/KnownCycles.txt (one line of
//    units each); a cycle passes only when all its units share one line, so
//    a new cycle, or a known one reaching a further unit, fails.
//
//   layering_check <source root>
// Prints every violation and exits 1 when there is one.

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <iterator>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

// What each subsystem may include besides itself.
const std::map<std::string, std::set<std::string>>& allowedIncludes() {
    static const std::map<std::string, std::set<std::string>> allowed = [] {
        std::map<std::string, std::set<std::string>> m;
        m["foundation"] = {};
        m["dsp"] = {"foundation"};
        m["plugin"] = {"foundation", "dsp"};
        m["modulation"] = {"foundation", "dsp", "plugin"};
        m["effect"] = {"foundation", "dsp", "plugin", "modulation"};
        m["gui"] = {"foundation"};
        m["editor"] = {"foundation", "dsp", "plugin", "gui"};
        m["modulation_editor"] = {"foundation", "dsp", "plugin", "modulation", "gui", "editor"};
        m["effect_editor"] = {"foundation", "dsp", "plugin", "modulation",
                              "effect",     "gui", "editor", "modulation_editor"};
        // The clap library stays free of the GUI (the Linux .clap links
        // none); its editor host and the product's module sit above both.
        m["clap"] = {"foundation", "dsp", "plugin", "modulation", "effect"};
        m["clap/editor"] = {"foundation", "dsp", "plugin", "gui", "editor", "clap"};
        m["clap/module"] = {"foundation",    "dsp",  "plugin",     "modulation",
                            "effect",        "gui",  "editor",     "modulation_editor",
                            "effect_editor", "clap", "clap/editor"};
        return m;
    }();
    return allowed;
}

// What a subsystem's tests/ folder may include beyond the subsystem's own
// allowance: test support, and the model that an editor is tested with.
bool isTestOnlyAllowed(const std::string& subsystem, const std::string& target) {
    if (target == "tools") return true;
    return subsystem == "modulation_editor" && target == "effect";
}

bool isUnrestricted(const std::string& subsystem) {
    return subsystem == "tools" || subsystem == "bench" || subsystem == "fuzz";
}

// The DEPS of the varnel_library(...) call in a CMakeLists.txt, if any.
std::vector<std::string> libraryDeps(const fs::path& cmakeLists, std::string& name) {
    std::ifstream in(cmakeLists);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<std::string> deps;
    const std::size_t call = text.find("varnel_library(");
    if (call == std::string::npos) return deps;
    const std::size_t end = text.find(')', call);
    std::vector<std::string> words;
    std::string word;
    for (std::size_t i = call + 15; i < end && i < text.size(); ++i) {
        const char c = text[i];
        if (c == ' ' || c == '\n' || c == '\t') {
            if (!word.empty()) words.push_back(word);
            word.clear();
        } else {
            word += c;
        }
    }
    if (!word.empty()) words.push_back(word);
    if (words.empty()) return deps;
    name = words[0];
    bool inDeps = false;
    for (std::size_t i = 1; i < words.size(); ++i) {
        if (words[i] == "DEPS") {
            inDeps = true;
        } else if (words[i] == "SUBDIRS" || words[i] == "PUBLIC_LIBS") {
            inDeps = false;
        } else if (inDeps) {
            deps.push_back(words[i]);
        }
    }
    return deps;
}

bool isSourceFile(const fs::path& path) {
    const std::string ext = path.extension().string();
    return ext == ".h" || ext == ".cpp" || ext == ".c";
}

// The subsystem of a path: its first folder, except the clap adapter's
// editor host and module, which are subsystems of their own.
std::string firstPart(const std::string& relative) {
    for (const char* own : {"clap/editor/", "clap/module/"})
        if (relative.rfind(own, 0) == 0) return std::string(own, std::strlen(own) - 1);
    return relative.substr(0, relative.find('/'));
}

bool isTestFile(const std::string& relative) {
    return relative.find("/tests/") != std::string::npos;
}

// A unit: the path without extension (Foo.h and Foo.cpp of one folder).
std::string unitOf(const std::string& relative) {
    return relative.substr(0, relative.rfind('.'));
}

// The quoted includes of a file.
std::vector<std::string> quotedIncludes(const fs::path& file) {
    std::vector<std::string> result;
    std::ifstream in(file);
    std::string line;
    while (std::getline(in, line)) {
        std::size_t pos = line.find_first_not_of(" \t");
        if (pos == std::string::npos || line[pos] != '#') continue;
        pos = line.find_first_not_of(" \t", pos + 1);
        if (pos == std::string::npos || line.compare(pos, 7, "include") != 0) continue;
        const std::size_t open = line.find('"', pos + 7);
        if (open == std::string::npos) continue;
        const std::size_t close = line.find('"', open + 1);
        if (close == std::string::npos) continue;
        result.push_back(line.substr(open + 1, close - open - 1));
    }
    return result;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: layering_check <source root>\n";
        return 2;
    }
    const fs::path root = fs::weakly_canonical(argv[1]);
    const auto& allowed = allowedIncludes();

    std::vector<std::set<std::string>> knownCycles;
    {
        std::ifstream in(root / "tools" / "layering" / "KnownCycles.txt");
        std::string line;
        while (std::getline(in, line)) {
            if (line.empty() || line[0] == '#') continue;
            std::set<std::string> units;
            std::size_t pos = 0;
            while (pos < line.size()) {
                const std::size_t end = std::min(line.find(' ', pos), line.size());
                if (end > pos) units.insert(line.substr(pos, end - pos));
                pos = end + 1;
            }
            knownCycles.push_back(std::move(units));
        }
    }
    auto isKnown = [&](const std::vector<std::string>& component) {
        return std::any_of(knownCycles.begin(), knownCycles.end(), [&](const std::set<std::string>& known) {
            return std::all_of(component.begin(), component.end(),
                               [&](const std::string& unit) { return known.count(unit) != 0; });
        });
    };

    std::vector<std::string> files;
    for (const auto& [subsystem, below] : allowed) {
        (void)below;
        // Nested subsystems are listed with their parent folder.
        if (subsystem.find('/') != std::string::npos || !fs::is_directory(root / subsystem)) continue;
        for (const auto& entry : fs::recursive_directory_iterator(root / subsystem))
            if (entry.is_regular_file() && isSourceFile(entry.path()))
                files.push_back(entry.path().lexically_relative(root).generic_string());
    }
    std::sort(files.begin(), files.end());

    int violations = 0;
    std::map<std::string, std::set<std::string>> unitEdges;
    std::map<std::pair<std::string, std::string>, std::string> edgeExample;
    for (const std::string& file : files) {
        const std::string subsystem = firstPart(file);
        for (const std::string& include : quotedIncludes(root / file)) {
            std::string target;
            if (fs::exists(root / include))
                target = include;
            else if (fs::exists((root / file).parent_path() / include))
                target = ((root / file).parent_path() / include)
                             .lexically_normal()
                             .lexically_relative(root)
                             .generic_string();
            else
                continue; // not one of ours (a system or generated header)
            const std::string targetSubsystem = firstPart(target);
            const bool permitted = targetSubsystem == subsystem || isUnrestricted(subsystem) ||
                                   (isTestFile(file) && isTestOnlyAllowed(subsystem, targetSubsystem)) ||
                                   allowed.at(subsystem).count(targetSubsystem) != 0;
            if (!permitted) {
                std::cout << file << ": includes " << target << " (" << subsystem << " is beneath "
                          << targetSubsystem << ")\n";
                ++violations;
            }
            const std::string from = unitOf(file), to = unitOf(target);
            if (from != to && allowed.count(targetSubsystem) != 0) {
                unitEdges[from].insert(to);
                edgeExample.emplace(std::make_pair(from, to), file + " -> " + target);
            }
        }
    }

    // Library dependencies.
    for (const auto& [subsystem, below] : allowed) {
        std::string name;
        for (const std::string& dep : libraryDeps(root / subsystem / "CMakeLists.txt", name)) {
            if (name != subsystem || dep == subsystem || below.count(dep) != 0) continue;
            std::cout << subsystem << "/CMakeLists.txt: links " << dep << " (" << subsystem << " is beneath "
                      << dep << ")\n";
            ++violations;
        }
    }

    // Cycles between units: strongly connected components (Tarjan).
    std::map<std::string, int> index, low;
    std::set<std::string> onStack;
    std::vector<std::string> stack;
    int counter = 0;
    std::function<void(const std::string&)> visit = [&](const std::string& unit) {
        index[unit] = low[unit] = counter++;
        stack.push_back(unit);
        onStack.insert(unit);
        for (const std::string& next : unitEdges[unit]) {
            if (!index.count(next)) {
                visit(next);
                low[unit] = std::min(low[unit], low[next]);
            } else if (onStack.count(next)) {
                low[unit] = std::min(low[unit], index[next]);
            }
        }
        if (low[unit] != index[unit]) return;
        std::vector<std::string> component;
        std::string member;
        do {
            member = stack.back();
            stack.pop_back();
            onStack.erase(member);
            component.push_back(member);
        } while (member != unit);
        if (component.size() < 2) return;
        std::sort(component.begin(), component.end());
        if (isKnown(component)) return;
        ++violations;
        std::cout << "include cycle between units:";
        for (const std::string& u : component)
            std::cout << ' ' << u;
        std::cout << '\n';
        const std::set<std::string> members(component.begin(), component.end());
        for (const std::string& u : component)
            for (const std::string& next : unitEdges[u])
                if (members.count(next)) std::cout << "  " << edgeExample[{u, next}] << '\n';
    };
    std::vector<std::string> units;
    for (const std::string& file : files)
        units.push_back(unitOf(file));
    for (const std::string& unit : units)
        if (!index.count(unit)) visit(unit);

    if (violations == 0) std::cout << files.size() << " files: layers and units in order\n";
    return violations == 0 ? 0 : 1;
}
