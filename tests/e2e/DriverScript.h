#pragma once
// Scenario scripts for the driver: one command per line, "#" starts a comment line. Checks wait
// (up to the driver's time-out) until they hold; the first line that fails stops the script.
//
//   start <exe> [arguments]        the rest of the line is passed as the raw command-line tail
//   window                         wait for the main window (the driver's caption)
//   timeout <ms>                   time allowed to every following wait
//   caption <text>                 the main window's caption
//   text <control> <text>          the control's text equals <text>
//   contains <control> <text>      the control's text contains <text>
//   visible|enabled|checked <control> 0|1
//   selected <control> <index>     a list or combo box's selected index
//   item <control> <index> <text>  the text of a list or combo box item
//   settext <control> <text>       WM_SETTEXT
//   click <control>                press a button or check box
//   tick <control> 0|1             set a check box (clicks when it differs)
//   select <control> <index>       select a list or combo box item, as the user would
//   key [alt+]<key>                ESCAPE, RETURN, TAB, SPACE, F4, UP, DOWN or a letter
//   close | sysclose               WM_CLOSE | WM_SYSCOMMAND SC_CLOSE
//   box <buttons> <press> [<text> [<caption>]]
//                                  a message box with exactly these buttons ("Yes,No"), its
//                                  text and caption (default: the driver's caption); press one
//   nobox                          no message box is open
//   shot <file> | screen <file>    screenshot of the main window | of the whole screen
//   exit <code>                    the program ends with this exit code
//   sleep <ms>
//   print <control>                log the control's text
//
// Arguments are separated by spaces. "..." holds spaces, with \r (carriage return), \t (tab)
// and \" (quote); every other character stands for itself. '...' is taken as it is (for a path
// that ends in a backslash).
#include <functional>
#include <string>
#include <vector>

#include "tests/e2e/Driver.h"

struct TScriptToken {
    std::string Text;
    size_t End;  // offset in the line just after the token
};

// Splits one line; false with `error` set for an unterminated quote.
bool SplitScriptLine(const std::string& line, std::vector<TScriptToken>& tokens, std::string& error);

// A text as it is written in a script ("a\rb" for a, CR, b), for messages.
std::string ScriptQuoted(const std::string& text);

class TDriverScript {
public:
    using TLog = std::function<void(const std::string&)>;
    explicit TDriverScript(TDriver& driver, TLog log = {}) : driver_(driver), log_(std::move(log)) {}

    // Runs the lines in order; false at the first failing line (see Error).
    bool Run(const std::string& script);
    const std::string& Error() const { return error_; }

private:
    bool RunLine(const std::string& line);
    bool Expect(const std::string& what, const std::function<std::string()>& actual, const std::string& expected,
                bool contains = false);

    TDriver& driver_;
    TLog log_;
    std::string error_;
};
