#include "tests/e2e/DriverScript.h"

#include <algorithm>
#include <cstdlib>

bool SplitScriptLine(const std::string& line, std::vector<TScriptToken>& tokens, std::string& error)
{
    tokens.clear();
    size_t i = 0;
    const size_t n = line.size();
    while (i < n) {
        if (line[i] == ' ' || line[i] == '\t') {
            ++i;
            continue;
        }
        std::string text;
        if (line[i] == '"') {
            ++i;
            bool closed = false;
            while (i < n) {
                char c = line[i++];
                if (c == '"') {
                    closed = true;
                    break;
                }
                if (c == '\\' && i < n && (line[i] == 'r' || line[i] == 't' || line[i] == '"')) {
                    c = line[i] == 'r' ? '\r' : line[i] == 't' ? '\t' : '"';
                    ++i;
                }
                text += c;
            }
            if (!closed) {
                error = "unterminated \"";
                return false;
            }
        } else if (line[i] == '\'') {
            const size_t close = line.find('\'', i + 1);
            if (close == std::string::npos) {
                error = "unterminated '";
                return false;
            }
            text = line.substr(i + 1, close - i - 1);
            i = close + 1;
        } else {
            while (i < n && line[i] != ' ' && line[i] != '\t') text += line[i++];
        }
        tokens.push_back({text, i});
    }
    return true;
}

std::string ScriptQuoted(const std::string& text)
{
    std::string out = "\"";
    for (char c : text) {
        if (c == '\r') out += "\\r";
        else if (c == '\t') out += "\\t";
        else if (c == '"') out += "\\\"";
        else if (c == '\n') out += "\\n";
        else out += c;
    }
    return out + "\"";
}

namespace {

bool ParseInt(const std::string& text, long long& value)
{
    if (text.empty()) return false;
    char* end = nullptr;
    value = std::strtoll(text.c_str(), &end, 10);
    return end && *end == '\0';
}

bool ParseFlag(const std::string& text, bool& value)
{
    if (text != "0" && text != "1") return false;
    value = text == "1";
    return true;
}

}  // namespace

bool TDriverScript::Run(const std::string& script)
{
    error_.clear();
    size_t start = 0;
    int number = 0;
    while (start <= script.size()) {
        size_t end = script.find('\n', start);
        if (end == std::string::npos) end = script.size();
        std::string line = script.substr(start, end - start);
        start = end + 1;
        ++number;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const size_t first = line.find_first_not_of(" \t");
        if (first == std::string::npos || line[first] == '#') continue;
        line = line.substr(first);
        if (log_) log_("> " + line);
        if (!RunLine(line)) {
            error_ = "line " + std::to_string(number) + ": " + line + ": " + error_;
            return false;
        }
    }
    return true;
}

bool TDriverScript::Expect(const std::string& what, const std::function<std::string()>& actual,
                           const std::string& expected, bool contains)
{
    std::string last;
    auto holds = [&] {
        last = actual();
        return contains ? last.find(expected) != std::string::npos : last == expected;
    };
    if (driver_.WaitUntil(holds)) return true;
    error_ = what + " is " + ScriptQuoted(last) + (contains ? ", expected to contain " : ", expected ") + ScriptQuoted(expected);
    return false;
}

bool TDriverScript::RunLine(const std::string& line)
{
    std::vector<TScriptToken> tokens;
    if (!SplitScriptLine(line, tokens, error_)) return false;
    const std::string command = tokens[0].Text;
    std::vector<std::string> args;
    for (size_t i = 1; i < tokens.size(); ++i) args.push_back(tokens[i].Text);

    auto arity = [&](size_t least, size_t most) {
        if (args.size() >= least && args.size() <= most) return true;
        error_ = "expects " + (least == most ? std::to_string(least) : std::to_string(least) + " to " + std::to_string(most)) +
                 " argument" + (most == 1 ? "" : "s");
        return false;
    };
    auto driverFailed = [&] {
        error_ = driver_.LastError();
        return false;
    };
    auto number = [&](const std::string& text, long long& value) {
        if (ParseInt(text, value)) return true;
        error_ = "not a number: " + text;
        return false;
    };
    auto flag = [&](const std::string& text, bool& value) {
        if (ParseFlag(text, value)) return true;
        error_ = "expects 0 or 1, not " + text;
        return false;
    };
    // A control's state as text, or why it cannot be read.
    auto state = [&](const std::string& name, const std::function<std::string(HWND)>& read) {
        return [this, name, read] {
            HWND control = driver_.Control(name);
            return control ? read(control) : "<" + driver_.LastError() + ">";
        };
    };

    if (command == "start") {
        if (args.empty()) return arity(1, 1);
        const std::string rest = tokens[1].End < line.size() ? line.substr(tokens[1].End) : "";
        const size_t first = rest.find_first_not_of(" \t");
        return driver_.Start(args[0], first == std::string::npos ? "" : rest.substr(first)) || driverFailed();
    }
    if (command == "window") return arity(0, 0) && (driver_.WaitForWindow() || driverFailed());
    if (command == "timeout") {
        long long ms = 0;
        if (!arity(1, 1) || !number(args[0], ms)) return false;
        driver_.SetTimeout(static_cast<int>(ms));
        return true;
    }
    if (command == "caption")
        return arity(1, 1) && Expect("the caption", [this] { return driver_.WindowCaption(); }, args[0]);
    if (command == "text" || command == "contains") {
        if (!arity(2, 2)) return false;
        const std::string name = args[0];
        return Expect(name, state(name, [this, name](HWND) { return driver_.Text(name); }), args[1], command == "contains");
    }
    if (command == "visible" || command == "enabled" || command == "checked") {
        bool expected = false;
        if (!arity(2, 2) || !flag(args[1], expected)) return false;
        const std::string name = args[0];
        auto read = [this, command, name](HWND control) {
            bool value = command == "visible"   ? IsWindowVisible(control) != FALSE
                         : command == "enabled" ? IsWindowEnabled(control) != FALSE
                                                : driver_.Checked(name);
            return std::string(value ? "1" : "0");
        };
        return Expect(name + " " + command, state(name, read), expected ? "1" : "0");
    }
    if (command == "selected") {
        long long index = 0;
        if (!arity(2, 2) || !number(args[1], index)) return false;
        const std::string name = args[0];
        return Expect(name + " selection", state(name, [this, name](HWND) { return std::to_string(driver_.Selection(name)); }),
                      std::to_string(index));
    }
    if (command == "item") {
        long long index = 0;
        if (!arity(3, 3) || !number(args[1], index)) return false;
        const std::string name = args[0];
        auto read = [this, name, index](HWND) {
            auto items = driver_.Items(name);
            return index >= 0 && index < static_cast<long long>(items.size()) ? items[static_cast<size_t>(index)]
                                                                               : "<no item " + std::to_string(index) + ">";
        };
        return Expect(name + " item " + args[1], state(name, read), args[2]);
    }
    if (command == "settext") return arity(2, 2) && (driver_.SetText(args[0], args[1]) || driverFailed());
    if (command == "click") return arity(1, 1) && (driver_.Click(args[0]) || driverFailed());
    if (command == "tick") {
        bool checked = false;
        return arity(2, 2) && flag(args[1], checked) && (driver_.SetChecked(args[0], checked) || driverFailed());
    }
    if (command == "select") {
        long long index = 0;
        return arity(2, 2) && number(args[1], index) && (driver_.Select(args[0], static_cast<int>(index)) || driverFailed());
    }
    if (command == "key") {
        if (!arity(1, 1)) return false;
        std::string key = args[0];
        const bool alt = key.size() > 4 && (key.compare(0, 4, "alt+") == 0 || key.compare(0, 4, "Alt+") == 0);
        if (alt) key = key.substr(4);
        return driver_.Key(key, alt) || driverFailed();
    }
    if (command == "close") return arity(0, 0) && (driver_.Close() || driverFailed());
    if (command == "sysclose") return arity(0, 0) && (driver_.SysClose() || driverFailed());
    if (command == "box") {
        if (!arity(2, 4)) return false;
        std::vector<int> expected;
        size_t from = 0;
        while (from <= args[0].size()) {
            size_t comma = args[0].find(',', from);
            if (comma == std::string::npos) comma = args[0].size();
            const std::string name = args[0].substr(from, comma - from);
            const int id = ButtonIdOf(name);
            if (!id) {
                error_ = "unknown button " + name;
                return false;
            }
            expected.push_back(id);
            from = comma + 1;
        }
        std::sort(expected.begin(), expected.end());
        const int press = ButtonIdOf(args[1]);
        if (!press) {
            error_ = "unknown button " + args[1];
            return false;
        }
        TMessageBoxInfo box;
        if (!driver_.WaitForMessageBox(box)) return driverFailed();
        const std::string caption = args.size() > 3 ? args[3] : driver_.Caption();
        if (box.Caption != caption) {
            error_ = "the message box's caption is " + ScriptQuoted(box.Caption) + ", expected " + ScriptQuoted(caption);
            return false;
        }
        if (args.size() > 2 && box.Text != args[2]) {
            error_ = "the message box says " + ScriptQuoted(box.Text) + ", expected " + ScriptQuoted(args[2]);
            return false;
        }
        if (box.Buttons != expected) {
            error_ = "the message box has the buttons " + ButtonNamesOf(box.Buttons) + ", expected " + ButtonNamesOf(expected);
            return false;
        }
        if (log_) log_("  box: " + ScriptQuoted(box.Text) + " [" + ButtonNamesOf(box.Buttons) + "] -> " + args[1]);
        return driver_.Answer(box, press) || driverFailed();
    }
    if (command == "nobox") {
        if (!arity(0, 0)) return false;
        driver_.Settle();
        TMessageBoxInfo box;
        if (!driver_.MessageBoxOpen()) return true;
        const int saved = driver_.Timeout();
        driver_.SetTimeout(0);
        driver_.WaitForMessageBox(box);
        driver_.SetTimeout(saved);
        error_ = "a message box is open: " + ScriptQuoted(box.Text);
        return false;
    }
    if (command == "shot") return arity(1, 1) && (driver_.SaveScreenshot(args[0]) || driverFailed());
    if (command == "screen") return arity(1, 1) && (driver_.SaveScreen(args[0]) || driverFailed());
    if (command == "exit") {
        long long expected = 0;
        if (!arity(1, 1) || !number(args[0], expected)) return false;
        const long long code = driver_.WaitForExit();
        if (code < 0) return driverFailed();
        if (code == expected) return true;
        error_ = "the program ended with exit code " + std::to_string(code) + ", expected " + args[0];
        return false;
    }
    if (command == "sleep") {
        long long ms = 0;
        if (!arity(1, 1) || !number(args[0], ms)) return false;
        Sleep(static_cast<DWORD>(ms));
        return true;
    }
    if (command == "print") {
        if (!arity(1, 1)) return false;
        if (!driver_.Control(args[0])) return driverFailed();
        if (log_) log_("  " + args[0] + ": " + ScriptQuoted(driver_.Text(args[0])));
        return true;
    }
    error_ = "unknown command";
    return false;
}
