#include "gui/Exceptions.h"
#include <cstdlib>
#include <cxxabi.h>
#include <new>
#include <typeinfo>

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
        int status = 0;
        char* name = abi::__cxa_demangle(typeid(e).name(), nullptr, nullptr, &status);
        std::string result = status == 0 && name ? name : typeid(e).name();
        std::free(name);
        return result;
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
