#include "host_script.h"

#include <ctype.h>
#include <stdlib.h>
#include <string.h>

namespace {

const struct { const char* name; int id; } kButtons[] = {
    {"ok", BUTTON_OK},       {"cancel", BUTTON_CANCEL}, {"abort", BUTTON_ABORT}, {"retry", BUTTON_RETRY},
    {"ignore", BUTTON_IGNORE}, {"yes", BUTTON_YES},     {"no", BUTTON_NO},
};

// Splits a line into words; a word in double quotes may hold blanks (and
// no quote). False with a reason for an unterminated quote.
bool SplitWords(const std::string& line, std::vector<std::string>* words, std::string* why)
{
    size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t'))
            ++i;
        if (i >= line.size())
            break;
        if (line[i] == '"') {
            size_t end = line.find('"', i + 1);
            if (end == std::string::npos) {
                *why = "a quoted text is not closed";
                return false;
            }
            words->push_back(line.substr(i + 1, end - i - 1));
            i = end + 1;
        } else {
            size_t end = i;
            while (end < line.size() && line[end] != ' ' && line[end] != '\t')
                ++end;
            words->push_back(line.substr(i, end - i));
            i = end;
        }
    }
    return true;
}

bool ParseNumber(const std::string& word, double* value)
{
    if (word.empty())
        return false;
    char* end = nullptr;
    *value = strtod(word.c_str(), &end);
    return end && *end == '\0';
}

bool ParseControl(const std::string& word, int* id)
{
    double v;
    if (!ParseNumber(word, &v) || v < 1 || v > 65535 || v != static_cast<int>(v))
        return false;
    *id = static_cast<int>(v);
    return true;
}

bool SameNoCase(const char* a, const char* b)
{
    for (; *a && *b; ++a, ++b)
        if (tolower(static_cast<unsigned char>(*a)) != tolower(static_cast<unsigned char>(*b)))
            return false;
    return *a == *b;
}

bool EndsWithPng(const std::string& name)
{
    return name.size() > 4 && SameNoCase(name.c_str() + name.size() - 4, ".png");
}

// The arguments of one step; an empty result means accepted.
std::string ParseArguments(const std::string& verb, const std::vector<std::string>& args, ScriptStep* step)
{
    const size_t n = args.size();
    if (verb == "click") {
        step->kind = STEP_CLICK;
        if (n != 1 || !ParseControl(args[0], &step->control))
            return "click needs one control id";
    } else if (verb == "pick" || verb == "type") {
        step->kind = verb == "pick" ? STEP_PICK : STEP_TYPE;
        if (n != 2 || !ParseControl(args[0], &step->control))
            return verb + " needs a control id and one text (quote a text with blanks)";
        step->text = args[1];
    } else if (verb == "drag") {
        step->kind = STEP_DRAG;
        if (n != 4)
            return "drag needs four numbers: X1 Y1 X2 Y2 in inches of film";
        for (size_t k = 0; k < 4; ++k) {
            double v;
            if (!ParseNumber(args[k], &v) || v < 0 || v > 60)
                return "drag: \"" + args[k] + "\" is not a film position in inches (0 to 60)";
            step->points[k] = static_cast<float>(v);
        }
    } else if (verb == "answer") {
        step->kind = STEP_ANSWER;
        if (n != 1)
            return "answer needs one button: ok, cancel, yes, no, retry, abort or ignore";
        for (const auto& b : kButtons)
            if (SameNoCase(args[0].c_str(), b.name))
                step->button = b.id;
        if (!step->button)
            return "answer: unknown button \"" + args[0] + "\" (ok, cancel, yes, no, retry, abort, ignore)";
    } else if (verb == "wait-status" || verb == "wait-window") {
        step->kind = verb == "wait-status" ? STEP_WAIT_STATUS : STEP_WAIT_WINDOW;
        step->seconds = kDefaultWaitSeconds;
        if (n < 1 || n > 2 || (n == 2 && (!ParseNumber(args[1], &step->seconds) || step->seconds <= 0)))
            return verb + " needs a text (quote a text with blanks) and may take a time-out in seconds";
        step->text = args[0];
    } else if (verb == "wait-enabled") {
        step->kind = STEP_WAIT_ENABLED;
        step->seconds = kDefaultWaitSeconds;
        if (n < 1 || n > 2 || !ParseControl(args[0], &step->control) ||
            (n == 2 && (!ParseNumber(args[1], &step->seconds) || step->seconds <= 0)))
            return "wait-enabled needs a control id and may take a time-out in seconds";
    } else if (verb == "wait-text") {
        step->kind = STEP_WAIT_TEXT;
        step->seconds = kDefaultWaitSeconds;
        if (n < 2 || n > 3 || !ParseControl(args[0], &step->control) ||
            (n == 3 && (!ParseNumber(args[2], &step->seconds) || step->seconds <= 0)))
            return "wait-text needs a control id and a text (quote a text with blanks) and may take a time-out "
                   "in seconds";
        step->text = args[1];
    } else if (verb == "watch-text") {
        step->kind = STEP_WATCH_TEXT;
        if (n != 2 || !ParseControl(args[1], &step->control))
            return "watch-text needs a window title (quote a title with blanks) and a control id";
        step->text = args[0];
    } else if (verb == "mark") {
        step->kind = STEP_MARK;
        if (n != 1)
            return "mark needs one name";
        step->text = args[0];
    } else if (verb == "wait-image") {
        step->kind = STEP_WAIT_IMAGE;
        step->seconds = kDefaultWaitSeconds;
        if (n > 1 || (n == 1 && (!ParseNumber(args[0], &step->seconds) || step->seconds <= 0)))
            return "wait-image may take a time-out in seconds, nothing else";
    } else if (verb == "pause") {
        step->kind = STEP_PAUSE;
        if (n != 1 || !ParseNumber(args[0], &step->seconds) || step->seconds < 0 || step->seconds > 600)
            return "pause needs a number of seconds (0 to 600)";
    } else if (verb == "screenshot") {
        step->kind = STEP_SCREENSHOT;
        if (n != 1 || !EndsWithPng(args[0]))
            return "screenshot needs one file name ending in .png";
        step->text = args[0];
    } else if (verb == "screenshot-at") {
        step->kind = STEP_SCREENSHOT_AT;
        double v;
        if (n != 2 || !ParseNumber(args[0], &v) || v < 1 || v > 99 || v != static_cast<int>(v) ||
            !EndsWithPng(args[1]))
            return "screenshot-at needs a percentage from 1 to 99 and a file name ending in .png";
        step->percent = static_cast<int>(v);
        step->text = args[1];
    } else if (verb == "window") {
        step->kind = STEP_WINDOW;
        if (n > 1)
            return "window takes one title (quote a title with blanks), or nothing for the main dialog";
        step->text = n ? args[0] : "";
    } else if (verb == "log-text" || verb == "command") {
        step->kind = verb == "log-text" ? STEP_LOG_TEXT : STEP_COMMAND;
        if (n != 1 || !ParseControl(args[0], &step->control))
            return verb + " needs one control id";
    } else if (verb == "scroll") {
        step->kind = STEP_SCROLL;
        double v = 1;
        if (n < 2 || n > 3 || !ParseControl(args[0], &step->control) || (args[1] != "left" && args[1] != "right") ||
            (n == 3 && (!ParseNumber(args[2], &v) || v < 1 || v > 1000 || v != static_cast<int>(v))))
            return "scroll needs a control id, left or right, and may take a count of presses (1 to 1000)";
        step->count = args[1] == "left" ? -static_cast<int>(v) : static_cast<int>(v);
    } else if (verb == "format") {
        step->kind = STEP_FORMAT;
        if (n != 1 || args[0].empty() || args[0].size() >= 32)
            return "format needs one format name of fewer than 32 characters";
        step->text = args[0];
    } else if (verb == "exit") {
        step->kind = STEP_EXIT;
        if (n != 0)
            return "exit takes nothing more";
    } else {
        return "unknown step \"" + verb + "\"";
    }
    return "";
}

} // namespace

bool ParseScript(const std::string& source, std::vector<ScriptStep>* steps, std::string* error)
{
    size_t start = 0;
    int lineNumber = 0;
    while (start <= source.size()) {
        size_t end = source.find('\n', start);
        if (end == std::string::npos)
            end = source.size();
        std::string line = source.substr(start, end - start);
        start = end + 1;
        ++lineNumber;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        std::vector<std::string> words;
        std::string why;
        const size_t first = line.find_first_not_of(" \t");
        if (first == std::string::npos || line[first] == '#')
            continue;
        ScriptStep step{};
        step.line = lineNumber;
        if (SplitWords(line, &words, &why)) {
            std::vector<std::string> args(words.begin() + 1, words.end());
            why = ParseArguments(words[0], args, &step);
        }
        if (!why.empty()) {
            *error = "line " + std::to_string(lineNumber) + ": " + why;
            return false;
        }
        steps->push_back(step);
    }
    return true;
}

const char* ButtonName(int button)
{
    for (const auto& b : kButtons)
        if (b.id == button)
            return b.name;
    return "?";
}
