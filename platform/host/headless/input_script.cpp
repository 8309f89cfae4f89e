#include "platform/host/headless/input_script.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <sstream>

namespace {

bool ParseInteger(const std::string& word, int64_t* value) {
    if (word.empty()) return false;
    errno = 0;
    char* end = nullptr;
    long long parsed = std::strtoll(word.c_str(), &end, 0);
    if (errno != 0 || *end != '\0') return false;
    *value = parsed;
    return true;
}

// Empty when the line is good.
std::string ParseLine(const std::string& line, ScriptAction* action) {
    std::istringstream words(line);
    std::string frame_word, verb, key_word, extra;
    words >> frame_word >> verb >> key_word >> extra;
    if (!ParseInteger(frame_word, &action->frame) || action->frame < 0)
        return "bad frame \"" + frame_word + "\"";
    if (verb == "close") {
        if (!key_word.empty()) return "\"close\" takes no key";
        action->kind = ScriptActionKind::kClose;
        return "";
    }
    if (verb != "down" && verb != "up") return "unknown action \"" + verb + "\"";
    action->kind = verb == "down" ? ScriptActionKind::kKeyDown : ScriptActionKind::kKeyUp;
    int64_t key = 0;
    if (!ParseInteger(key_word, &key) || key < 1 || key > 255) return "bad key code \"" + key_word + "\"";
    if (!extra.empty()) return "unexpected \"" + extra + "\"";
    action->dik = static_cast<uint8_t>(key);
    return "";
}

}  // namespace

InputScript ParseInputScript(const std::string& text) {
    InputScript script;
    std::istringstream lines(text);
    std::string line;
    int number = 0;
    while (std::getline(lines, line)) {
        ++number;
        size_t first = line.find_first_not_of(" \t\r");
        if (first == std::string::npos || line[first] == '#') continue;
        ScriptAction action;
        std::string error = ParseLine(line, &action);
        if (!error.empty()) {
            script.errors.push_back("line " + std::to_string(number) + ": " + error);
            continue;
        }
        script.actions.push_back(action);
    }
    std::stable_sort(script.actions.begin(), script.actions.end(),
                     [](const ScriptAction& a, const ScriptAction& b) { return a.frame < b.frame; });
    return script;
}
