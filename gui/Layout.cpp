#include "gui/Layout.h"
#include "gui/Exceptions.h"
#include "gui/Form.h"
#include <cctype>
#include <map>

namespace {
std::map<std::string, TControlFactory>& ControlClasses()
{
    static std::map<std::string, TControlFactory> classes;
    return classes;
}

bool IsIdentStart(char c) { return std::isalpha(static_cast<unsigned char>(c)) || c == '_'; }
bool IsIdentChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '.'; }

class TLineParser {
public:
    TLineParser(std::string_view line, const std::string& source, int number)
        : line_(line), source_(source), number_(number) {}

    [[noreturn]] void Fail(const std::string& what) const
    {
        throw ELayoutError("Layout " + source_ + " line " + std::to_string(number_) + ": " + what);
    }
    void SkipSpace()
    {
        while (pos_ < line_.size() && (line_[pos_] == ' ' || line_[pos_] == '\t')) ++pos_;
    }
    bool AtEnd()
    {
        SkipSpace();
        return pos_ >= line_.size();
    }
    bool Accept(char c)
    {
        if (!Peek(c)) return false;
        ++pos_;
        return true;
    }
    bool Peek(char c)
    {
        SkipSpace();
        return pos_ < line_.size() && line_[pos_] == c;
    }
    std::string Identifier()
    {
        SkipSpace();
        if (pos_ >= line_.size() || !IsIdentStart(line_[pos_])) Fail("name expected");
        const size_t start = pos_;
        while (pos_ < line_.size() && IsIdentChar(line_[pos_])) ++pos_;
        return std::string(line_.substr(start, pos_ - start));
    }
    TLayoutValue Value()
    {
        SkipSpace();
        TLayoutValue value;
        value.Line = number_;
        if (pos_ >= line_.size()) Fail("value expected");
        const char c = line_[pos_];
        if (c == '"') {
            value.Kind = TLayoutValue::TKind::String;
            ++pos_;
            for (;;) {
                if (pos_ >= line_.size()) Fail("unterminated string");
                char ch = line_[pos_++];
                if (ch == '"') break;
                if (ch == '\\') {
                    if (pos_ >= line_.size()) Fail("unterminated string");
                    switch (ch = line_[pos_++]) {
                    case 'r': ch = '\r'; break;
                    case 'n': ch = '\n'; break;
                    case 't': ch = '\t'; break;
                    case '"': case '\\': break;
                    default: Fail(std::string("unknown escape \\") + ch);
                    }
                }
                value.Text += ch;
            }
        } else if (c == '-' || std::isdigit(static_cast<unsigned char>(c))) {
            value.Kind = TLayoutValue::TKind::Integer;
            const bool negative = c == '-';
            if (negative) ++pos_;
            if (pos_ >= line_.size() || !std::isdigit(static_cast<unsigned char>(line_[pos_]))) Fail("number expected");
            int64_t n = 0;
            while (pos_ < line_.size() && std::isdigit(static_cast<unsigned char>(line_[pos_]))) {
                n = n * 10 + (line_[pos_++] - '0');
                if (n > 0xFFFFFFFFll) Fail("number out of range");
            }
            value.Number = negative ? -n : n;
        } else {
            value.Kind = TLayoutValue::TKind::Identifier;
            value.Text = Identifier();
        }
        return value;
    }

private:
    std::string_view line_;
    const std::string& source_;
    int number_;
    size_t pos_ = 0;
};
}  // namespace

TLayoutNode ParseLayout(std::string_view text, const std::string& source)
{
    TLayoutNode root;
    std::vector<TLayoutNode*> open;
    bool rootDone = false;
    int number = 0;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(start, end - start);
        start = end + 1;
        ++number;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        // Resource compilers may pad the data with NULs.
        if (const size_t nul = line.find('\0'); nul != std::string_view::npos) line = line.substr(0, nul);
        TLineParser p(line, source, number);
        if (p.AtEnd() || p.Peek('#')) continue;
        if (rootDone) p.Fail("text after the end of the form");
        const std::string first = p.Identifier();
        if (p.Accept('=')) {
            if (open.empty()) p.Fail("property outside the form");
            TLayoutValue value = p.Value();
            if (!p.AtEnd()) p.Fail("unexpected text after the value of " + first);
            open.back()->Properties.push_back({first, std::move(value)});
            continue;
        }
        if (first == "end" && p.AtEnd()) {
            if (open.empty()) p.Fail("end without a block");
            open.pop_back();
            rootDone = open.empty();
            continue;
        }
        const std::string name = p.Identifier();
        if (!p.AtEnd()) p.Fail("unexpected text after " + first + " " + name);
        if (open.empty()) {
            if (first != "form") p.Fail("a layout begins with: form <Name>");
            root.ClassName = first;
            root.Name = name;
            root.Line = number;
            open.push_back(&root);
        } else {
            // Only the last child of a block can be open, so the pointers in `open` stay valid.
            open.back()->Children.push_back(TLayoutNode{first, name, number, {}, {}});
            open.push_back(&open.back()->Children.back());
        }
    }
    if (!rootDone) throw ELayoutError("Layout " + source + ": the form has no end");
    return root;
}

void RegisterControlClass(const std::string& className, TControlFactory factory) { ControlClasses()[className] = factory; }

bool ControlClassRegistered(const std::string& className) { return ControlClasses().count(className) != 0; }

// ---- TLayoutReader

TLayoutReader::TLayoutReader(TForm& form, std::string source) : form_(form), source_(std::move(source)) {}

void TLayoutReader::Fail(int line, const std::string& what) const
{
    throw ELayoutError("Layout " + source_ + " line " + std::to_string(line) + ": " + what);
}

void TLayoutReader::UnknownProperty(const TWinControl& control, const std::string& name)
{
    Fail(line_, "unknown property " + name + " of " + control.ClassName() + " " + control.Name());
}

void TLayoutReader::Read(const TLayoutNode& root)
{
    form_.SetName(root.Name);
    line_ = root.Line;
    // The form's font decides the scale of every position and size, so it is applied first.
    for (const TLayoutProperty& p : root.Properties) {
        if (p.Name.rfind("Font.", 0) != 0) continue;
        property_ = p.Name;
        line_ = p.Value.Line;
        form_.SetProperty(p.Name, p.Value, *this);
    }
    textHeight_ = TextHeightOf(form_.Font());
    for (const TLayoutProperty& p : root.Properties) {
        if (p.Name.rfind("Font.", 0) == 0) continue;
        property_ = p.Name;
        line_ = p.Value.Line;
        form_.SetProperty(p.Name, p.Value, *this);
    }
    form_.HandleNeeded();
    CreateChildren(form_, root);
    for (auto& fixup : fixups_) fixup();
    fixups_.clear();
    form_.AlignControls();
    for (const auto& c : form_.Components()) c->AlignControls();
}

void TLayoutReader::CreateChildren(TWinControl& parent, const TLayoutNode& node)
{
    for (const TLayoutNode& child : node.Children) {
        auto it = ControlClasses().find(child.ClassName);
        if (it == ControlClasses().end()) Fail(child.Line, "class " + child.ClassName + " is not registered");
        if (form_.FindComponent(child.Name)) Fail(child.Line, "a control named " + child.Name + " exists already");
        TWinControl* control = form_.InsertControl(it->second());
        // The class's default size is in design pixels too.
        control->SetBounds(Scale(control->Left()), Scale(control->Top()), Scale(control->Width()),
                           Scale(control->Height()));
        control->SetName(child.Name);
        control->SetParent(&parent);
        for (const TLayoutProperty& p : child.Properties) {
            property_ = p.Name;
            line_ = p.Value.Line;
            control->SetProperty(p.Name, p.Value, *this);
        }
        control->HandleNeeded();
        CreateChildren(*control, child);
    }
}

int TLayoutReader::Scale(int designPixels) const { return MulDiv(designPixels, textHeight_, DesignTextHeight); }

int TLayoutReader::Integer(const TLayoutValue& value)
{
    if (value.Kind != TLayoutValue::TKind::Integer) Fail(value.Line, "a number is expected for " + property_);
    return static_cast<int>(value.Number);
}

int TLayoutReader::Scaled(const TLayoutValue& value) { return Scale(Integer(value)); }

bool TLayoutReader::Boolean(const TLayoutValue& value)
{
    return Choice<bool>(value, {{"true", true}, {"false", false}});
}

const std::string& TLayoutReader::String(const TLayoutValue& value)
{
    if (value.Kind != TLayoutValue::TKind::String) Fail(value.Line, "a string is expected for " + property_);
    return value.Text;
}

const std::string& TLayoutReader::Identifier(const TLayoutValue& value)
{
    if (value.Kind != TLayoutValue::TKind::Identifier) Fail(value.Line, "a name is expected for " + property_);
    return value.Text;
}

TNotifyEvent TLayoutReader::NotifyHandler(const TLayoutValue& value)
{
    const std::string& name = Identifier(value);
    const TNotifyEvent* handler = form_.FindNotifyHandler(name);
    if (!handler) Fail(value.Line, "unknown handler " + name + " for " + property_);
    return *handler;
}

std::function<void(TWinControl*, bool&)> TLayoutReader::CloseQueryHandler(const TLayoutValue& value)
{
    const std::string& name = Identifier(value);
    const TCloseQueryEvent* handler = form_.FindCloseQueryHandler(name);
    if (!handler) Fail(value.Line, "unknown handler " + name + " for " + property_);
    return *handler;
}

void TLayoutReader::Reference(const TLayoutValue& value, std::function<bool(TWinControl*)> assign)
{
    const std::string name = Identifier(value);
    const std::string property = property_;
    fixups_.push_back([this, name, property, line = value.Line, assign = std::move(assign)] {
        TWinControl* target = form_.FindComponent(name);
        if (!target) Fail(line, "unknown control " + name + " for " + property);
        if (!assign(target)) Fail(line, "control " + name + " does not fit " + property);
    });
}
