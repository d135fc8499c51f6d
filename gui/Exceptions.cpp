#include "gui/Exceptions.h"
#include <cctype>
#include <new>
#include <typeinfo>

namespace {
// The source spelling of a class's mangled name ("St13runtime_error", "N5outer5InnerE"). Names of
// other forms (templates, local classes) come back as given. The library's demangler would do
// the same for every form, at some 70 KB of program size.
std::string ReadableTypeName(const char* mangled)
{
    const char* p = mangled;
    const bool nested = *p == 'N';
    if (nested) ++p;
    std::string name;
    for (;;) {
        if (p[0] == 'S' && p[1] == 't') {
            name += "std::";
            p += 2;
            continue;
        }
        if (!std::isdigit(static_cast<unsigned char>(*p))) break;
        size_t length = 0;
        while (std::isdigit(static_cast<unsigned char>(*p))) length = length * 10 + static_cast<size_t>(*p++ - '0');
        for (size_t i = 0; i < length; ++i)
            if (!p[i]) return mangled;
        name.append(p, length);
        p += length;
        if (nested && std::isdigit(static_cast<unsigned char>(*p))) name += "::";
    }
    if (nested && *p == 'E') ++p;
    return *p || name.empty() ? std::string(mangled) : name;
}
}  // namespace

std::string ExceptionClassName(const std::exception_ptr& error)
{
    try {
        std::rethrow_exception(error);
    } catch (const Exception& e) {
        return e.ClassName();
    } catch (const std::bad_alloc&) {
        return "EOutOfMemory";
    } catch (const std::exception& e) {
        // typeid names are mangled ("St13runtime_error"); the user gets the source spelling.
        return ReadableTypeName(typeid(e).name());
    } catch (...) {
        return "Exception";
    }
}

bool IsAbort(const std::exception_ptr& error)
{
    try {
        std::rethrow_exception(error);
    } catch (const EAbort&) {
        return true;
    } catch (...) {
        return false;
    }
}
