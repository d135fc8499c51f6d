#pragma once
// Form layouts: a text compiled into the program as an RCDATA resource, read into controls
// created by registered class name.
//
//   form <Name>                     the form itself (the object that reads the layout)
//     <Property> = <value>          integer, "string" (\r \n \t \" \\ escapes), identifier
//     <Class> <Name>                a control of a registered class, child of the block around it
//       <Property> = <value>        Left, Top, Width, Height, Caption, Font.Name, OnClick, ...
//     end
//   end
//
// Blank lines and lines starting with '#' are ignored; indentation is free. Positions and sizes
// are design pixels for a text height of 13 and are scaled by the form font's real text height.
// Event properties name a handler that the form registered; reference properties (DirList) name
// another control of the layout.
#include "gui/Control.h"
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

class TForm;

struct TLayoutValue {
    enum class TKind : uint8_t { Integer, String, Identifier };
    TKind Kind = TKind::Integer;
    int64_t Number = 0;
    std::string Text;  // the string or the identifier
    int Line = 0;
};

struct TLayoutProperty {
    std::string Name;
    TLayoutValue Value;
};

struct TLayoutNode {
    std::string ClassName;  // "form" for the root
    std::string Name;
    int Line = 0;
    std::vector<TLayoutProperty> Properties;
    std::vector<TLayoutNode> Children;
};

// Parses the text; syntax errors raise ELayoutError naming the source and line.
TLayoutNode ParseLayout(std::string_view text, const std::string& source);

// The registry of control classes that layouts may name.
using TControlFactory = std::unique_ptr<TWinControl> (*)();
void RegisterControlClass(const std::string& className, TControlFactory factory);
template <class T>
void RegisterControlClass()
{
    RegisterControlClass(T::StaticClassName, []() -> std::unique_ptr<TWinControl> { return std::make_unique<T>(); });
}
bool ControlClassRegistered(const std::string& className);

class TLayoutReader {
public:
    TLayoutReader(TForm& form, std::string source);
    // Builds the form from the parsed layout: form properties, then every control in order.
    void Read(const TLayoutNode& root);

    // Value access for SetProperty; a value of the wrong kind is an error naming the property.
    int Integer(const TLayoutValue& value);
    int Scaled(const TLayoutValue& value);  // a position or size
    int Scale(int designPixels) const;
    bool Boolean(const TLayoutValue& value);
    const std::string& String(const TLayoutValue& value);
    const std::string& Identifier(const TLayoutValue& value);
    template <class E>
    E Choice(const TLayoutValue& value, std::initializer_list<std::pair<const char*, E>> choices)
    {
        const std::string& id = Identifier(value);
        for (const auto& [name, e] : choices)
            if (id == name) return e;
        Fail(value.Line, "invalid value " + id + " for property " + property_);
    }
    TNotifyEvent NotifyHandler(const TLayoutValue& value);
    std::function<void(TWinControl*, bool&)> CloseQueryHandler(const TLayoutValue& value);
    // Resolved once every control exists; the named control must exist and assign must accept
    // it (return true).
    void Reference(const TLayoutValue& value, std::function<bool(TWinControl*)> assign);

    [[noreturn]] void UnknownProperty(const TWinControl& control, const std::string& name);
    [[noreturn]] void Fail(int line, const std::string& what) const;

private:
    void ApplyProperties(TWinControl& control, const TLayoutNode& node);
    void CreateChildren(TWinControl& parent, const TLayoutNode& node);

    TForm& form_;
    std::string source_;
    int textHeight_ = DesignTextHeight;
    std::string property_;
    int line_ = 0;
    std::vector<std::function<void()>> fixups_;
};
