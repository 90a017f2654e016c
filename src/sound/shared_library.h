#pragma once

// A shared library opened at run time. The sound libraries are opened this way rather than
// linked: linking them pulls some forty further libraries into every start, ahead of the
// first paint, and a machine without them could not start the game at all.

#include <cstdlib>
#include <string>

namespace lum {

class SharedLibrary {
  public:
    // Opens `soname` (all symbols bound at once). A library is never closed again: its
    // threads and exit handlers may outlive any owner here.
    explicit SharedLibrary(const char* soname);

    bool ok() const { return handle_ != nullptr; }
    // Names the library and the reason: "cannot load libX.so.1 (...)" or
    // "libX.so.1 has no function f".
    const std::string& error() const { return error_; }

    // Sets `fn` to the library's function `name`; false, with error() saying so, when the
    // library lacks it or did not open.
    template <class F>
    bool bind(F& fn, const char* name) {
        fn = reinterpret_cast<F>(find(name));
        return fn != nullptr;
    }

  private:
    void* find(const char* name);

    std::string soname_;
    void* handle_ = nullptr;
    std::string error_;
};

// A table of a library's functions is a struct with one member per function, named and
// typed as in the library's header: `struct XApi { LUM_X_FUNCTIONS(LUM_API_MEMBER) };`.
#define LUM_API_MEMBER(f) decltype(&::f) f = nullptr;
// Inside a `bind_all` of load_api (with `lib`, `table` and `ok` in scope): binds one member.
#define LUM_API_BIND(f) ok = ok && lib.bind(table.f, #f);

// Fills `api` from the library `soname`: `bind_all(lib, api)` binds every member and says
// whether all were found. On failure `api` is emptied and `why` names the missing library or
// function.
template <class Api, class BindAll>
bool load_api(const char* soname, Api& api, std::string* why, BindAll bind_all) {
    SharedLibrary lib(soname);
    const bool ok = lib.ok() && bind_all(lib, api);
    if (!ok) {
        api = Api{};
        if (why) *why = lib.error();
    }
    return ok;
}

// The process's table, loaded by `Load` on the first call from the file that the environment
// variable `env_var` names, else from `soname`: nullptr, with the reason in `why`, when that
// failed. Later calls give the same answer.
template <class Api, bool (*Load)(const char*, Api&, std::string*)>
const Api* process_api(const char* env_var, const char* soname, std::string* why) {
    struct Loaded {
        Api api;
        bool ok = false;
        std::string why;
    };
    static const Loaded loaded = [&] {
        Loaded l;
        const char* name = std::getenv(env_var);
        l.ok = Load(name && *name ? name : soname, l.api, &l.why);
        return l;
    }();
    if (!loaded.ok && why) *why = loaded.why;
    return loaded.ok ? &loaded.api : nullptr;
}

}  // namespace lum
