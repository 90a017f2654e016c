#include "sound/shared_library.h"

#include <dlfcn.h>

namespace lum {

SharedLibrary::SharedLibrary(const char* soname) : soname_(soname) {
    handle_ = dlopen(soname, RTLD_NOW | RTLD_LOCAL);
    if (handle_) return;
    const char* err = dlerror();
    std::string reason = err ? err : "unknown error";
    // dlerror() usually starts with the name it was given; say it once. A missing dependency
    // keeps its own name in front, which is the useful part.
    const std::string prefix = soname_ + ": ";
    if (reason.compare(0, prefix.size(), prefix) == 0) reason.erase(0, prefix.size());
    error_ = "cannot load " + soname_ + " (" + reason + ")";
}

void* SharedLibrary::find(const char* name) {
    if (!handle_) return nullptr;
    dlerror();
    void* p = dlsym(handle_, name);
    if (!p) error_ = soname_ + " has no function " + name;
    return p;
}

}  // namespace lum
